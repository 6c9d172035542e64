// The photo library at 1,000 albums and 100,000 assets, through PhotoKit's
// classes, beside the same query in plain SQLite (the C API, a prepared
// statement reset and stepped, on its own connection to the same file) in
// the same run, so that the library's own overhead shows as a ratio.
//
// The library is bench/support/LibraryFixture's: 100 assets per album, one
// in ten of them hidden.

#include "bench/support/LibraryFixture.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/NSPredicate.h"
#include "sim/photos/kit/Internals.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

using rt::Ref;
using namespace rt::literals;
namespace fs = std::filesystem;

using namespace benchsupport;

namespace {

// Every benchmark that touches the library comes through here or calls
// fixture() first, so that each one runs on its own (--benchmark_filter).
Ref<rt::Object> albumFetch(const std::string& title) {
    fixture();
    auto options = photos::makeFetchOptions(true);
    rt::send(options, "setPredicate:"_sel, fnd::makePredicate("title = %@", {title}));
    return rt::sendClass<Ref<rt::Object>>(
        rt::getClass("PHAssetCollection"), "fetchAssetCollectionsWithType:subtype:options:"_sel,
        photos::PHAssetCollectionTypeAlbum, photos::PHAssetCollectionSubtypeAny, options);
}

// ---- album lookup by title ----------------------------------------------------------------
void BM_AlbumByTitle_Library(benchmark::State& state) {
    fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(rt::send<Ref<rt::Object>>(albumFetch("Album 500"), "firstObject"_sel));
}
BENCHMARK(BM_AlbumByTitle_Library);

void BM_AlbumByTitle_Sqlite(benchmark::State& state) {
    sqlite3_stmt* s = prepare("SELECT id, uuid, title, folder FROM albums WHERE title = ? ORDER BY id");
    for (auto _ : state) {
        sqlite3_bind_text(s, 1, "Album 500", -1, SQLITE_STATIC);
        benchmark::DoNotOptimize(drain(s));
    }
    sqlite3_finalize(s);
}
BENCHMARK(BM_AlbumByTitle_Sqlite);

// ---- an album's assets counted, hidden ones included ---------------------------------------
void BM_AlbumCountWithHidden_Library(benchmark::State& state) {
    auto album = rt::send<Ref<rt::Object>>(albumFetch("Album 500"), "firstObject"_sel);
    auto options = photos::makeFetchOptions(true);
    for (auto _ : state) {
        auto assets = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"),
                                                     "fetchAssetsInAssetCollection:options:"_sel, album, options);
        benchmark::DoNotOptimize(rt::send<unsigned long>(assets, "count"_sel));
    }
}
BENCHMARK(BM_AlbumCountWithHidden_Library);

void BM_AlbumCountWithHidden_Sqlite(benchmark::State& state) {
    sqlite3_stmt* s =
        prepare("SELECT a.id FROM memberships m JOIN assets a ON a.id = m.asset WHERE m.album = ? AND a.trashed = 0 "
                "ORDER BY a.creation_date, a.id");
    for (auto _ : state) {
        sqlite3_bind_int64(s, 1, fixture().middleAlbum);
        benchmark::DoNotOptimize(drain(s));
    }
    sqlite3_finalize(s);
}
BENCHMARK(BM_AlbumCountWithHidden_Sqlite);

// ---- the camera roll --------------------------------------------------------------------------
void BM_CameraRollFetch_Library(benchmark::State& state) {
    fixture();
    for (auto _ : state) {
        auto roll = rt::send<Ref<rt::Object>>(
            rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                           "fetchAssetCollectionsWithType:subtype:options:"_sel,
                                           photos::PHAssetCollectionTypeSmartAlbum, 209L, Ref<rt::Object>()),
            "firstObject"_sel);
        auto assets = rt::sendClass<Ref<rt::Object>>(
            rt::getClass("PHAsset"), "fetchAssetsInAssetCollection:options:"_sel, roll, Ref<rt::Object>());
        benchmark::DoNotOptimize(rt::send<unsigned long>(assets, "count"_sel));
    }
}
BENCHMARK(BM_CameraRollFetch_Library)->Unit(benchmark::kMillisecond);

void BM_CameraRollFetch_Sqlite(benchmark::State& state) {
    sqlite3_stmt* s = prepare(
        "SELECT a.id FROM assets a WHERE 1 AND (1) AND a.hidden = 0 AND a.trashed = 0 ORDER BY a.creation_date, a.id");
    for (auto _ : state)
        benchmark::DoNotOptimize(drain(s));
    sqlite3_finalize(s);
}
BENCHMARK(BM_CameraRollFetch_Sqlite)->Unit(benchmark::kMillisecond);

