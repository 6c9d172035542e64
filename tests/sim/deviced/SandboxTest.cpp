// The apps' walls: what each role's ruleset names, what the kernel then
// lets a process inside it do, and the daemon's cache of rulesets.

#include "sim/deviced/Sandbox.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using deviced::AppSandbox;

namespace {

class AppWalls : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/lumi-walls-XXXXXX";
        m_dir = ::mkdtemp(tmpl);
        fs::create_directories(m_dir / "bin");
        ASSERT_TRUE(fnd::prepareDeviceRoot(m_dir / "device"));
        fnd::setDeviceRoot(m_dir / "device");
        for (const char* app : {"com.apple.camera", "com.apple.mobileslideshow"})
            ASSERT_TRUE(fnd::createDirectory(fnd::containerPath(app) + "/tmp", true));
        ASSERT_TRUE(fnd::writeFileAtomically(fnd::containerPath("com.apple.mobileslideshow") + "/secret", "x"));
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::optional<AppSandbox> walls(const char* bundle) {
        return AppSandbox::prepare(*fnd::findApp(bundle), m_dir / "bin");
    }
    static bool grants(const AppSandbox& box, const std::string& devicePath, const std::string& access) {
        fs::path path = fnd::hostPath(devicePath);
        return std::any_of(box.grants().begin(), box.grants().end(), [&](const AppSandbox::Grant& g) {
            return g.access == access && (path == g.path || path.string().starts_with(g.path.string() + "/"));
        });
    }
    fs::path m_dir;
};

} // namespace

TEST_F(AppWalls, EachRoleIsGrantedItsOwnFoldersAndNoOtherAppsContainer) {
    if (deviced::landlockAbi() < 1) GTEST_SKIP() << "the kernel has no Landlock";
    auto camera = walls("com.apple.camera");
    auto springboard = walls("com.apple.springboard");
    auto store = walls("com.apple.store.Jolly");
    ASSERT_TRUE(camera && springboard && store);

    EXPECT_TRUE(grants(*camera, "/private/var/mobile/Containers/Data/Application/com.apple.camera/tmp/x", "write"));
    EXPECT_TRUE(grants(*camera, "/private/var/mobile/Media/DCIM/x", "write"));
    EXPECT_FALSE(grants(*camera, "/private/var/mobile/Library/lumicrate/lockedAlbums.plist", "write"));
    EXPECT_TRUE(grants(*camera, "/private/var/mobile/Library/lumicrate/lockedAlbums.plist", "read"));
    for (const auto& access : {"read", "write"})
        EXPECT_FALSE(
            grants(*camera, "/private/var/mobile/Containers/Data/Application/com.apple.mobileslideshow/secret", access))
            << access;

    EXPECT_TRUE(grants(*springboard, "/private/var/mobile/Library/lumicrate/lockedAlbums.plist", "write"));
    EXPECT_FALSE(
        grants(*springboard, "/private/var/mobile/Containers/Data/Application/com.apple.camera/tmp/x", "write"));
    EXPECT_FALSE(grants(*store, "/private/var/mobile/Media/DCIM/x", "write")) << "no photo access";
    EXPECT_FALSE(grants(*store, "/System/Library/device.plist", "write"));
}

// A process that enters the Camera's walls, as an app's process does
// between clone and exec, then tries its own folders and others.
TEST_F(AppWalls, TheKernelHoldsAProcessInsideTheCamerasWallsToThem) {
    if (deviced::landlockAbi() < 1) GTEST_SKIP() << "the kernel has no Landlock";
    auto camera = walls("com.apple.camera");
    ASSERT_TRUE(camera);
    const std::vector<std::pair<std::string, bool>> writes{
        {fnd::containerPath("com.apple.camera") + "/tmp/own", true},
        {"/var/mobile/Media/shot", true},
        {"/var/mobile/Library/lumicrate-state", false},
        {"/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist", false},
        {fnd::containerPath("com.apple.mobileslideshow") + "/secret", false},
        {"/System/Library/device.plist", false},
    };
    std::vector<std::string> hostPaths;
    for (const auto& [path, allowed] : writes)
        hostPaths.push_back(fnd::hostPath(path).string());
    std::string otherContainer = fnd::hostPath(fnd::containerPath("com.apple.mobileslideshow") + "/secret").string();
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
            ::syscall(SYS_landlock_restrict_self, camera->rulesetFd(), 0) != 0)
            ::_exit(100);
        int wrong = 0;
        for (std::size_t i = 0; i < writes.size(); ++i) {
            int fd = ::open(hostPaths[i].c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if ((fd >= 0) != writes[i].second) wrong |= 1 << i;
            if (fd >= 0) ::close(fd);
        }
        if (::open(otherContainer.c_str(), O_RDONLY) >= 0) wrong |= 1 << 10;
        ::_exit(wrong);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    int wrong = WEXITSTATUS(status);
    ASSERT_NE(wrong, 100) << "the walls could not be entered";
    for (std::size_t i = 0; i < writes.size(); ++i)
        EXPECT_FALSE(wrong & (1 << i)) << writes[i].first
                                       << (writes[i].second ? " should be writable" : " was written");
    EXPECT_FALSE(wrong & (1 << 10)) << "the Photos app's container was read";
    EXPECT_EQ(fnd::readFile(fnd::containerPath("com.apple.mobileslideshow") + "/secret"),
              std::optional<std::string>("x"));
}

TEST_F(AppWalls, TheCacheBuildsAnAppsWallsOnceAndAgainWhenAFolderTheyListChanges) {
    if (deviced::landlockAbi() < 1) GTEST_SKIP() << "the kernel has no Landlock";
    deviced::SandboxCache cache(m_dir / "bin");
    const fnd::AppInfo& camera = *fnd::findApp("com.apple.camera");
    const AppSandbox* first = cache.forApp(camera);
    ASSERT_TRUE(first);
    EXPECT_FALSE(grants(*first, "/Applications/x", "read"));
    EXPECT_EQ(cache.forApp(camera), first) << "nothing changed: the same walls";
    // A new folder at the device's root: the walls built before do not list it.
    ASSERT_TRUE(fnd::createDirectory("/Applications", true));
    const AppSandbox* second = cache.forApp(camera);
    ASSERT_TRUE(second);
    EXPECT_TRUE(grants(*second, "/Applications/x", "read"));
}
