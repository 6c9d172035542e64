// The camera's screen: the preview of the scene, the bottom bar, and what
// happens between a tap on the shutter and the picture in the image well.

#include "sim/apps/camera/Camera.h"
#include "sim/apps/host/Views.h"
#include "sim/dispatch/Queue.h"
#include "sim/graphics/SamplePhoto.h"
#include "sim/graphics/UIImage.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UIScreen.h"

namespace camera {

using namespace uikit;
using rt::Ref;
namespace views = apps::views;

namespace {

rt::Class* g_viewfinder = nullptr;

// What the lens sees: the picture the next capture will take.
UIImage scene(long captures) {
    return gfx::makeUIImage(gfx::makeSamplePhoto(
        {static_cast<int>(11 + captures), "Capture " + std::to_string(captures + 1), "", 900, 1200}));
}

// The viewfinder's parts, kept as associated objects of the controller.
UIImageView preview(rt::Id self) { return self->associated("preview"); }
CAMBottomBar bottomBar(rt::Id self) { return self->associated("bottomBar"); }
CAMCaptureEngine engine(rt::Id self) { return self->associated("engine"); }

UIImage newestVisibleImage() {
    using namespace photos;
    auto options = PHFetchOptions::new_();
    options.setSortDescriptors({fnd::NSSortDescriptor::sortDescriptorWithKey_ascending("creationDate", true)});
    PHAsset newest = PHAsset::fetchAssetsWithMediaType_options(PHAssetMediaTypeImage, options).lastObject();
    return requestImageNow(newest, {175, 175}, PHImageContentModeAspectFill);
}

void loadView(rt::Id self, rt::Sel) {
    CGSize screen = screenModel().size;
    double top = screenModel().model == "iphonexs" ? 44 : 40, bar = bottomBarHeight();
    UIView page = views::box({{0, 0}, screen}, views::kBlack);
    UIImageView lens = makeView({{0, top}, {screen.width, screen.height - top - bar}}, UIImageView::cls());
    lens.setContentMode(UIViewContentModeScaleAspectFill);
    lens.setClipsToBounds(true);
    lens.setImage(scene(0));
    lens.setAccessibilityLabel("Viewfinder");
    page.addSubview(lens);
    UIView bottom = makeView({{0, screen.height - bar}, {screen.width, bar}}, CAMBottomBar::cls());
    page.addSubview(bottom);
    self->setAssociated("preview", lens);
    self->setAssociated("bottomBar", bottom);
    UIViewController(self).setView(page);
}

void viewDidLoad(rt::Id self, rt::Sel) {
    auto camera = CAMCaptureEngine::new_();
    camera.setDelegate(Ref<rt::Object>(self));
    self->setAssociated("engine", camera);
    CAMBottomBar bar = bottomBar(self);
    bar.layoutIfNeeded(); // the bar's parts exist from here on
    views::onTap(bar.shutterButton(), Ref<rt::Object>(self), "_handleShutterButtonReleased:");
    bar.imageWell().setThumbnailImage_animated(newestVisibleImage(), false);
    photos::PHPhotoLibrary::sharedPhotoLibrary().registerChangeObserver(Ref<rt::Object>(self));
}

void shutterReleased(rt::Id self, rt::Sel, Ref<rt::Object>) {
    engine(self).capturePhoto();
    // The scene moves on: the next capture takes another picture.
    preview(self).setImage(scene(engine(self).capturesTaken()));
}

void didCapture(rt::Id self, rt::Sel, Ref<rt::Object>, UIImage image) {
    bottomBar(self).imageWell().setThumbnailImage_animated(image, true);
}

// The library changed (on its queue): the well shows what is there now.
void libraryDidChange(rt::Id self, rt::Sel, Ref<rt::Object>) {
    Ref<rt::Object> keep(self);
    dsp::mainQueue().async([keep] { bottomBar(keep.get()).imageWell().setNeedsLayout(); });
}

} // namespace

void defineViewfinder() {
    g_viewfinder = rt::defineClass("CAMViewfinderViewController", UIViewController::cls());
    rt::addMethod<&loadView>(g_viewfinder, "loadView"_sel);
    rt::addMethod<&viewDidLoad>(g_viewfinder, "viewDidLoad"_sel);
    rt::addMethod<&shutterReleased>(g_viewfinder, "_handleShutterButtonReleased:"_sel);
    rt::addMethod<&didCapture>(g_viewfinder, "captureEngine:didCapturePhoto:"_sel);
    rt::addMethod<&libraryDidChange>(g_viewfinder, "photoLibraryDidChange:"_sel);
}

} // namespace camera
