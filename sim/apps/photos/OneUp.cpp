// The one-up viewer: one photo on black, the LIVE badge when its view model
// wants it, and a maximum zoom that follows PUOneUpSettings.

#include "sim/apps/host/Views.h"
#include "sim/apps/photos/Photos.h"
#include "sim/photos/PhotoStore.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIViewController.h"

namespace photosapp {

using rt::Ref;
using namespace rt::literals;
namespace views = apps::views;

namespace {

rt::Class* g_viewer = nullptr;
rt::Class* g_model = nullptr;
rt::Class* g_settings = nullptr;

class ViewerObject : public uikit::ControllerObject {
public:
    using ControllerObject::ControllerObject;
    Ref<rt::Object> asset, model;
    double maximumZoom = 1;
};

class ModelObject : public rt::Object {
public:
    using Object::Object;
    Ref<rt::Object> asset;
};

class SettingsObject : public rt::Object {
public:
    using Object::Object;
    double maximumZoom = 4;
};

constexpr double kStockMaximumZoom = 4.0;

Ref<rt::Object> sharedSettings(rt::Id, rt::Sel) {
    static Ref<rt::Object> settings = rt::sendClass<Ref<rt::Object>>(g_settings, "new"_sel);
    return settings;
}
void setMaximumZoom(SettingsObject* self, rt::Sel, double factor) { self->maximumZoom = factor; }
double maximumZoom(SettingsObject* self, rt::Sel) { return self->maximumZoom; }

// A live photo's view model wants its badge.
bool wantsIrisBadge(ModelObject* self, rt::Sel) {
    return (photos::PHAsset(self->asset).mediaSubtypes() & photos::PHAssetMediaSubtypePhotoLive) != 0;
}
Ref<rt::Object> modelAsset(ModelObject* self, rt::Sel) { return self->asset; }

Ref<rt::Object> initViewer(ViewerObject* self, rt::Sel, Ref<rt::Object> asset) {
    self->asset = std::move(asset);
    auto model = rt::createInstance<ModelObject>(g_model);
    model->asset = self->asset;
    self->model = model;
    return Ref<rt::Object>(self);
}

void loadViewer(ViewerObject* self, rt::Sel) {
    using namespace uikit;
    UIViewController me(self);
    CGSize screen = screenModel().size;
    // The viewer sets the library's default zoom, then zooms as far as the settings say.
    auto settings = rt::sendClass<Ref<rt::Object>>(g_settings, "sharedInstance"_sel);
    rt::send(settings, "setDefaultMaximumZoomFactor:"_sel, kStockMaximumZoom);
    self->maximumZoom = rt::send<double>(settings, "defaultMaximumZoomFactor"_sel);
    UIView view = views::box({{0, 0}, screen}, views::kBlack);
    UIImageView image = makeView({{0, 0}, screen}, UIImageView::cls());
    image.setContentMode(UIViewContentModeScaleAspectFit);
    image.setImage(photos::requestImageNow(self->asset, {screen.width * 2, screen.height * 2},
                                           photos::PHImageContentModeAspectFit));
    char zoom[64];
    std::snprintf(zoom, sizeof zoom, "Photo, zooms up to %gx", self->maximumZoom);
    image.setAccessibilityLabel(zoom);
    view.addSubview(image);
    if (rt::send<bool>(self->model, "wantsIrisBadgeVisible"_sel)) {
        UILabel badge = views::label({{12, 12}, {52, 22}}, "LIVE", 13, views::kWhite, NSTextAlignmentCenter, true);
        badge.setBackgroundColor(makeColor({0, 0, 0, 0.4}));
        badge.setAccessibilityLabel("Live Photo badge");
        view.addSubview(badge);
    }
    me.setView(view);
    me.setTitle("Photo");
}

double viewerMaximumZoom(ViewerObject* self, rt::Sel) { return self->maximumZoom; }
Ref<rt::Object> viewerModel(ViewerObject* self, rt::Sel) { return self->model; }

} // namespace

void defineOneUp() {
    g_settings = rt::defineClass("PUOneUpSettings", nullptr, rt::factoryOf<SettingsObject>);
    rt::addMethod<&sharedSettings>(rt::objectGetClass(g_settings), "sharedInstance"_sel);
    rt::addMethod<&setMaximumZoom>(g_settings, "setDefaultMaximumZoomFactor:"_sel);
    rt::addMethod<&maximumZoom>(g_settings, "defaultMaximumZoomFactor"_sel);
    g_model = rt::defineClass("PUAssetViewModel", nullptr, rt::factoryOf<ModelObject>);
    rt::addMethod<&wantsIrisBadge>(g_model, "wantsIrisBadgeVisible"_sel);
    rt::addMethod<&modelAsset>(g_model, "asset"_sel);
    g_viewer = rt::defineClass("PUOneUpViewController", rt::getClass("UIViewController"), rt::factoryOf<ViewerObject>);
    rt::addMethod<&initViewer>(g_viewer, "initWithAsset:"_sel);
    rt::addMethod<&loadViewer>(g_viewer, "loadView"_sel);
    rt::addMethod<&viewerMaximumZoom>(g_viewer, "maximumZoomScale"_sel);
    rt::addMethod<&viewerModel>(g_viewer, "assetViewModel"_sel);
}

} // namespace photosapp
