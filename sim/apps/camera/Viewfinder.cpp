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

using rt::Ref;
using namespace rt::literals;
namespace views = apps::views;

namespace {

rt::Class* g_viewfinder = nullptr;

// What the lens sees: the picture the next capture will take.
Ref<rt::Object> scene(long captures) {
    return gfx::makeUIImage(gfx::makeSamplePhoto(
        {static_cast<int>(11 + captures), "Capture " + std::to_string(captures + 1), "", 900, 1200}));
}

Ref<rt::Object> assoc(rt::Id self, const char* key) { return self->associated(key); }

Ref<rt::Object> newestVisibleImage() {
    auto options = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHFetchOptions"), "new"_sel);
    auto sort = rt::sendClass<Ref<rt::Object>>(rt::getClass("NSSortDescriptor"), "sortDescriptorWithKey:ascending:"_sel,
                                               std::string("creationDate"), true);
    rt::send(options, "setSortDescriptors:"_sel, std::vector<Ref<rt::Object>>{sort});
    auto assets =
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsWithMediaType:options:"_sel, 1L, options);
    return photos::requestImageNow(rt::send<Ref<rt::Object>>(assets, "lastObject"_sel), {175, 175}, 1L);
}

void loadView(rt::Id self, rt::Sel) {
    gfx::CGSize screen = uikit::screenModel().size;
    double top = uikit::screenModel().model == "iphonexs" ? 44 : 40, bar = bottomBarHeight();
    auto page = views::box({{0, 0}, screen}, views::kBlack);
    auto preview = uikit::makeView({{0, top}, {screen.width, screen.height - top - bar}}, rt::getClass("UIImageView"));
    rt::send(preview, "setContentMode:"_sel, uikit::UIViewContentModeScaleAspectFill);
    rt::send(preview, "setClipsToBounds:"_sel, true);
    rt::send(preview, "setImage:"_sel, scene(0));
    rt::send(preview, "setAccessibilityLabel:"_sel, std::string("Viewfinder"));
    views::add(page, preview);
    auto bottom = uikit::makeView({{0, screen.height - bar}, {screen.width, bar}}, rt::getClass("CAMBottomBar"));
    views::add(page, bottom);
    self->setAssociated("preview", preview);
    self->setAssociated("bottomBar", bottom);
    rt::send(self, "setView:"_sel, page);
}

void viewDidLoad(rt::Id self, rt::Sel) {
    auto engine = rt::sendClass<Ref<rt::Object>>(rt::getClass("CAMCaptureEngine"), "new"_sel);
    rt::send(engine, "setDelegate:"_sel, Ref<rt::Object>(self));
    self->setAssociated("engine", engine);
    auto bar = assoc(self, "bottomBar");
    rt::send(bar, "layoutIfNeeded"_sel); // the bar's parts exist from here on
    views::onTap(rt::send<Ref<rt::Object>>(bar, "shutterButton"_sel), Ref<rt::Object>(self),
                 "_handleShutterButtonReleased:");
    auto well = rt::send<Ref<rt::Object>>(bar, "imageWell"_sel);
    rt::send(well, "setThumbnailImage:animated:"_sel, newestVisibleImage(), false);
    auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
    rt::send(library, "registerChangeObserver:"_sel, Ref<rt::Object>(self));
}

void shutterReleased(rt::Id self, rt::Sel, Ref<rt::Object>) {
    auto engine = assoc(self, "engine");
    rt::send(engine, "capturePhoto"_sel);
    // The scene moves on: the next capture takes another picture.
    rt::send(assoc(self, "preview"), "setImage:"_sel, scene(rt::send<long>(engine, "capturesTaken"_sel)));
}

void didCapture(rt::Id self, rt::Sel, Ref<rt::Object>, Ref<rt::Object> image) {
    auto well = rt::send<Ref<rt::Object>>(assoc(self, "bottomBar"), "imageWell"_sel);
    rt::send(well, "setThumbnailImage:animated:"_sel, image, true);
}

// The library changed (on its queue): the well shows what is there now.
void libraryDidChange(rt::Id self, rt::Sel, Ref<rt::Object>) {
    Ref<rt::Object> keep(self);
    dsp::mainQueue().async([keep] {
        auto well = rt::send<Ref<rt::Object>>(assoc(keep.get(), "bottomBar"), "imageWell"_sel);
        rt::send(well, "setNeedsLayout"_sel);
    });
}

} // namespace

void defineViewfinder() {
    g_viewfinder = rt::defineClass("CAMViewfinderViewController", rt::getClass("UIViewController"));
    rt::addMethod<&loadView>(g_viewfinder, "loadView"_sel);
    rt::addMethod<&viewDidLoad>(g_viewfinder, "viewDidLoad"_sel);
    rt::addMethod<&shutterReleased>(g_viewfinder, "_handleShutterButtonReleased:"_sel);
    rt::addMethod<&didCapture>(g_viewfinder, "captureEngine:didCapturePhoto:"_sel);
    rt::addMethod<&libraryDidChange>(g_viewfinder, "photoLibraryDidChange:"_sel);
}

} // namespace camera
