#pragma once
// SpringBoard's message server for lumicrate12, and the array writer that
// every other process uses through it.
//
// The centre "com.zel.lumicrate12", served from SpringBoard's main run loop
// (with the RocketBootstrap step, so that sandboxed apps reach it), carries
// two one-way messages: "savearray" (handleMessageNamed:withUserInfo:) and
// "authenticate" (authenticate:withUserInfo:). Messages are handled one at a
// time in the order they arrive; the sender gets no answer.
//
// "savearray" {id, array, path} writes the array as a property list,
// atomically, but only where the clients keep their state: lockedAlbums.plist
// or album.tct in the state folder (named under /var/mobile/Library/lumicrate/
// or /private/var/mobile/Library/lumicrate/), only an array of strings, and
// never through a symbolic link, neither the file nor any folder on the way
// (the path is walked from the device root without following one). Anything
// else writes nothing and logs one line that says why, so a sandboxed app
// cannot make SpringBoard overwrite other files. A state file is written
// only for its own app, as the device knows the sender (the locked list for
// the Photos app, album.tct for the Camera), or for the operator (who
// reaches the device on its own channel): the "id" in the message proves
// nothing.

#include "sim/foundation/Value.h"
#include "sim/ipc/MessagingCenter.h"
#include "sim/runtime/Runtime.h"

#include <optional>
#include <string>

namespace lc {

inline constexpr const char* kCenterName = "com.zel.lumicrate12";
inline constexpr const char* kSaveArrayMessage = "savearray";
inline constexpr const char* kAuthenticateMessage = "authenticate";

// After SpringBoard's own launch: runs the centre on this thread and
// registers both messages with `springboard` as their target.
void startMessageServer(const rt::Ref<rt::Object>& springboard);

// The implementation of -[SpringBoard handleMessageNamed:withUserInfo:] ("v@:@@").
void handleMessageNamedWithUserInfo(rt::Id self, rt::Sel, std::string name, fnd::Dictionary userInfo);

// Whether the path names one of the clients' state files (see above); the
// links on the way are the writer's to refuse.
bool isClientStatePath(const std::string& path);
// Who sent the message being handled, as the device knows it, for log lines:
// the app's bundle identifier, "the operator", or what else is known.
std::string describeSender(const std::optional<ipc::PeerIdentity>& sender);

// The clients' end of the centre, with the bootstrap step applied.
ipc::MessagingCenter& clientCentre();

// The client: sends "savearray" without waiting. Any process, any thread.
void saveArrayToFile(const fnd::Array& array, const std::string& path);

} // namespace lc
