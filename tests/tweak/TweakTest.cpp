// The start-up routine: what each process gets, with `enabled` on and off.

#include "tweak/Tweak.h"

#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/SystemLog.h"
#include "sim/graphics/Geometry.h"
#include "sim/ipc/InProcessDevice.h"
#include "sim/uikit/UIKit.h"
#include "tests/support/TempDeviceRoot.h"
#include "tweak/camera/AlbumPicker.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/springboard/MessageServer.h"

#include <gtest/gtest.h>

using fnd::Value;
using namespace rt::literals;

namespace {

int g_stockLaunches = 0;
void stockLaunch(rt::Id, rt::Sel, rt::Ref<rt::Object>) { ++g_stockLaunches; }

struct StartUp : ::testing::Test {
    testsupport::TempDeviceRoot root;
    std::shared_ptr<dsp::ManualClock> clock = std::make_shared<dsp::ManualClock>();
    dsp::RunLoop loop{clock};
    ipc::InProcessDevice device;
    ipc::InProcessDevice::Process process;

    void as(const char* bundle, bool sandboxed = true) {
        dsp::RunLoop::setMain(&loop);
        fnd::setProcessIdentity({bundle ? std::optional<std::string>(bundle) : std::nullopt, sandboxed, ""});
        process = device.connect(
            {201, bundle ? std::optional<std::string>(bundle) : std::nullopt, sandboxed, !sandboxed}, &loop);
        ipc::Endpoint::setShared(process.endpoint.get());
        rt::Class* sb = rt::defineClass("SpringBoard");
        rt::addMethod<&stockLaunch>(sb, "applicationDidFinishLaunching:"_sel);
    }
    void TearDown() override {
        ipc::Endpoint::setShared(nullptr);
        dsp::RunLoop::setMain(nullptr);
    }
    // Files the settings pane and SpringBoard write, written as they would (outside any sandbox).
    void writeAsSystem(const char* path, Value v) {
        fnd::ProcessIdentity me = fnd::processIdentity();
        fnd::setProcessIdentity({me.bundleIdentifier, false, ""});
        fnd::createDirectory(lc::kStateFolder, true);
        ASSERT_TRUE(fnd::writePlistFile(path, std::move(v)));
        fnd::setProcessIdentity(me);
    }
    void prefs(fnd::Dictionary d) { writeAsSystem(lc::kPreferencePath, Value(std::move(d))); }
};

} // namespace

TEST_F(StartUp, SpringBoardGetsItsFolderItsServerAfterTheStockLaunchAndTheAddedHandler) {
    as("com.apple.springboard", false);
    lc::startUp();
    EXPECT_TRUE(fnd::isDirectory(lc::kStateFolder));
    EXPECT_TRUE(device.hub().observes(process.peer, lc::kReloadNotification));
    auto app = rt::sendClass<rt::Ref<rt::Object>>(rt::getClass("SpringBoard"), "new"_sel);
    EXPECT_TRUE(rt::respondsTo(app.get(), "handleMessageNamed:withUserInfo:"_sel));
    rt::send(app, "applicationDidFinishLaunching:"_sel, app);
    EXPECT_EQ(g_stockLaunches, 1) << "the stock launch runs first";
    loop.runUntilIdle();
    EXPECT_TRUE(process.endpoint->isServing(lc::kCenterName));
    EXPECT_FALSE(rt::getClass("LCLockView")) << "a process without UIKit gets no LCLockView";
}

TEST_F(StartUp, WithEnabledOffTheFolderAndTheObserverStillHappenAndNoHookIsInstalled) {
    as("com.apple.springboard", false);
    prefs({{"enabled", Value(false)}});
    lc::startUp();
    EXPECT_TRUE(fnd::isDirectory(lc::kStateFolder));
    EXPECT_TRUE(device.hub().observes(process.peer, lc::kReloadNotification));
    auto app = rt::sendClass<rt::Ref<rt::Object>>(rt::getClass("SpringBoard"), "new"_sel);
    EXPECT_FALSE(rt::respondsTo(app.get(), "handleMessageNamed:withUserInfo:"_sel));
    rt::send(app, "applicationDidFinishLaunching:"_sel, app);
    loop.runUntilIdle();
    EXPECT_FALSE(process.endpoint->isServing(lc::kCenterName));
}

TEST_F(StartUp, TheCameraStartsWithTheRememberedAlbumOnlyWhenAskedTo) {
    as("com.apple.camera");
    writeAsSystem(lc::kAlbumTctPath, Value(fnd::Array{Value("Trips")}));
    lc::startUp();
    EXPECT_EQ(lc::chosenAlbum, "Camera Roll") << "rememberDefault is off by default";
    prefs({{"rememberDefault", Value(true)}});
    lc::startUp();
    EXPECT_EQ(lc::chosenAlbum, "Trips");
    writeAsSystem(lc::kAlbumTctPath, Value(fnd::Array{}));
    lc::startUp();
    EXPECT_EQ(lc::chosenAlbum, "Camera Roll") << "an empty album.tct is like none";
}

