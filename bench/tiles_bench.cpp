// The album tiles and the move engine with lumicrate12 in the Photos app, in
// the library of bench/support/LibraryFixture (1,000 albums of 100 assets,
// 100,000 assets, one in ten hidden), each beside the plain work it wraps.
//
//   One layout pass of 50 album tiles (5 of them locked, so with the
//   padlock), through lumicrate12's layout hook, beside the same tiles laid
//   out by the stock method alone.
//   syncAlbum of a 10,000-photo album until its completion (the fetch with
//   the hidden photos, the hiding helper's change), beside one plain SQLite
//   transaction that flips the same hidden flags on its own connection.

#include "bench/support/LibraryFixture.h"
#include "sim/apps/host/Application.h"
#include "sim/apps/photos/Photos.h"
#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "sim/ipc/InProcessDevice.h"
#include "sim/uikit/UIKit.h"
#include "tweak/Tweak.h"
#include "tweak/core/StateFiles.h"
#include "tweak/library/AlbumPlacement.h"
#include "tweak/library/MoveEngine.h"
#include "tweak/photos/TileLayout.h"

#include <benchmark/benchmark.h>
#include <future>

using namespace benchsupport;
using namespace rt::literals;

namespace {

constexpr int kTiles = 50;
constexpr const char* kBig = "Ten thousand";

struct Setup {
    dsp::RunLoop loop;
    ipc::InProcessDevice device;
    ipc::InProcessDevice::Process photosApp;
    std::vector<rt::Ref<rt::Object>> tiles;
    std::vector<int64_t> bigMembers;
};

Setup& setup() {
    static Setup* s = [] {
        auto* s = new Setup;
        LibraryFixture& f = fixture();
        dsp::RunLoop::setMain(&s->loop);
        fnd::setProcessIdentity({"com.apple.springboard", false, ""});
        fnd::createDirectory(lc::kStateFolder, true);
        fnd::writePlistFile(lc::kdataPath,
                            fnd::Value(fnd::Array{fnd::Value("Album 3"), fnd::Value("Album 13"), fnd::Value("Album 23"),
                                                  fnd::Value("Album 33"), fnd::Value("Album 43")}));
        fnd::setProcessIdentity({"com.apple.mobileslideshow", false, ""});
        s->photosApp = s->device.connect({2, std::string("com.apple.mobileslideshow"), true, false}, &s->loop);
        ipc::Endpoint::setShared(s->photosApp.endpoint.get());
        uikit::registerUIKit();
        photos::registerPhotoKit();
        photos::registerPhotosUI();
        apps::registerApplicationClasses("com.apple.mobileslideshow");
        photosapp::registerClasses();
        lc::startUp();
        auto albums = photos::PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
            photos::PHAssetCollectionTypeAlbum, photos::PHAssetCollectionSubtypeAlbumRegular, nullptr);
        rt::Class* tileClass = rt::getClass("PUAlbumListCellContentView");
        for (int i = 0; i < kTiles; ++i) {
            photos::PHAssetCollection album = albums.objectAtIndex(static_cast<unsigned long>(i));
            auto tile = rt::sendClass<rt::Ref<rt::Object>>(tileClass, "new"_sel);
            rt::send(tile, "setFrame:"_sel, gfx::CGRect{{0, 0}, {163, 207}});
            photosapp::configureTile(uikit::UIView(tile), album, album.title(), "90");
            s->tiles.push_back(tile);
        }
        // The big album: 10,000 of the library's assets.
        auto big = f.store->createAlbum(kBig, std::nullopt);
        for (std::size_t i = 0; i < 10000; ++i)
            s->bigMembers.push_back(f.assetIds[i * 7 % f.assetIds.size()]);
        if (!big || !f.store->addMembers(big->id, s->bigMembers)) throw std::runtime_error("no big album");
        return s;
    }();
    return *s;
}

void BM_TileLayoutPass_Stock(benchmark::State& state) {
    Setup& s = setup();
    for (auto _ : state)
        for (const auto& tile : s.tiles)
            lc::g_tileLayout(tile.get(), "layoutSubviews"_sel);
    state.counters["tiles"] = kTiles;
}
BENCHMARK(BM_TileLayoutPass_Stock)->Unit(benchmark::kMicrosecond);

void BM_TileLayoutPass_WithTheTweak(benchmark::State& state) {
    Setup& s = setup();
    for (auto _ : state)
        for (const auto& tile : s.tiles)
            rt::send(tile, "layoutSubviews"_sel);
    state.counters["tiles"] = kTiles;
}
BENCHMARK(BM_TileLayoutPass_WithTheTweak)->Unit(benchmark::kMicrosecond);

// syncAlbum until the hiding change has completed (its done message is
// queued on the main queue then); each iteration moves the photos out and
// the next one back, so every iteration changes all 10,000.
void BM_SyncAlbum(benchmark::State& state) {
    Setup& s = setup();
    photos::PHAssetCollection big = lc::collectionWithName(kBig);
    bool out = true;
    for (auto _ : state) {
        lc::syncAlbum(big, out);
        photos::Library::shared().waitUntilIdle();
        out = !out;
    }
    s.loop.runUntilIdle();
    state.counters["photos"] = 10000;
}
BENCHMARK(BM_SyncAlbum)->Unit(benchmark::kMillisecond);

// The same flags flipped in one plain SQLite transaction.
void BM_SyncAlbum_PlainSqlite(benchmark::State& state) {
    Setup& s = setup();
    sqlite3_stmt* flip = prepare("UPDATE assets SET hidden = ? WHERE id = ?");
    int hidden = 1;
    for (auto _ : state) {
        sqlite3_exec(fixture().plain, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (int64_t id : s.bigMembers) {
            sqlite3_bind_int(flip, 1, hidden);
            sqlite3_bind_int64(flip, 2, id);
            sqlite3_step(flip);
            sqlite3_reset(flip);
        }
        sqlite3_exec(fixture().plain, "COMMIT", nullptr, nullptr, nullptr);
        hidden = 1 - hidden;
    }
    sqlite3_finalize(flip);
    state.counters["photos"] = 10000;
}
BENCHMARK(BM_SyncAlbum_PlainSqlite)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
