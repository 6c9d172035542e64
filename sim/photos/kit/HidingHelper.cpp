// PUAssetHidingHelper, the Photos UI framework's class that hides and shows
// assets: one library change that sets the hidden flag of every asset it was
// given, and one completion when that change is done. A hidden asset stays
// in its albums and leaves the camera roll.

#include "sim/photos/kit/Classes.h"

#include <mutex>

namespace photos {

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

namespace {

class HidingHelperObject : public rt::Object {
public:
    using Object::Object;
    Objects assets;
};

void setAssets(HidingHelperObject* self, rt::Sel, Objects assets) { self->assets = std::move(assets); }
Objects assets(HidingHelperObject* self, rt::Sel) { return self->assets; }

void applyHiddenState(HidingHelperObject* self, rt::Sel, bool hidden,
                      rt::Block<void(bool, Ref<rt::Object>)> completion) {
    Objects targets = self->assets;
    auto library = rt::sendClass<Ref<rt::Object>>(kit::classes().library, "sharedPhotoLibrary"_sel);
    rt::send(library, "performChanges:completionHandler:"_sel, rt::Block<void()>([targets, hidden] {
                 for (const auto& a : targets) {
                     auto r = rt::sendClass<Ref<rt::Object>>(kit::classes().assetChangeRequest,
                                                             "changeRequestForAsset:"_sel, a);
                     rt::send(r, "setHidden:"_sel, hidden);
                 }
             }),
             completion);
}

} // namespace

void registerPhotosUI() {
    registerPhotoKit();
    static std::once_flag once;
    std::call_once(once, [] {
        rt::Class* c = rt::defineClass("PUAssetHidingHelper", nullptr, rt::factoryOf<HidingHelperObject>);
        kit::classes().hidingHelper = c;
        rt::addMethod<&setAssets>(c, "setAssets:"_sel);
        rt::addMethod<&assets>(c, "assets"_sel);
        rt::addMethod<&applyHiddenState>(c, "applyHiddenState:completionHandler:"_sel);
    });
}

} // namespace photos
