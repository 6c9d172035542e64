// The stock Camera app in this process: its bar, a capture from the
// shutter to the library and the image well, and the methods a tweak
// hooks doing what the camera does with them.

#include "sim/apps/camera/Camera.h"

#include "sim/apps/host/Application.h"
#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/photos/kit/Internals.h"
#include "sim/uikit/UIGestureRecognizer.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIViewController.h"
#include "tests/sim/apps/CameraProcess.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>
#include <thread>

using rt::Ref;
using namespace rt::literals;

namespace {

struct FinishedCall {
    long cameraRollAtCall;
    bool onMainThread;
    bool withError;
};
std::vector<FinishedCall> g_finished;
std::thread::id g_main;
rt::Orig<void(Ref<rt::Object>, Ref<rt::Object>, Ref<rt::Object>)> g_stockFinished;
rt::Orig<Ref<rt::Object>()> g_stockThumbnail;
Ref<rt::Object> g_replacement;
int g_thumbnailAsks = 0;

long cameraRollCount() {
    auto roll = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                               "fetchAssetCollectionsWithType:subtype:options:"_sel, 2L, 209L, nullptr);
    auto album = rt::send<Ref<rt::Object>>(roll, "firstObject"_sel);
    return static_cast<long>(rt::send<unsigned long>(
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsInAssetCollection:options:"_sel, album,
                                       nullptr),
        "count"_sel));
}

void finishedHook(rt::Id self, rt::Sel cmd, Ref<rt::Object> output, Ref<rt::Object> settings, Ref<rt::Object> error) {
    g_finished.push_back({cameraRollCount(), std::this_thread::get_id() == g_main, static_cast<bool>(error)});
    g_stockFinished(self, cmd, output, settings, error);
}
Ref<rt::Object> thumbnailHook(rt::Id self, rt::Sel cmd) {
    ++g_thumbnailAsks;
    return g_replacement ? g_replacement : g_stockThumbnail(self, cmd);
}

struct Camera : ::testing::Test {
    testsupport::TempDeviceRoot root;
    std::shared_ptr<dsp::ManualClock> clock = std::make_shared<dsp::ManualClock>();
    dsp::RunLoop loop{clock};
    Ref<rt::Object> bar;

    void SetUp() override { dsp::RunLoop::setMain(&loop); }
    void TearDown() override {
        photos::Library::shared().waitUntilIdle();
        dsp::RunLoop::setMain(nullptr);
    }
    void launch(const std::string& model = "iphone8") {
        g_main = std::this_thread::get_id();
        rt::Class* appClass = apptest::registerCameraProcess(model);
        auto app = rt::sendClass<Ref<rt::Object>>(appClass, "new"_sel);
        rt::send(app, "applicationDidFinishLaunching:"_sel, app);
        settle();
        auto viewfinder = rt::send<Ref<rt::Object>>(uikit::keyWindow(), "rootViewController"_sel);
        ASSERT_EQ(rt::className(viewfinder.get()), "CAMViewfinderViewController");
        for (const auto& v :
             rt::send<std::vector<Ref<rt::Object>>>(rt::send<Ref<rt::Object>>(viewfinder, "view"_sel), "subviews"_sel))
            if (rt::className(v.get()) == "CAMBottomBar") bar = v;
        ASSERT_EQ(rt::className(bar.get()), "CAMBottomBar");
    }
    // Runs the main loop and the library's queue until neither has work left.
    void settle() {
        for (int i = 0; i < 4; ++i) {
            photos::Library::shared().waitUntilIdle();
            loop.runUntilIdle();
        }
    }
    Ref<rt::Object> part(const char* name) { return rt::send<Ref<rt::Object>>(bar, rt::sel(name)); }
    void pressShutter() {
        gfx::CGPoint c = rt::send<gfx::CGPoint>(part("shutterButton"), "convertPoint:toView:"_sel, gfx::CGPoint{33, 33},
                                                Ref<rt::Object>());
        uikit::touchDown(uikit::keyWindow(), c);
        uikit::touchUp(c);
        settle();
    }
    Ref<rt::Object> wellPicture() {
        auto well = part("imageWell");
        auto subs = rt::send<std::vector<Ref<rt::Object>>>(well, "subviews"_sel);
        return subs.empty() ? nullptr : rt::send<Ref<rt::Object>>(subs[0], "image"_sel);
    }
};

} // namespace

