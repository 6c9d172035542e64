// LumiProbe: the device's diagnostic library. Injected into app processes as
// the code-injection framework injects a tweak (`lumisim inject`), it shows
// that injection, notifications and named messages work, for the demo and
// the end-to-end tests. It reports through the system log and, in
// SpringBoard, serves the centre "com.lumi.probe":
//
//   seen {}            logs "probe: seen <sender bundle>"
//   expect {count}     the number of "seq" records after which to write them
//   seq {lane, n}      records (sender bundle, sender pid, lane, n)
//
// Every process it is in answers the notifications "com.lumi.probe.hello"
// (sends "seen"), "com.lumi.probe.coalesced" (coalesce: logs) and, in the
// apps other than SpringBoard, "com.lumi.probe.respring" (spawns
// /usr/bin/killall backboardd, which the device allows only an unsandboxed app),
// and "com.lumi.probe.library" (logs what this process's photo library
// holds: "probe: <bundle> library camera-roll N hidden N albums TITLE=N,...",
// album counts with hidden assets).
//
// In every process it also adds the automation command "probe-send"
// {center, message, userInfo}: this process sends that named message, as
// any client of the centre would (`lumisim ui APP` carries the request);
// "probe-write" {path, text}: this process writes the file itself, so a
// test sees what its sandbox allows (the answer fails when it refuses); and
// "probe-connect" {op}: this process opens a connection of its own to the
// device and sends the operation, as injected code could. Two floods, as an
// attacker's injected code would send them on this app's own connection:
// "probe-observe-many" {count, bytes} observes `count` distinct names of
// `bytes` bytes; "probe-send-largest" {center, message} sends a message
// whose user info is as large as the device takes from an app.
//
// What code injected into an app could do with the C library and the kernel
// alone, past the platform's own functions:
// "probe-raw-write" {path, text} and "probe-raw-read" {path} open the device
// path's host file directly; "probe-signal" {pid} sends signal 0 to a
// process; "probe-deep-ask" {generations, op} forks a chain of processes
// that many generations deep, and the deepest asks the operation on a
// connection of its own and tries the operator's channel (the outcome is
// logged: "probe: deep-ask device ok|refused|none operator channel
// reached|unreachable");
// "probe-orphan-connection" opens a connection from a child process that
// then exits (answering its "pid"), which "probe-orphan-ask" {ops} later
// says hello on and uses, answering the first reply.

#include "sim/apps/host/Application.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/Spawn.h"
#include "sim/foundation/SystemLog.h"
#include "sim/ipc/DeviceSocket.h"
#include "sim/ipc/Endpoint.h"
#include "sim/ipc/Frame.h"
#include "sim/ipc/MessagingCenter.h"
#include "sim/ipc/Notify.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/Automation.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace rt::literals;
using namespace photos;

