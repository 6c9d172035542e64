// The camera's bottom bar: its background view, the shutter button and the
// image well.

#include "sim/apps/camera/Camera.h"
#include "sim/apps/host/Views.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UIScreen.h"

namespace camera {

using namespace uikit;
namespace views = apps::views;

namespace {

rt::Class* g_bar = nullptr;
rt::Class* g_well = nullptr;

class BottomBarObject : public ViewObject {
public:
    using ViewObject::ViewObject;
    UIView backgroundView, shutterButton;
    CAMImageWell imageWell;
};

class ImageWellObject : public ViewObject {
public:
    using ViewObject::ViewObject;
    UIImage thumbnail;         // the last capture's picture
    UIImageView thumbnailView; // _thumbnailImageView
};

// A round shutter: a white disc, a black ring, a white core.
UIView makeShutter(const char* cls) {
    UIView shutter = views::box({{0, 0}, {66, 66}}, views::kWhite, cls);
    views::round(shutter, 33);
    UIView ring = views::box({{4, 4}, {58, 58}}, views::kBlack);
    views::round(ring, 29);
    ring.setUserInteractionEnabled(false);
    UIView core = views::box({{3, 3}, {52, 52}}, views::kWhite);
    views::round(core, 26);
    core.setUserInteractionEnabled(false);
    ring.addSubview(core);
    shutter.addSubview(ring);
    shutter.setAccessibilityLabel("Take Picture");
    return shutter;
}

// The bar builds its parts once, at its first layout, for its width.
void barLayout(BottomBarObject* self, rt::Sel) {
    UIView bar(self);
    CGSize size = self->frame.size;
    if (!self->backgroundView) {
        self->backgroundView = views::box({{0, 0}, size}, {0, 0, 0, 0.85});
        self->backgroundView.setUserInteractionEnabled(false);
        bar.addSubview(self->backgroundView);
        bar.addSubview(views::label({{0, 6}, {size.width, 16}}, "PHOTO", 13, {1, 0.8, 0, 1}, NSTextAlignmentCenter));
        self->shutterButton = makeShutter(screenModel().model == "iphonexs" ? "CustomDrawButton" : "CUShutterButton");
        bar.addSubview(self->shutterButton);
        self->imageWell = makeView({{0, 0}, {46, 46}}, g_well);
        self->imageWell.setAccessibilityLabel("Camera Roll");
        bar.addSubview(self->imageWell);
    }
    self->backgroundView.setFrame({{0, 0}, size});
    double midY = size.height / 2 + 5;
    self->shutterButton.setCenter({size.width / 2, midY});
    self->imageWell.setCenter({45, midY});
}

UIView backgroundView(BottomBarObject* self, rt::Sel) { return self->backgroundView; }
UIView shutterButton(BottomBarObject* self, rt::Sel) { return self->shutterButton; }
CAMImageWell imageWell(BottomBarObject* self, rt::Sel) { return self->imageWell; }

UIImage thumbnailImage(ImageWellObject* self, rt::Sel) { return self->thumbnail; }
void setThumbnailImage(ImageWellObject* self, rt::Sel, UIImage image, bool) {
    self->thumbnail = std::move(image);
    UIView(self).setNeedsLayout();
}
// The picture is whatever -thumbnailImage answers now.
void wellLayout(ImageWellObject* self, rt::Sel) {
    CAMImageWell well(self);
    if (!self->thumbnailView) {
        self->thumbnailView = makeView({{0, 0}, self->frame.size}, UIImageView::cls());
        self->thumbnailView.setContentMode(UIViewContentModeScaleAspectFill);
        well.setBackgroundColor(makeColor({0.15, 0.15, 0.15, 1}));
        views::round(well, 4);
        well.addSubview(self->thumbnailView);
    }
    self->thumbnailView.setFrame({{0, 0}, self->frame.size});
    self->thumbnailView.setImage(well.thumbnailImage());
}

} // namespace

void defineBottomBar() {
    rt::Class* view = UIView::cls();
    g_bar = rt::defineClass("CAMBottomBar", view, rt::factoryOf<BottomBarObject>);
    rt::addMethod<&barLayout>(g_bar, "layoutSubviews"_sel);
    rt::addMethod<&backgroundView>(g_bar, "backgroundView"_sel);
    rt::addMethod<&shutterButton>(g_bar, "shutterButton"_sel);
    rt::addMethod<&imageWell>(g_bar, "imageWell"_sel);
    rt::Class* shutter = rt::defineClass("CUShutterButton", view);
    rt::defineClass("CustomDrawButton", shutter);
    g_well = rt::defineClass("CAMImageWell", view, rt::factoryOf<ImageWellObject>);
    rt::addMethod<&thumbnailImage>(g_well, "thumbnailImage"_sel);
    rt::addMethod<&setThumbnailImage>(g_well, "setThumbnailImage:animated:"_sel);
    rt::addMethod<&wellLayout>(g_well, "layoutSubviews"_sel);
}

} // namespace camera