TEST_F(Camera, TheBottomBarHoldsItsBackgroundShutterAndImageWellForTheModel) {
    launch();
    EXPECT_EQ(rt::send<gfx::CGRect>(bar, "frame"_sel), gfx::CGRectMake(0, 667 - 125, 375, 125));
    EXPECT_EQ(rt::send<gfx::CGRect>(part("backgroundView"), "frame"_sel), gfx::CGRectMake(0, 0, 375, 125));
    EXPECT_EQ(rt::send<Ref<rt::Object>>(part("backgroundView"), "superview"_sel).get(), bar.get());
    EXPECT_EQ(rt::className(part("shutterButton").get()), "CUShutterButton");
    EXPECT_EQ(rt::send<gfx::CGPoint>(part("shutterButton"), "center"_sel), (gfx::CGPoint{187.5, 67.5}));
    EXPECT_EQ(rt::className(part("imageWell").get()), "CAMImageWell");
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(part("imageWell"), "thumbnailImage"_sel)) << "an empty library: no picture";
}

TEST_F(Camera, TheXsDrawsItsShutterItself) {
    launch("iphonexs");
    EXPECT_EQ(rt::className(part("shutterButton").get()), "CustomDrawButton");
    EXPECT_TRUE(rt::isKindOf(part("shutterButton").get(), rt::getClass("CUShutterButton")));
    EXPECT_EQ(rt::send<gfx::CGRect>(bar, "frame"_sel).size.height, 157);
}

TEST_F(Camera, TheShutterSavesAPhotoThenTellsTheEngineOnTheMainThreadAndTheWellShowsIt) {
    launch();
    ASSERT_TRUE(rt::hookMessage<&finishedHook>(rt::getClass("CAMCaptureEngine"),
                                               "captureOutput:didFinishCaptureForResolvedSettings:error:"_sel,
                                               &g_stockFinished));
    pressShutter();
    ASSERT_EQ(g_finished.size(), 1u);
    EXPECT_EQ(g_finished[0].cameraRollAtCall, 1) << "the photo is in the library before the engine hears of it";
    EXPECT_TRUE(g_finished[0].onMainThread);
    EXPECT_FALSE(g_finished[0].withError);
    auto picture = rt::send<Ref<rt::Object>>(part("imageWell"), "thumbnailImage"_sel);
    ASSERT_TRUE(picture);
    EXPECT_EQ(wellPicture().get(), picture.get());

    pressShutter();
    pressShutter();
    EXPECT_EQ(g_finished.size(), 3u);
    EXPECT_EQ(cameraRollCount(), 3);
    EXPECT_NE(rt::send<Ref<rt::Object>>(part("imageWell"), "thumbnailImage"_sel).get(), picture.get());
}

TEST_F(Camera, TheWellShowsWhatThumbnailImageAnswersAgainAfterEveryLibraryChange) {
    launch();
    ASSERT_TRUE(rt::hookMessage<&thumbnailHook>(rt::getClass("CAMImageWell"), "thumbnailImage"_sel, &g_stockThumbnail));
    pressShutter();
    int asked = g_thumbnailAsks;
    EXPECT_GE(asked, 1);
    // A change made in the app (here: an album) lays the well out again.
    g_replacement = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIImage"), "new"_sel);
    auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
    rt::send(library, "performChanges:completionHandler:"_sel, rt::Block<void()>([] {
                 rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                "creationRequestForAssetCollectionWithTitle:"_sel,
                                                std::string("Trips"));
             }),
             rt::Block<void(bool, Ref<rt::Object>)>());
    settle();
    EXPECT_GT(g_thumbnailAsks, asked);
    EXPECT_EQ(wellPicture().get(), g_replacement.get());
    g_replacement = nullptr;
}

TEST_F(Camera, AtLaunchTheWellShowsTheNewestVisiblePhoto) {
    launch();
    pressShutter();
    // A second launch of the app (new classes are not needed: a new viewfinder).
    auto second = rt::sendClass<Ref<rt::Object>>(rt::getClass("CAMViewfinderViewController"), "new"_sel);
    auto page = rt::send<Ref<rt::Object>>(second, "view"_sel);
    Ref<rt::Object> secondBar;
    for (const auto& v : rt::send<std::vector<Ref<rt::Object>>>(page, "subviews"_sel))
        if (rt::className(v.get()) == "CAMBottomBar") secondBar = v;
    ASSERT_TRUE(secondBar);
    auto well = rt::send<Ref<rt::Object>>(secondBar, "imageWell"_sel);
    EXPECT_TRUE(rt::send<Ref<rt::Object>>(well, "thumbnailImage"_sel));
}
