// Thumbnails as the library keeps them: made when a photo comes in, kept
// in the library's store and dropped with the photo, read in the place of
// the original for a picture no larger than the thumbnail, and made again
// from the original when the stored one is missing or damaged.

#include "sim/graphics/UIImage.h"
#include "sim/photos/Thumbnails.h"
#include "tests/sim/photos/LibraryFixture.h"

#include <filesystem>

using namespace phtest;

namespace {

photos::AssetRecord importSample(photos::PhotoStore& store, int width, int height) {
    gfx::SamplePhotoSpec spec;
    spec.width = width;
    spec.height = height;
    auto bytes = gfx::makeSamplePhoto(spec).jpegBytes(90);
    std::optional<photos::AssetRecord> a;
    store.transaction([&](photos::Writer& w) {
        photos::AssetRecord attrs;
        attrs.creationDate = 10;
        return (a = photos::importImage(w, *bytes, "sample.jpg", attrs)).has_value();
    });
    EXPECT_TRUE(a);
    return a.value_or(photos::AssetRecord{});
}

Ref<rt::Object> firstAsset() {
    auto all = photos::PHAsset::fetchAssetsWithOptions(photos::PHFetchOptions());
    return all.firstObject();
}

gfx::CGSize tileImageSize(gfx::CGSize target, photos::PHImageContentMode mode) {
    auto image = photos::requestImageNow(photos::PHAsset(firstAsset()), target, mode);
    return image ? image.size() : gfx::CGSize{0, 0};
}

} // namespace

using Thumbnails = LibraryTest;

TEST_F(Thumbnails, APhotoComingInGetsOneKeptUntilThePhotoGoes) {
    auto large = importSample(*store, 1200, 900);
    auto stored = store->thumbnail(large.id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->width, 400);
    EXPECT_EQ(stored->height, photos::kThumbnailShortSide);
    auto decoded = gfx::Image::decode(std::vector<std::uint8_t>(stored->jpeg.begin(), stored->jpeg.end()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width(), 400);

    auto small = importSample(*store, 200, 100);
    auto kept = store->thumbnail(small.id);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->width, 200) << "never enlarged";
    EXPECT_EQ(kept->height, 100);

    ASSERT_TRUE(store->transaction([&](photos::Writer& w) { return w.deleteAssets({large.id}); }));
    EXPECT_FALSE(store->thumbnail(large.id)) << "dropped with the photo";
    EXPECT_TRUE(store->thumbnail(small.id));
}

TEST_F(Thumbnails, ATileIsDrawnFromTheThumbnailAndAFullPictureFromTheOriginal) {
    auto record = importSample(*store, 1200, 900);
    // With the original gone, only the thumbnail can answer.
    std::filesystem::remove(root.host(record.imagePath));
    EXPECT_EQ(tileImageSize({300, 300}, photos::PHImageContentModeAspectFill), (gfx::CGSize{400, 300}));
    EXPECT_EQ(tileImageSize({175, 175}, photos::PHImageContentModeAspectFit), (gfx::CGSize{175, 131}));
    EXPECT_EQ(tileImageSize({750, 1334}, photos::PHImageContentModeAspectFit), (gfx::CGSize{0, 0}))
        << "larger than the thumbnail: the original, which is gone";
}

TEST_F(Thumbnails, AMissingOrDamagedThumbnailIsMadeAgainFromTheOriginal) {
    auto record = importSample(*store, 1200, 900);
    for (const char* damage : {"missing", "damaged"}) {
        ASSERT_TRUE(store->transaction([&](photos::Writer& w) {
            if (std::string(damage) == "missing") return w.db().exec("DELETE FROM thumbnails");
            return w.setThumbnail(record.id, photos::ThumbnailRecord{400, 300, "not a jpeg"});
        })) << damage;
        EXPECT_EQ(tileImageSize({300, 300}, photos::PHImageContentModeAspectFill), (gfx::CGSize{400, 300})) << damage;
        auto again = store->thumbnail(record.id);
        ASSERT_TRUE(again) << damage;
        EXPECT_TRUE(gfx::Image::decode(std::vector<std::uint8_t>(again->jpeg.begin(), again->jpeg.end())))
            << damage << ": stored again, whole";
    }
}