// ---- one membership change, from request to completion -----------------------------------------
void BM_MembershipChange_Library(benchmark::State& state) {
    auto album = rt::send<Ref<rt::Object>>(albumFetch("Album 7"), "firstObject"_sel);
    auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
    std::vector<Ref<rt::Object>> assets;
    for (const auto& r : fixture().store->assetsWithIds({fixture().assetIds.begin(), fixture().assetIds.begin() + 500}))
        assets.push_back(photos::makeAsset(r));
    std::size_t i = 0;
    for (auto _ : state) {
        // Alternately add and remove one asset, so that every change writes.
        bool add = i % 2 == 0;
        auto asset = assets[i / 2 % assets.size()];
        ++i;
        rt::send(
            library, "performChanges:completionHandler:"_sel, rt::Block<void()>([album, asset, add] {
                auto r = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                        "changeRequestForAssetCollection:"_sel, album);
                rt::send(r, add ? "addAssets:"_sel : "removeAssets:"_sel, std::vector<Ref<rt::Object>>{asset});
            }),
            rt::Block<void(bool, Ref<rt::Object>)>([](bool ok, Ref<rt::Object>) { benchmark::DoNotOptimize(ok); }));
        photos::Library::shared().waitUntilIdle();
    }
}
BENCHMARK(BM_MembershipChange_Library)->Unit(benchmark::kMicrosecond);

void BM_MembershipChange_Sqlite(benchmark::State& state) {
    sqlite3_stmt* add = prepare("INSERT OR IGNORE INTO memberships (album, asset) VALUES (?, ?)");
    sqlite3_stmt* remove = prepare("DELETE FROM memberships WHERE album = ? AND asset = ?");
    sqlite3_stmt* find = prepare("SELECT id FROM albums WHERE id = ?");
    int64_t album = fixture().middleAlbum + 1;
    std::size_t i = 0;
    for (auto _ : state) {
        sqlite3_exec(fixture().plain, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_int64(find, 1, album);
        drain(find);
        sqlite3_stmt* s = i % 2 == 0 ? add : remove;
        sqlite3_bind_int64(s, 1, album);
        sqlite3_bind_int64(s, 2, fixture().assetIds[i / 2 % 500]);
        drain(s);
        sqlite3_exec(fixture().plain, "COMMIT", nullptr, nullptr, nullptr);
        ++i;
    }
    sqlite3_finalize(add);
    sqlite3_finalize(remove);
    sqlite3_finalize(find);
}
BENCHMARK(BM_MembershipChange_Sqlite)->Unit(benchmark::kMicrosecond);

// ---- memory held by a fetch result of every asset -------------------------------------------------
std::size_t heapInUse() { return mallinfo2().uordblks; }

void BM_AllAssetsFetchMemory_Library(benchmark::State& state) {
    fixture();
    for (auto _ : state) {
        std::size_t before = heapInUse();
        auto assets = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsWithOptions:"_sel,
                                                     photos::makeFetchOptions(true));
        benchmark::DoNotOptimize(rt::send<unsigned long>(assets, "count"_sel));
        std::size_t held = heapInUse() - before;
        benchmark::DoNotOptimize(rt::send<Ref<rt::Object>>(assets, "objectAtIndex:"_sel, 50000UL));
        std::size_t afterOne = heapInUse() - before;
        state.counters["held_MiB"] = static_cast<double>(held) / (1 << 20);
        state.counters["one_loaded_MiB"] = static_cast<double>(afterOne) / (1 << 20);
    }
}
BENCHMARK(BM_AllAssetsFetchMemory_Library)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AllAssetsFetchMemory_Sqlite(benchmark::State& state) {
    sqlite3_stmt* s = prepare("SELECT a.id FROM assets a WHERE a.trashed = 0 ORDER BY a.creation_date, a.id");
    for (auto _ : state) {
        std::size_t before = heapInUse();
        std::vector<int64_t> ids;
        while (sqlite3_step(s) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(s, 0));
        sqlite3_reset(s);
        state.counters["held_MiB"] = static_cast<double>(heapInUse() - before) / (1 << 20);
        benchmark::DoNotOptimize(ids.data());
    }
    sqlite3_finalize(s);
}
BENCHMARK(BM_AllAssetsFetchMemory_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
