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

#include "sim/foundation/Foundation.h"

#include <string>

namespace auth {

using LAPolicy = fnd::NSInteger;
inline constexpr LAPolicy LAPolicyDeviceOwnerAuthenticationWithBiometrics = 1;
inline constexpr LAPolicy LAPolicyDeviceOwnerAuthentication = 2;

inline constexpr const char* LAErrorDomain = "com.apple.LocalAuthentication";
using LAError = fnd::NSInteger;
inline constexpr LAError LAErrorAuthenticationFailed = -1;
inline constexpr LAError LAErrorUserCancel = -2;
inline constexpr LAError LAErrorPasscodeNotSet = -5;
inline constexpr LAError LAErrorBiometryNotEnrolled = -7;

// LAContext's face (Face.h).
struct LAContext : rt::NSObject {
    RT_FACE(LAContext, rt::NSObject)
    // `error` may be null; otherwise it receives the reason when the answer is NO.
    bool canEvaluatePolicy_error(LAPolicy policy, rt::Ref<rt::Object>* error) const {
        return msg<bool>(rt::SelLiteral<"canEvaluatePolicy:error:">{}, policy, error);
    }
    // The reply runs once, on the global queue.
    void evaluatePolicy_localizedReason_reply(LAPolicy policy, const std::string& reason,
                                              rt::Block<void(bool, fnd::NSError)> reply) const {
        msg(rt::SelLiteral<"evaluatePolicy:localizedReason:reply:">{}, policy, reason, std::move(reply));
    }
};

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
