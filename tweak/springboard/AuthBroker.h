#pragma once
// SpringBoard's half of the lock gate: it answers "authenticate" requests of
// the Photos app, asking the device's owner when the settings say so, and
// hands the answer back through authenticate.plist and the Darwin
// notification "com.zel.LCAuthenticate" (the Photos app's half is
// tweak/photos/Authenticate).
//
// The answer is the request's user info with "id" = SpringBoard's bundle
// identifier, "type" = "SpringBoard" and "success", by passOption:
//   0      the owner is asked (LAContext, policy 2, the reason "<album> needs
//          to be unlocked."): success writes true; a cancel or a failure
//          writes nothing at all; a device with neither a finger nor a
//          passcode writes false at once
//   1      false at once (the Photos app then asks for the tweak's password)
//   other  true at once
// Every other key of the request comes back as it was sent: the Photos
// app's one-time token among them, which binds the answer to its request.
//
// Only the Photos app may ask: the device tells the handler who sent the
// message (it spawned the sender), and a request from anyone else, whatever
// its "id" key says, shows no prompt and writes nothing, with one log line.

#include "sim/foundation/Value.h"
#include "sim/runtime/Runtime.h"

#include <string>

namespace lc {

inline constexpr const char* kAuthenticateNotification = "com.zel.LCAuthenticate";
inline constexpr const char* kPhotosBundle = "com.apple.mobileslideshow";

// The implementation of -[SpringBoard authenticate:withUserInfo:] ("v@:@@").
void authenticateWithUserInfo(rt::Id self, rt::Sel, std::string name, fnd::Dictionary userInfo);

// "<title> needs to be unlocked.": what the owner's prompt says.
std::string unlockReason(const std::string& albumTitle);

} // namespace lc