TEST_F(StartUp, OtherProcessesGetNoSpringBoardRowsAndAProcessWithoutABundleIsFine) {
    as(nullptr);
    lc::startUp();
    auto app = rt::sendClass<rt::Ref<rt::Object>>(rt::getClass("SpringBoard"), "new"_sel);
    EXPECT_FALSE(rt::respondsTo(app.get(), "handleMessageNamed:withUserInfo:"_sel));
    EXPECT_EQ(lc::installGroup("no such group"), 0);
    EXPECT_TRUE(device.hub().observes(process.peer, lc::kReloadNotification));
}

TEST_F(StartUp, TheLockViewKeepsItsPhotoViewAndTheDebugLineIsByteForByte) {
    as("com.apple.mobileslideshow");
    uikit::registerUIKit();
    lc::startUp();
    rt::Class* lock = rt::getClass("LCLockView");
    ASSERT_TRUE(lock);
    auto v = rt::send<rt::Ref<rt::Object>>(rt::sendClass<rt::Ref<rt::Object>>(lock, "alloc"_sel), "initWithFrame:"_sel,
                                           gfx::CGRectMake(1, 2, 3, 4));
    EXPECT_EQ(rt::send<gfx::CGRect>(v, "frame"_sel), gfx::CGRectMake(1, 2, 3, 4));
    auto photo = rt::sendClass<rt::Ref<rt::Object>>(rt::getClass("UIView"), "new"_sel);
    rt::send(v, "setPhotoView:"_sel, photo);
    photo = rt::send<rt::Ref<rt::Object>>(v, "photoView"_sel);
    EXPECT_TRUE(photo);
    rt::send(v, "layoutSubviews"_sel);

    std::string seen;
    fnd::setLogSink([&](fnd::LogLevel level, const std::string& line) {
        if (level == fnd::LogLevel::Notice) seen = line;
    });
    lc::logDebug(1630, "-[<PUAlbumListViewController: 0x1> reloadCameraRollWithMove:1]: reloading camera roll");
    fnd::setLogSink(nullptr);
    EXPECT_EQ(seen, "\x1b[1;36m[lumicrate12] \x1b[m\x1b[0;36mTweak:1630\x1b[m \x1b[0;30;46mDEBUG:\x1b[m "
                    "-[<PUAlbumListViewController: 0x1> reloadCameraRollWithMove:1]: reloading camera roll");
}

namespace {
std::string hostTitle(rt::Id, rt::Sel) { return "host"; }
int countReplacement(rt::Id, rt::Sel) { return 7; }
void takesNumber(rt::Id, rt::Sel, int) {}
rt::Orig<int()> g_wrongSlot;
rt::Orig<std::string()> g_rightSlot;
std::string titleReplacement(rt::Id self, rt::Sel cmd) { return "hooked " + g_rightSlot(self, cmd); }
} // namespace

TEST(HookRows, ARowInstallsExactlyWhatItNamesAndEachRowOfTheProductTableIsNamedForMessages) {
    rt::Class* host = rt::defineClass("LCRowHost");
    rt::addMethod<&hostTitle>(host, "title"_sel);
    std::vector<lc::HookRow> rows{
        lc::replace<&titleReplacement>("test", "LCRowHost", "title", g_rightSlot),
        lc::add<&takesNumber>("test", "LCRowHost", "takeNumber:", "v@:i"),
        lc::add<&takesNumber>("other", "LCRowHost", "notThisGroup:", "v@:i"),
        lc::replace<&titleReplacement>("test", "LCNoSuchHost", "title", g_rightSlot),
    };
    EXPECT_EQ(lc::installRows(rows, "test"), 2);
    EXPECT_EQ(rt::send<std::string>(rt::createInstance(host), "title"_sel), "hooked host");
    EXPECT_TRUE(rt::respondsTo(rt::createInstance(host), "takeNumber:"_sel));
    EXPECT_FALSE(rt::respondsTo(rt::createInstance(host), "notThisGroup:"_sel));
    for (const lc::HookRow& row : lc::hookTable())
        EXPECT_NE(lc::describeRow(row).find(row.selector), std::string::npos);
    EXPECT_EQ(lc::describeRow(lc::hookTable().front()),
              "camera R -[CAMCaptureEngine captureOutput:didFinishCaptureForResolvedSettings:error:]");
}

TEST(HookRowsDeathTest, AReplacementOfAnotherSignatureFailsAtStartUpNamingTheRow) {
    rt::Class* host = rt::defineClass("LCWrongRowHost");
    rt::addMethod<&hostTitle>(host, "title"_sel);
    std::vector<lc::HookRow> rows{lc::replace<&countReplacement>("camera", "LCWrongRowHost", "title", g_wrongSlot)};
    EXPECT_DEATH(lc::installRows(rows, "camera"),
                 "hook row camera R -\\[LCWrongRowHost title\\]: the replacement is i@: but the method is "
                 "@\"NSString\"@:");
}

TEST(HookRowsDeathTest, AnAddedMethodWhoseEncodingIsNotItsImplementationsFailsNamingTheRow) {
    rt::defineClass("LCWrongAddHost");
    std::vector<lc::HookRow> rows{lc::add<&takesNumber>("photos", "LCWrongAddHost", "unlockAlbum:", "v@:@")};
    EXPECT_DEATH(lc::installRows(rows, "photos"),
                 "hook row photos A -\\[LCWrongAddHost unlockAlbum:\\]: the encoding \"v@:@\" is not the "
                 "implementation's \"v@:i\"");
}
