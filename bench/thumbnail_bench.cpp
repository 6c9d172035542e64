// Thumbnails: a tile's key photo and the camera's image well, served from
// the thumbnail the library stored when each photo came in, beside their
// floor (decoding one stored thumbnail of that size) and the decode of the
// original they replaced. 20 sample photos of 1200 x 900, as the camera and
// lumisim addmedia make them.

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/graphics/SamplePhoto.h"
#include "sim/photos/Import.h"
#include "sim/photos/Thumbnails.h"
#include "sim/photos/kit/Internals.h"
#include "sim/photos/kit/PhotoKit.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <unistd.h>

namespace {

constexpr int kPhotos = 20;

struct Fixture {
    std::filesystem::path root;
    photos::PhotoStore* store = nullptr;
    std::vector<photos::AssetRecord> records;
    std::vector<photos::PHAsset> assets;

    Fixture() {
        char tmpl[] = "/tmp/lumi-bench-thumbs-XXXXXX";
        root = ::mkdtemp(tmpl);
        fnd::prepareDeviceRoot(root);
        fnd::setDeviceRoot(root);
        photos::registerPhotoKit();
        store = photos::Library::shared().store();
        for (int i = 1; i <= kPhotos; ++i) {
            gfx::SamplePhotoSpec spec;
            spec.index = i;
            auto bytes = gfx::makeSamplePhoto(spec).jpegBytes(90);
            std::optional<photos::AssetRecord> a;
            store->transaction([&](photos::Writer& w) {
                photos::AssetRecord attrs;
                attrs.creationDate = i;
                return (a = photos::importImage(w, *bytes, "sample.jpg", attrs)).has_value();
            });
            records.push_back(*a);
        }
        auto all = photos::PHAsset::fetchAssetsWithOptions(photos::PHFetchOptions());
        for (int i = 0; i < kPhotos; ++i)
            assets.push_back(all.objectAtIndex(static_cast<photos::NSUInteger>(i)));
    }
    ~Fixture() { std::filesystem::remove_all(root); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// The tile's key photo: 300 x 300 pixels, aspect fill, as the Albums page asks.
void BM_KeyPhoto(benchmark::State& state) {
    Fixture& f = fixture();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            photos::requestImageNow(f.assets[i++ % kPhotos], {300, 300}, photos::PHImageContentModeAspectFill));
}
BENCHMARK(BM_KeyPhoto)->Unit(benchmark::kMillisecond);

// The camera's image well: the newest photo at 175 x 175, as the viewfinder asks.
void BM_ImageWellPicture(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            photos::requestImageNow(f.assets.back(), {175, 175}, photos::PHImageContentModeAspectFill));
}
BENCHMARK(BM_ImageWellPicture)->Unit(benchmark::kMillisecond);

// The product's -thumbnailImage of the image well: the newest photo fitted
// exactly in 175 x 175 (PHImageRequestOptionsResizeModeExact, synchronous).
void BM_WellThumbnailImageExact(benchmark::State& state) {
    Fixture& f = fixture();
    auto options = photos::PHImageRequestOptions::new_();
    options.setResizeMode(photos::PHImageRequestOptionsResizeModeExact);
    options.setSynchronous(true);
    for (auto _ : state) {
        gfx::UIImage out;
        photos::PHImageManager::defaultManager().requestImageForAsset_targetSize_contentMode_options_resultHandler(
            f.assets.back(), {175, 175}, photos::PHImageContentModeAspectFit, options,
            [&out](gfx::UIImage image, fnd::Dictionary) { out = std::move(image); });
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_WellThumbnailImageExact)->Unit(benchmark::kMillisecond);

// The floor: decoding one stored thumbnail (the one the library keeps, which
// answers both requests above), with nothing else.
void BM_DecodeStoredThumbnail(benchmark::State& state) {
    Fixture& f = fixture();
    std::vector<std::vector<std::uint8_t>> thumbs;
    for (const auto& r : f.records) {
        auto t = f.store->thumbnail(r.id);
        thumbs.emplace_back(t->jpeg.begin(), t->jpeg.end());
    }
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(gfx::Image::decode(thumbs[i++ % kPhotos]));
}
BENCHMARK(BM_DecodeStoredThumbnail)->Unit(benchmark::kMillisecond);

// Each request beside its floor in the same loop, alternately, so that the
// machine's slow and fast spells fall on both alike: the ratio is the
// figure to read. 0: the key photo; 1: the image well's picture; 2: the
// product's -thumbnailImage (exact fit).
void BM_RequestOverItsFloor(benchmark::State& state) {
    Fixture& f = fixture();
    std::vector<std::vector<std::uint8_t>> thumbs;
    for (const auto& r : f.records) {
        auto t = f.store->thumbnail(r.id);
        thumbs.emplace_back(t->jpeg.begin(), t->jpeg.end());
    }
    auto exact = photos::PHImageRequestOptions::new_();
    exact.setResizeMode(photos::PHImageRequestOptionsResizeModeExact);
    exact.setSynchronous(true);
    using Clock = std::chrono::steady_clock;
    Clock::duration request{}, floor{};
    std::size_t i = 0;
    for (auto _ : state) {
        std::size_t k = i++ % kPhotos;
        auto t0 = Clock::now();
        benchmark::DoNotOptimize(gfx::Image::decode(thumbs[k]));
        auto t1 = Clock::now();
        if (state.range(0) == 0)
            benchmark::DoNotOptimize(
                photos::requestImageNow(f.assets[k], {300, 300}, photos::PHImageContentModeAspectFill));
        else if (state.range(0) == 1)
            benchmark::DoNotOptimize(
                photos::requestImageNow(f.assets[k], {175, 175}, photos::PHImageContentModeAspectFill));
        else
            photos::PHImageManager::defaultManager().requestImageForAsset_targetSize_contentMode_options_resultHandler(
                f.assets[k], {175, 175}, photos::PHImageContentModeAspectFit, exact,
                [](gfx::UIImage image, fnd::Dictionary) { benchmark::DoNotOptimize(image); });
        auto t2 = Clock::now();
        floor += t1 - t0;
        request += t2 - t1;
    }
    auto ms = [&](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count() / static_cast<double>(state.iterations());
    };
    state.counters["request_ms"] = ms(request);
    state.counters["floor_ms"] = ms(floor);
    state.counters["ratio"] = ms(request) / ms(floor);
}
BENCHMARK(BM_RequestOverItsFloor)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// What each picture cost before thumbnails: the original decoded.
void BM_DecodeOriginal(benchmark::State& state) {
    Fixture& f = fixture();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(gfx::Image::load(f.records[i++ % kPhotos].imagePath));
}
BENCHMARK(BM_DecodeOriginal)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
