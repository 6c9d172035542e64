#pragma once
// LocalAuthentication on the device: LAContext and the system's owner
// prompt, as a runtime class.
//
// LAContext: -canEvaluatePolicy:error: -evaluatePolicy:localizedReason:reply:
//   Policy 2 (device owner: a finger or the passcode) can be evaluated when
//   the device has a passcode or an enrolled finger; policy 1 (biometrics
//   only) when a finger is enrolled. Which the device has are boot options
//   ("passcode" and "fingerEnrolled" in /System/Library/device.plist).
//
// Evaluating shows the system prompt over the process's key window: with a
// finger enrolled, "Touch ID for “<app>”" with the reason and the buttons
// "Enter Passcode" (when a passcode is set, policy 2) and "Cancel";
// otherwise the passcode prompt, "Enter Passcode", with the reason, a
// secure field and "Cancel"/"OK". One prompt at a time; later requests
// wait their turn. The reply block runs exactly once, on the global queue
// (never the main thread): success with no error, or failure with an
// NSError of the domain "com.apple.LocalAuthentication": -1 authentication
// failed (three wrong fingers), -2 the user cancelled, -5 no passcode set,
// -7 no finger enrolled. A wrong passcode asks again.
//
// The finger is automation's: the command "touch-id" {finger: "enrolled" or
// "other"} puts one on the sensor while a prompt shows; the passcode is
// typed into the prompt ("type", then "alert OK").

#include <string>

namespace auth {

inline constexpr long kPolicyBiometrics = 1;
inline constexpr long kPolicyDeviceOwner = 2;

void registerLocalAuthentication();

// The owner's credentials, as the device was booted (tests set them).
struct Credentials {
    bool passcodeSet = false;
    std::string passcode;
    bool fingerEnrolled = false;
};
Credentials deviceCredentials();
void setCredentialsForTesting(const Credentials& c);

} // namespace auth
