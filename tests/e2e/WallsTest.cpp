// The device's walls under attack by code inside an app that uses the C
// library and the kernel directly (the probe's raw commands): files past
// the app's role, signals to other processes, a chain of processes deep
// below the app, and a connection whose pid is taken, after its process
// died, by a process outside the device.

#include "sim/foundation/AppCatalog.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "tests/e2e/E2EDevice.h"

#include <csignal>
#include <gtest/gtest.h>
#include <linux/sched.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using e2e::Device;
using e2e::kCamera;
using e2e::kPhotos;
using e2e::kSpringBoard;
using e2e::ok;
using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr const char* kGallery = "com.example.gallery";
constexpr const char* kLockedList = "/var/mobile/Library/lumicrate/lockedAlbums.plist";
constexpr const char* kPreferences = "/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist";

std::string walls(Device& d) {
    Dictionary status = d.status();
    const std::string* w = fnd::valueForKey(status, "walls").string();
    return w ? *w : "";
}

std::string errorOf(const Dictionary& answer) {
    const std::string* error = fnd::valueForKey(answer, "error").string();
    return error ? *error : "(no error)";
}

Dictionary rawWrite(Device& d, const std::string& app, const std::string& path) {
    return d.ui(app, {{"command", Value("probe-raw-write")}, {"path", Value(path)}, {"text", Value("attack")}});
}

// A process of this test (outside the device) with exactly `pid`, as pid
// reuse would make one; it waits until killed. None when the kernel will
// not give that pid (the test is not privileged, or the pid is taken).
std::optional<pid_t> processWithPid(pid_t pid) {
    pid_t wanted[] = {pid};
    clone_args args{};
    args.exit_signal = SIGCHLD;
    args.set_tid = reinterpret_cast<std::uint64_t>(wanted);
    args.set_tid_size = 1;
    long child = ::syscall(SYS_clone3, &args, sizeof args);
    if (child == 0) {
        for (;;)
            ::pause();
    }
    if (child < 0) return std::nullopt;
    return static_cast<pid_t>(child);
}

} // namespace

TEST(Walls, AnAppWritingWithTheCLibraryIsHeldToItsRole) {
    Device d(true);
    if (walls(d) == "advisory") GTEST_SKIP() << "the kernel has no Landlock: the walls are advisory";
    d.launch(kCamera);
    d.launch(kPhotos);
    ASSERT_TRUE(d.lockAlbums({"Secret"}));
    auto before = fnd::readFile(kLockedList);
    std::string photosFile = fnd::containerPath(kPhotos) + "/Library/attack-target";
    fnd::createDirectory(fnd::containerPath(kPhotos) + "/Library", true);
    ASSERT_TRUE(fnd::writeFileAtomically(photosFile, "the Photos app's own"));

    // The Camera: its container and the photo library, nothing else.
    for (const std::string& path :
         {std::string(kLockedList), std::string(kPreferences), photosFile, std::string("/System/Library/device.plist"),
          std::string("/private/var/run/x"), std::string("/usr/bin/killall")}) {
        Dictionary answer = rawWrite(d, kCamera, path);
        EXPECT_FALSE(ok(answer)) << "the Camera wrote " << path;
    }
    EXPECT_TRUE(ok(rawWrite(d, kCamera, fnd::containerPath(kCamera) + "/tmp/own")));
    EXPECT_TRUE(ok(rawWrite(d, kCamera, "/var/mobile/Media/camera-was-here")));
    EXPECT_FALSE(ok(d.ui(kCamera, {{"command", Value("probe-raw-read")}, {"path", Value(photosFile)}})))
        << "another app's container is not the Camera's to read";
    EXPECT_TRUE(ok(d.ui(kCamera, {{"command", Value("probe-raw-read")}, {"path", Value(kLockedList)}})))
        << "the state files are readable, as every app's filter reads them";

    // SpringBoard: the state folder is its to write, no app's container is.
    EXPECT_TRUE(ok(rawWrite(d, kSpringBoard, "/var/mobile/Library/lumicrate/springboard-was-here")));
    EXPECT_FALSE(ok(rawWrite(d, kSpringBoard, photosFile)));

    EXPECT_EQ(fnd::readFile(kLockedList), before) << "the locked list is as SpringBoard wrote it";
    EXPECT_EQ(fnd::readFile(photosFile), std::optional<std::string>("the Photos app's own"));
    EXPECT_FALSE(fnd::readFile(kPreferences));

    if (walls(d) != "kernel") GTEST_SKIP() << "the kernel's Landlock has no scopes: signals are advisory";
    auto springboard = d.pidOf(kSpringBoard);
    ASSERT_TRUE(springboard);
    Dictionary answer = d.ui(kCamera, {{"command", Value("probe-signal")}, {"pid", Value(int64_t{*springboard})}});
    EXPECT_FALSE(ok(answer)) << "the Camera may not signal SpringBoard";
}

