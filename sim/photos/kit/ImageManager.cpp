// PHImageManager: an asset's picture, scaled to the size asked for.
//
// Aspect fit scales the image to fit inside the target size (exactly with
// the exact resize mode; with the fast mode only ever down; at full size
// with no resize). Aspect fill scales it to cover the target and, when exact,
// crops it to the target. A synchronous request has called its handler when
// it returns, on the calling thread; otherwise the image is made on the
// global queue and the handler runs on the main queue. A missing or
// unreadable file gives a nil image and an error in the info.
//
// A picture no larger than the asset's thumbnail (the scale asked of the
// original is no more than the thumbnail's) is made from the thumbnail the
// library keeps (Thumbnails.h), as Photos serves its tiles and grids; a
// larger one, or one asked for at full size, from the original.

#include "sim/graphics/Geometry.h"
#include "sim/graphics/UIImage.h"
#include "sim/photos/Thumbnails.h"
#include "sim/photos/kit/Classes.h"

#include <atomic>
#include <cmath>

namespace photos {

using rt::Ref;
using namespace rt::literals;

namespace {

class RequestOptionsObject : public rt::Object {
public:
    using Object::Object;
    long resizeMode = PHImageRequestOptionsResizeModeNone;
    long deliveryMode = 0;
    bool synchronous = false;
};

long resizeMode(RequestOptionsObject* self, rt::Sel) { return self->resizeMode; }
void setResizeMode(RequestOptionsObject* self, rt::Sel, long v) { self->resizeMode = v; }
long deliveryMode(RequestOptionsObject* self, rt::Sel) { return self->deliveryMode; }
void setDeliveryMode(RequestOptionsObject* self, rt::Sel, long v) { self->deliveryMode = v; }
bool isSynchronous(RequestOptionsObject* self, rt::Sel) { return self->synchronous; }
void setSynchronous(RequestOptionsObject* self, rt::Sel, bool v) { self->synchronous = v; }

using Handler = rt::Block<void(Ref<rt::Object>, fnd::Dictionary)>;

struct Request {
    AssetRecord asset;
    gfx::CGSize target;
    long contentMode;
    long resizeMode;
    int id;
};

bool wantsFullSize(const Request& r) {
    return r.target.width <= 0 || r.target.height <= 0 || r.resizeMode == PHImageRequestOptionsResizeModeNone;
}

// Whether the asset's thumbnail holds as many pixels as the request asks of
// the original.
bool thumbnailServes(const Request& r) {
    const AssetRecord& a = r.asset;
    if (wantsFullSize(r) || a.pixelWidth <= 0 || a.pixelHeight <= 0) return false;
    double sx = r.target.width / a.pixelWidth, sy = r.target.height / a.pixelHeight;
    double asked = r.contentMode == PHImageContentModeAspectFill ? std::max(sx, sy) : std::min(sx, sy);
    double kept = std::min(1.0, static_cast<double>(kThumbnailShortSide) / std::min(a.pixelWidth, a.pixelHeight));
    return asked <= kept;
}

// The size in pixels the picture must be decoded at, at least, for the
// request to be scaled from it; 0 for whole.
std::pair<int, int> decodeAtLeast(const Request& r) {
    const AssetRecord& a = r.asset;
    if (wantsFullSize(r) || a.pixelWidth <= 0 || a.pixelHeight <= 0) return {0, 0};
    double sx = r.target.width / a.pixelWidth, sy = r.target.height / a.pixelHeight;
    double s = std::min(1.0, r.contentMode == PHImageContentModeAspectFill ? std::max(sx, sy) : std::min(sx, sy));
    return {static_cast<int>(std::ceil(a.pixelWidth * s)), static_cast<int>(std::ceil(a.pixelHeight * s))};
}

void deliver(const Request& r, const Handler& handler) {
    PhotoStore* store = kit::store();
    auto [atLeastWidth, atLeastHeight] = decodeAtLeast(r);
    auto image = thumbnailServes(r) && store ? thumbnailImage(*store, r.asset, atLeastWidth, atLeastHeight)
                                             : gfx::Image::load(r.asset.imagePath, atLeastWidth, atLeastHeight);
    fnd::Dictionary info{{"PHImageResultIsDegradedKey", fnd::Value(false)},
                         {"PHImageResultRequestIDKey", fnd::Value(int64_t{r.id})}};
    if (!image) {
        info["PHImageErrorKey"] = fnd::Value("The image file " + r.asset.imagePath + " is missing or unreadable");
        handler(nullptr, info);
        return;
    }
    bool full = wantsFullSize(r);
    if (!full) {
        int w = static_cast<int>(std::lround(r.target.width)), h = static_cast<int>(std::lround(r.target.height));
        bool exact = r.resizeMode == PHImageRequestOptionsResizeModeExact;
        if (r.contentMode == PHImageContentModeAspectFill) {
            if (exact)
                image = image->scaledToFill(w, h);
            else {
                double scale = std::max(r.target.width / image->width(), r.target.height / image->height());
                if (scale < 1)
                    image = image->scaledToFit(static_cast<int>(std::lround(image->width() * scale)),
                                               static_cast<int>(std::lround(image->height() * scale)));
            }
        } else {
            image = image->scaledToFit(w, h, exact);
        }
    }
    handler(gfx::makeUIImage(std::move(*image)), info);
}

int requestImage(rt::Id, rt::Sel, Ref<rt::Object> asset, gfx::CGSize target, long contentMode, Ref<rt::Object> options,
                 Handler handler) {
    static std::atomic<int> nextId{1};
    const AssetRecord* a = assetRecordOf(asset.get());
    auto* o = options && rt::isKindOf(options.get(), kit::classes().imageRequestOptions)
                  ? static_cast<RequestOptionsObject*>(options.get())
                  : nullptr;
    Request r{a ? *a : AssetRecord{}, target, contentMode, o ? o->resizeMode : PHImageRequestOptionsResizeModeFast,
              nextId.fetch_add(1)};
    if (o && o->synchronous) {
        deliver(r, handler);
    } else {
        dsp::globalQueue().async([r, handler] {
            Handler onMain = [handler](Ref<rt::Object> image, fnd::Dictionary info) {
                dsp::mainQueue().async([handler, image, info] { handler(image, info); });
            };
            deliver(r, onMain);
        });
    }
    return r.id;
}

Ref<rt::Object> defaultManager(rt::Id, rt::Sel) {
    static Ref<rt::Object> shared = rt::createInstance(kit::classes().imageManager);
    return shared;
}

} // namespace

namespace kit {

void defineImageManager(Classes& c) {
    gfx::registerUIImage();
    c.imageRequestOptions = rt::defineClass("PHImageRequestOptions", nullptr, rt::factoryOf<RequestOptionsObject>);
    rt::addMethod<&resizeMode>(c.imageRequestOptions, "resizeMode"_sel);
    rt::addMethod<&setResizeMode>(c.imageRequestOptions, "setResizeMode:"_sel);
    rt::addMethod<&deliveryMode>(c.imageRequestOptions, "deliveryMode"_sel);
    rt::addMethod<&setDeliveryMode>(c.imageRequestOptions, "setDeliveryMode:"_sel);
    rt::addMethod<&isSynchronous>(c.imageRequestOptions, "isSynchronous"_sel);
    rt::addMethod<&setSynchronous>(c.imageRequestOptions, "setSynchronous:"_sel);

    c.imageManager = rt::defineClass("PHImageManager");
    rt::addMethod<&defaultManager>(rt::objectGetClass(c.imageManager), "defaultManager"_sel);
    rt::addMethod<&requestImage>(c.imageManager,
                                 "requestImageForAsset:targetSize:contentMode:options:resultHandler:"_sel);
}

} // namespace kit
gfx::UIImage requestImageNow(const PHAsset& asset, gfx::CGSize target, PHImageContentMode contentMode) {
    if (!asset) return nullptr;
    // As the stock apps ask for a picture of a size: fast, so that a tile or
    // a cell is drawn from the thumbnail.
    auto options = PHImageRequestOptions::new_();
    options.setSynchronous(true);
    options.setResizeMode(PHImageRequestOptionsResizeModeFast);
    auto found = std::make_shared<gfx::UIImage>(); // kept alive even should a hook answer later
    PHImageManager::defaultManager().requestImageForAsset_targetSize_contentMode_options_resultHandler(
        asset, target, contentMode, options,
        [found](gfx::UIImage image, fnd::Dictionary) { *found = std::move(image); });
    return *found;
}

} // namespace photos
