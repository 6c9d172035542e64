#pragma once
// The device protocol, once: the name of every operation that travels
// between processes and the device, and the keys they share. Each message is
// a property-list dictionary whose "op" names the operation; each receiver
// dispatches through a table of name -> handler, and answers an operation it
// does not know with an error that names it (keeping the peer), while one it
// knows but cannot read (a missing or wrong field) drops the peer.
//
// The hub (Hub.h), from a peer:    observe {name, behavior}  unobserve {name, behavior}
//                                  post {name}  register {center}  send {center, message, userInfo}
// the hub, to a peer:              notify {name, scope}  registered {center, ok}
//                                  message {center, message, userInfo, sender}
// The device daemon, from a peer:  hello (first, once)  status  launch {bundle}  terminate {bundle}
//                                  background {bundle}  foreground {bundle}  killall {name}  shutdown
//                                  ui {bundle, request}  ui-answer {id, answer}
// the daemon, to a peer:           reply {ok, error?, ...}  lifecycle {event}  ui {id, request}
// Lifecycle events:                background  foreground  terminate

#include <string>
#include <string_view>

namespace ipc::op {

inline constexpr const char* kKey = "op";

// ---- the hub -------------------------------------------------------------------------------------
inline constexpr const char* kObserve = "observe";
inline constexpr const char* kUnobserve = "unobserve";
inline constexpr const char* kPost = "post";
inline constexpr const char* kRegister = "register";
inline constexpr const char* kSend = "send";
inline constexpr const char* kNotify = "notify";
inline constexpr const char* kRegistered = "registered";
inline constexpr const char* kMessage = "message";

// ---- the device daemon ---------------------------------------------------------------------------
inline constexpr const char* kHello = "hello";
inline constexpr const char* kStatus = "status";
inline constexpr const char* kLaunch = "launch";
inline constexpr const char* kTerminate = "terminate";
inline constexpr const char* kBackground = "background";
inline constexpr const char* kForeground = "foreground";
inline constexpr const char* kKillall = "killall";
inline constexpr const char* kShutdown = "shutdown";
inline constexpr const char* kUi = "ui";
inline constexpr const char* kUiAnswer = "ui-answer";
inline constexpr const char* kReply = "reply";
inline constexpr const char* kLifecycle = "lifecycle";

// ---- lifecycle events ----------------------------------------------------------------------------
inline constexpr const char* kEventBackground = "background";
inline constexpr const char* kEventForeground = "foreground";
inline constexpr const char* kEventTerminate = "terminate";

// What a receiver answers for an operation it has no handler for.
inline std::string unknownOperation(std::string_view name) { return "unknown operation \"" + std::string(name) + "\""; }

} // namespace ipc::op