TEST(Walls, AChainOfProcessesFarBelowAnAppIsNobodyAndCannotReachTheOperatorsChannel) {
    Device d;
    d.launch(kCamera);
    Dictionary answer = d.ui(kCamera, {{"command", Value("probe-deep-ask")},
                                       {"generations", Value(int64_t{300})},
                                       {"op", Value(Dictionary{{"op", Value("status")}})}});
    ASSERT_TRUE(ok(answer)) << errorOf(answer);
    ASSERT_TRUE(d.waitFor([&] { return d.countLog("probe: deep-ask") == 1; }, std::chrono::seconds(120)));
    EXPECT_EQ(d.countLog("probe: deep-ask device refused"), 1u)
        << "300 generations below the Camera, status is still not for it to ask";
    EXPECT_EQ(d.countLog("deviced: refused \"status\" from a process inside the device"), 1u);
    if (walls(d) != "kernel") GTEST_SKIP() << "the kernel's Landlock has no scopes: the operator's channel is advisory";
    EXPECT_EQ(d.countLog("operator channel unreachable"), 1u);
}

TEST(Walls, AConnectionWhosePidIsTakenByAProcessOutsideTheDeviceIsStillNobody) {
    Device d(true);
    d.launch(kCamera);
    ASSERT_TRUE(d.lockAlbums({"Secret"}));
    auto before = fnd::readFile(kLockedList);
    ASSERT_TRUE(before);

    Dictionary orphan = d.ui(kCamera, {{"command", Value("probe-orphan-connection")}});
    ASSERT_TRUE(ok(orphan)) << errorOf(orphan);
    auto pid = static_cast<pid_t>(fnd::valueForKey(orphan, "pid").intValue());
    auto impostor = processWithPid(pid);
    if (!impostor) GTEST_SKIP() << "the kernel gave no process pid " << pid << " (clone3 set_tid needs privilege)";

    // The old connection says hello now: its pid names a process outside the device.
    Dictionary savearray{{"op", Value("send")},
                         {"center", Value("com.zel.lumicrate12")},
                         {"message", Value("savearray")},
                         {"userInfo", Value(Dictionary{{"path", Value(kLockedList)}, {"array", Value(fnd::Array{})}})}};
    Dictionary answer =
        d.ui(kCamera, {{"command", Value("probe-orphan-ask")},
                       {"ops", Value(fnd::Array{Value(savearray), Value(Dictionary{{"op", Value("status")}})})}});
    ::kill(*impostor, SIGKILL);
    ::waitpid(*impostor, nullptr, 0);
    ASSERT_TRUE(ok(answer)) << errorOf(answer);
    const Dictionary* reply = fnd::valueForKey(answer, "answer").dictionary();
    ASSERT_TRUE(reply);
    EXPECT_EQ(fnd::valueForKey(*reply, "ok"), Value(false)) << "status is the operator's alone";
    EXPECT_TRUE(d.waitFor([&] { return d.countLog("savearray refused") >= 1; }));
    EXPECT_EQ(fnd::readFile(kLockedList), before) << "the locked list was not emptied";
}

TEST(Walls, ADeviceBootedWithAdvisoryWallsSaysSoOnce) {
    Device d(false, "iphone8", {"--advisory-walls"});
    EXPECT_EQ(walls(d), "advisory");
    EXPECT_EQ(d.countLog("the walls are advisory"), 1u);
}
