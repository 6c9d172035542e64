// The image manager: an asset's real picture, scaled as asked, delivered
// before the call returns when synchronous, on the main queue otherwise.

#include "sim/dispatch/RunLoop.h"
#include "sim/graphics/UIImage.h"
#include "tests/sim/photos/LibraryFixture.h"

using namespace phtest;

namespace {

struct Delivery {
    int calls = 0;
    Ref<rt::Object> image;
    fnd::Dictionary info;
};

Ref<rt::Object> requestOptions(long resizeMode, bool synchronous) {
    auto o = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHImageRequestOptions"), "new"_sel);
    rt::send(o, "setResizeMode:"_sel, resizeMode);
    rt::send(o, "setSynchronous:"_sel, synchronous);
    return o;
}

std::shared_ptr<Delivery> request(const Ref<rt::Object>& asset, gfx::CGSize size, long mode, Ref<rt::Object> options) {
    auto d = std::make_shared<Delivery>();
    auto manager = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHImageManager"), "defaultManager"_sel);
    rt::send<int>(manager, "requestImageForAsset:targetSize:contentMode:options:resultHandler:"_sel, asset, size, mode,
                  options,
                  rt::Block<void(Ref<rt::Object>, fnd::Dictionary)>([d](Ref<rt::Object> image, fnd::Dictionary info) {
                      ++d->calls;
                      d->image = image;
                      d->info = info;
                  }));
    return d;
}

gfx::CGSize sizeOf(const Ref<rt::Object>& image) { return rt::send<gfx::CGSize>(image, "size"_sel); }

} // namespace

using ImageManager = LibraryTest;

TEST_F(ImageManager, SynchronousRequestsAreAnsweredOnReturnScaledToFitOrFill) {
    addPhoto(10, 7); // 120 x 90
    auto asset = rt::send<Ref<rt::Object>>(assetsIn(smartAlbum(209)), "firstObject"_sel);
    auto fit = request(asset, {60, 60}, photos::PHImageContentModeAspectFit,
                       requestOptions(photos::PHImageRequestOptionsResizeModeExact, true));
    ASSERT_EQ(fit->calls, 1) << "a synchronous request answers before it returns";
    ASSERT_TRUE(fit->image);
    EXPECT_EQ(sizeOf(fit->image), (gfx::CGSize{60, 45}));
    EXPECT_EQ(fnd::valueForKey(fit->info, "PHImageResultIsDegradedKey"), fnd::Value(false));

    auto up = request(asset, {240, 240}, photos::PHImageContentModeAspectFit,
                      requestOptions(photos::PHImageRequestOptionsResizeModeExact, true));
    EXPECT_EQ(sizeOf(up->image), (gfx::CGSize{240, 180})) << "exact scales up as well";
    auto fast = request(asset, {240, 240}, photos::PHImageContentModeAspectFit,
                        requestOptions(photos::PHImageRequestOptionsResizeModeFast, true));
    EXPECT_EQ(sizeOf(fast->image), (gfx::CGSize{120, 90}));
    auto fill = request(asset, {50, 50}, photos::PHImageContentModeAspectFill,
                        requestOptions(photos::PHImageRequestOptionsResizeModeExact, true));
    EXPECT_EQ(sizeOf(fill->image), (gfx::CGSize{50, 50}));
    auto full = request(asset, gfx::kMaximumSize, photos::PHImageContentModeAspectFit,
                        requestOptions(photos::PHImageRequestOptionsResizeModeExact, true));
    EXPECT_EQ(sizeOf(full->image), (gfx::CGSize{120, 90}));

    // The scaled picture is the asset's own: its centre keeps the colour.
    const gfx::Image* original = gfx::imageOf(full->image.get());
    const gfx::Image* small = gfx::imageOf(fit->image.get());
    auto channel = [](uint32_t px, int shift) { return static_cast<int>((px >> shift) & 0xFF); };
    uint32_t a = original->pixel(2, 2), b = small->pixel(1, 1);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(channel(a, shift), channel(b, shift), 24);
}

TEST_F(ImageManager, AMissingOriginalGivesNoFullImageAndSaysSo) {
    auto record = addPhoto(10, 1);
    std::filesystem::remove(root.host(record.imagePath));
    auto asset = rt::send<Ref<rt::Object>>(assetsIn(smartAlbum(209)), "firstObject"_sel);
    // The picture itself (a smaller one would come from the thumbnail).
    auto d = request(asset, {60, 60}, photos::PHImageContentModeAspectFit,
                     requestOptions(photos::PHImageRequestOptionsResizeModeNone, true));
    EXPECT_EQ(d->calls, 1);
    EXPECT_FALSE(d->image);
    EXPECT_TRUE(fnd::valueForKey(d->info, "PHImageErrorKey").string());
    EXPECT_FALSE(gfx::imageOf(nullptr));
    EXPECT_FALSE(rt::sendClass<Ref<rt::Object>>(rt::getClass("UIImage"), "imageWithContentsOfFile:"_sel,
                                                std::string("/nothing.png")));
}

TEST_F(ImageManager, AnAsynchronousRequestAnswersOnTheMainQueue) {
    dsp::RunLoop loop;
    dsp::RunLoop::setMain(&loop);
    addPhoto(10, 1);
    auto asset = rt::send<Ref<rt::Object>>(assetsIn(smartAlbum(209)), "firstObject"_sel);
    auto d = request(asset, {30, 30}, photos::PHImageContentModeAspectFit,
                     requestOptions(photos::PHImageRequestOptionsResizeModeExact, false));
    EXPECT_EQ(d->calls, 0) << "not before the main queue runs";
    ASSERT_TRUE(loop.runUntil([&] { return d->calls == 1; }, std::chrono::seconds(20)));
    EXPECT_EQ(sizeOf(d->image), (gfx::CGSize{30, 23}));
    dsp::RunLoop::setMain(nullptr);
}