namespace {

std::string g_bundle;
fnd::Array g_records;
std::size_t g_expected = 0;

void log(const std::string& line) { fnd::systemLog(fnd::LogLevel::Notice, "probe: " + line); }

std::string senderBundle() {
    const auto& s = ipc::Endpoint::shared()->currentSender();
    return s && s->bundleIdentifier ? *s->bundleIdentifier : std::string("-");
}

void flushIfComplete() {
    if (g_expected == 0 || g_records.size() < g_expected) return;
    fnd::writePlistFile("/var/mobile/Library/probe-seq.plist", fnd::Value(g_records));
    log("wrote " + std::to_string(g_records.size()) + " records");
    g_records.clear();
    g_expected = 0;
}

void handleMessage(rt::Id, rt::Sel, std::string name, fnd::Dictionary info) {
    if (name == "seen") {
        log("seen " + senderBundle());
    } else if (name == "expect") {
        g_expected = static_cast<std::size_t>(fnd::valueForKey(info, "count").intValue());
        flushIfComplete();
    } else if (name == "seq") {
        const auto& s = ipc::Endpoint::shared()->currentSender();
        g_records.push_back(fnd::Value(fnd::Dictionary{
            {"sender", fnd::Value(senderBundle())},
            {"pid", fnd::Value(static_cast<int64_t>(s ? s->pid : 0))},
            {"lane", fnd::valueForKey(info, "lane")},
            {"n", fnd::valueForKey(info, "n")},
        }));
        flushIfComplete();
    }
}

void onHello(CFNotificationCenterRef, void*, CFStringRef name, const void*, CFDictionaryRef) {
    log(g_bundle + " heard " + name);
    auto center = ipc::MessagingCenter::centerNamed("com.lumi.probe");
    ipc::rocketbootstrap_distributedmessagingcenter_apply(center.get());
    center->sendMessageName("seen", {});
}

unsigned long countOf(const PHAssetCollection& collection, bool includeHidden) {
    auto options = PHFetchOptions::new_();
    options.setIncludeHiddenAssets(includeHidden);
    return PHAsset::fetchAssetsInAssetCollection_options(collection, options).count();
}

PHAssetCollection smartAlbum(PHAssetCollectionSubtype subtype) {
    return PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(PHAssetCollectionTypeSmartAlbum, subtype,
                                                                            nullptr)
        .firstObject();
}

void onLibrary(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) {
    std::string albums;
    auto all = PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(PHAssetCollectionTypeAlbum,
                                                                                PHAssetCollectionSubtypeAny, nullptr);
    for (const PHAssetCollection& a : all.fetchedObjects())
        albums += (albums.empty() ? "" : ",") + a.title() + "=" + std::to_string(countOf(a, true));
    log(g_bundle + " library camera-roll " +
        std::to_string(countOf(smartAlbum(PHAssetCollectionSubtypeSmartAlbumUserLibrary), false)) + " hidden " +
        std::to_string(countOf(smartAlbum(PHAssetCollectionSubtypeSmartAlbumAllHidden), false)) + " albums " +
        (albums.empty() ? "-" : albums));
}

void onCoalesced(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) {
    log("coalesced in " + g_bundle);
}

void onRespring(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) {
    // Logged first: the killall ends this process, maybe before spawn returns.
    log("spawning killall backboardd");
    pid_t pid = 0;
    int rc = fnd::posixSpawn(&pid, "/usr/bin/killall", {"killall", "backboardd"});
    if (rc != 0) log("spawning killall failed: " + std::to_string(rc));
}

void noteFlood(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) {}

fnd::Dictionary probeObserveMany(const fnd::Dictionary& request) {
    const int64_t* count = fnd::valueForKey(request, "count").integer();
    const int64_t* bytes = fnd::valueForKey(request, "bytes").integer();
    if (!count || !bytes || *count < 0 || *bytes < 8 || *count > 100000 || *bytes > (16 << 20))
        return uikit::automation::failure("probe-observe-many needs a count and a size");
    auto darwin = CFNotificationCenterGetDarwinNotifyCenter();
    for (int64_t i = 0; i < *count; ++i) {
        std::string name = std::to_string(i) + ".";
        name.resize(static_cast<std::size_t>(*bytes), 'x');
        CFNotificationCenterAddObserver(darwin, nullptr, noteFlood, name.c_str(), nullptr,
                                        CFNotificationSuspensionBehaviorDeliverImmediately);
    }
    log(g_bundle + " observed " + std::to_string(*count) + " names");
    return uikit::automation::success();
}

fnd::Dictionary probeSendLargest(const fnd::Dictionary& request) {
    const std::string* centre = fnd::valueForKey(request, "center").string();
    const std::string* message = fnd::valueForKey(request, "message").string();
    if (!centre || !message) return uikit::automation::failure("probe-send-largest needs a center and a message");
    // As many values as the device takes from an app, less the frame's own few.
    fnd::Array values;
    for (std::uint64_t i = 0; i + 16 < ipc::kInboundFrameLimits.maxNodes; ++i)
        values.emplace_back(static_cast<int64_t>(i % 7));
    auto center = ipc::MessagingCenter::centerNamed(*centre);
    ipc::rocketbootstrap_distributedmessagingcenter_apply(center.get());
    center->sendMessageName(*message, {{"values", fnd::Value(std::move(values))}});
    log(g_bundle + " sent the largest " + *message + " to " + *centre);
    return uikit::automation::success();
}

fnd::Dictionary probeSend(const fnd::Dictionary& request) {
    const std::string* centre = fnd::valueForKey(request, "center").string();
    const std::string* message = fnd::valueForKey(request, "message").string();
    const fnd::Dictionary* info = fnd::valueForKey(request, "userInfo").dictionary();
    if (!centre || !message) return uikit::automation::failure("probe-send needs a center and a message");
    auto center = ipc::MessagingCenter::centerNamed(*centre);
    ipc::rocketbootstrap_distributedmessagingcenter_apply(center.get());
    center->sendMessageName(*message, info ? *info : fnd::Dictionary{});
    log(g_bundle + " sent " + *message + " to " + *centre);
    return uikit::automation::success();
}

fnd::Dictionary probeWrite(const fnd::Dictionary& request) {
    const std::string* path = fnd::valueForKey(request, "path").string();
    const std::string* text = fnd::valueForKey(request, "text").string();
    if (!path || !text) return uikit::automation::failure("probe-write needs a path and a text");
    if (!fnd::writeFileAtomically(*path, *text))
        return uikit::automation::failure(g_bundle + " may not write " + *path);
    return uikit::automation::success();
}

// "probe-connect" {op}: what code injected into this app could do on a
// connection of its own to the device: open one through the socket's path,
// say hello claiming to be this app, send the operation, and answer the
// first frame that comes back ("reply" or "registered"), as "answer".
fnd::Dictionary probeConnect(const fnd::Dictionary& request) {
    const fnd::Dictionary* op = fnd::valueForKey(request, "op").dictionary();
    if (!op) return uikit::automation::failure("probe-connect needs an op");
    auto socket = ipc::DeviceSocket::connect(ipc::deviceSocketPath());
    if (!socket) return uikit::automation::failure("no device socket");
    socket->send({{"op", fnd::Value("hello")}, {"bundle", fnd::Value(g_bundle)}});
    socket->send(*op);
    for (int frames = 0; frames < 16; ++frames) {
        auto frame = socket->readFrame(std::chrono::seconds(5));
        if (!frame) break;
        const std::string* kind = fnd::valueForKey(*frame, "op").string();
        if (kind && (*kind == "reply" || *kind == "registered"))
            return uikit::automation::success({{"answer", fnd::Value(*frame)}});
    }
    return uikit::automation::failure("the device did not answer");
}

fnd::Dictionary probeRawWrite(const fnd::Dictionary& request) {
    const std::string* path = fnd::valueForKey(request, "path").string();
    const std::string* text = fnd::valueForKey(request, "text").string();
    if (!path || !text) return uikit::automation::failure("probe-raw-write needs a path and a text");
    int fd = ::open(fnd::hostPath(*path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return uikit::automation::failure(std::strerror(errno));
    bool whole = ::write(fd, text->data(), text->size()) == static_cast<ssize_t>(text->size());
    ::close(fd);
    return whole ? uikit::automation::success() : uikit::automation::failure("short write");
}

fnd::Dictionary probeRawRead(const fnd::Dictionary& request) {
    const std::string* path = fnd::valueForKey(request, "path").string();
    if (!path) return uikit::automation::failure("probe-raw-read needs a path");
    int fd = ::open(fnd::hostPath(*path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return uikit::automation::failure(std::strerror(errno));
    char buf[4096];
    ssize_t n = ::read(fd, buf, sizeof buf);
    ::close(fd);
    if (n < 0) return uikit::automation::failure(std::strerror(errno));
    return uikit::automation::success({{"bytes", fnd::Value(static_cast<int64_t>(n))}});
}

fnd::Dictionary probeSignal(const fnd::Dictionary& request) {
    const std::int64_t* pid = fnd::valueForKey(request, "pid").integer();
    if (!pid || *pid <= 1) return uikit::automation::failure("probe-signal needs a pid");
    if (::kill(static_cast<pid_t>(*pid), 0) != 0) return uikit::automation::failure(std::strerror(errno));
    return uikit::automation::success();
}

// Exit statuses of the deepest process of probe-deep-ask.
constexpr int kAnsweredOk = 0, kRefused = 1, kNoAnswer = 2, kOperatorReached = 4;

int askOnOwnConnection(const fnd::Dictionary& op) {
    int status = kNoAnswer;
    if (auto socket = ipc::DeviceSocket::connect(ipc::deviceSocketPath())) {
        socket->send({{"op", fnd::Value("hello")}});
        if (auto reply = socket->request(op, std::chrono::seconds(5)))
            status = fnd::valueForKey(*reply, "ok").boolValue() ? kAnsweredOk : kRefused;
    }
    if (ipc::DeviceSocket::connectAsOperator()) status |= kOperatorReached;
    return status;
}

// The chain runs on a thread of its own (a few hundred forks of an app's
// process take seconds), and its outcome is logged:
// "probe: deep-ask device <ok|refused|none> operator channel <reached|unreachable>".
void deepAsk(std::int64_t generations, const fnd::Dictionary& op) {
    // Each generation forks the next and passes its exit status up; the
    // deepest asks. Only this thread runs in the children, and none logs.
    pid_t first = ::fork();
    if (first < 0) return log("deep-ask could not fork: " + std::string(std::strerror(errno)));
    if (first == 0) {
        for (std::int64_t depth = 1; depth < generations; ++depth) {
            pid_t next = ::fork();
            if (next < 0) ::_exit(kNoAnswer);
            if (next > 0) {
                int status = 0;
                while (::waitpid(next, &status, 0) < 0 && errno == EINTR) {
                }
                ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : kNoAnswer);
            }
        }
        ::_exit(askOnOwnConnection(op));
    }
    int status = 0;
    while (::waitpid(first, &status, 0) < 0 && errno == EINTR) {
    }
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : kNoAnswer;
    const char* device = (code & 3) == kAnsweredOk ? "ok" : (code & 3) == kRefused ? "refused" : "none";
    log(std::string("deep-ask device ") + device + " operator channel " +
        ((code & kOperatorReached) ? "reached" : "unreachable"));
}

fnd::Dictionary probeDeepAsk(const fnd::Dictionary& request) {
    const std::int64_t* generations = fnd::valueForKey(request, "generations").integer();
    const fnd::Dictionary* op = fnd::valueForKey(request, "op").dictionary();
    if (!generations || *generations < 1 || *generations > 4096 || !op)
        return uikit::automation::failure("probe-deep-ask needs generations (1-4096) and an op");
    std::thread(deepAsk, *generations, *op).detach();
    return uikit::automation::success();
}

// The connection a child opened and then died, kept by this process.
int g_orphan = -1;

fnd::Dictionary probeOrphanConnection(const fnd::Dictionary&) {
    if (g_orphan >= 0) ::close(g_orphan);
    g_orphan = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::string path = ipc::deviceSocketPath();
    sockaddr_un addr{};
    if (g_orphan < 0 || path.size() >= sizeof addr.sun_path) return uikit::automation::failure("no socket");
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    // The kernel records the pid of the process that connects: the child's.
    pid_t child = ::fork();
    if (child < 0) return uikit::automation::failure(std::strerror(errno));
    if (child == 0) ::_exit(::connect(g_orphan, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 ? 0 : 1);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return uikit::automation::failure("the child could not connect");
    return uikit::automation::success({{"pid", fnd::Value(static_cast<int64_t>(child))}});
}

fnd::Dictionary probeOrphanAsk(const fnd::Dictionary& request) {
    const fnd::Array* ops = fnd::valueForKey(request, "ops").array();
    if (!ops || g_orphan < 0) return uikit::automation::failure("probe-orphan-ask needs ops and an orphan connection");
    auto socket = ipc::DeviceSocket::adopt(::dup(g_orphan));
    if (!socket) return uikit::automation::failure("no socket");
    socket->send({{"op", fnd::Value("hello")}});
    for (const auto& op : *ops)
        if (const fnd::Dictionary* d = op.dictionary()) socket->send(*d);
    for (int frames = 0; frames < 16; ++frames) {
        auto frame = socket->readFrame(std::chrono::seconds(5));
        if (!frame) break;
        if (fnd::valueForKey(*frame, "op") == fnd::Value("reply"))
            return uikit::automation::success({{"answer", fnd::Value(*frame)}});
    }
    return uikit::automation::failure("the device did not answer");
}

void probeLoaded() {
    static int runs = 0;
    ++runs;
    const auto& bundle = fnd::mainBundleIdentifier();
    g_bundle = bundle ? *bundle : "-";
    log("constructor " + std::to_string(runs) + " in " + g_bundle + " pid " + std::to_string(::getpid()) +
        " app-object " + (apps::sharedApplication() ? "yes" : "none"));

    uikit::automation::addCommand("probe-send", probeSend);
    uikit::automation::addCommand("probe-write", probeWrite);
    uikit::automation::addCommand("probe-connect", probeConnect);
    uikit::automation::addCommand("probe-observe-many", probeObserveMany);
    uikit::automation::addCommand("probe-send-largest", probeSendLargest);
    uikit::automation::addCommand("probe-raw-write", probeRawWrite);
    uikit::automation::addCommand("probe-raw-read", probeRawRead);
    uikit::automation::addCommand("probe-signal", probeSignal);
    uikit::automation::addCommand("probe-deep-ask", probeDeepAsk);
    uikit::automation::addCommand("probe-orphan-connection", probeOrphanConnection);
    uikit::automation::addCommand("probe-orphan-ask", probeOrphanAsk);
    auto darwin = CFNotificationCenterGetDarwinNotifyCenter();
    CFNotificationCenterAddObserver(darwin, nullptr, onHello, "com.lumi.probe.hello", nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    CFNotificationCenterAddObserver(darwin, nullptr, onLibrary, "com.lumi.probe.library", nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    CFNotificationCenterAddObserver(darwin, nullptr, onCoalesced, "com.lumi.probe.coalesced", nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    if (g_bundle != "com.apple.springboard")
        CFNotificationCenterAddObserver(darwin, nullptr, onRespring, "com.lumi.probe.respring", nullptr,
                                        CFNotificationSuspensionBehaviorDeliverImmediately);
    if (g_bundle == "com.apple.springboard") {
        rt::Class* cls = rt::defineClass("LumiProbeHandler");
        rt::addMethod<&handleMessage>(cls, "handleMessageNamed:withUserInfo:"_sel, "v@:@@");
        auto center = ipc::MessagingCenter::centerNamed("com.lumi.probe");
        center->runServerOnCurrentThread();
        auto target = rt::createInstance(cls);
        for (const char* m : {"seen", "expect", "seq"})
            center->registerForMessageName(m, target, "handleMessageNamed:withUserInfo:"_sel);
    }
}

// Run at load by the library's static initialisation, after the globals
// above are initialised (an __attribute__((constructor)) function may run
// before them, and they would then be reset over what it stored).
const bool g_loaded = (probeLoaded(), true);

} // namespace
