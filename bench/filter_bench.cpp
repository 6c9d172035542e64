// The privacy filter in a third-party app's process, each query beside the
// stock call it wraps, in the library of bench/support/LibraryFixture
// (1,000 albums of 100 assets, 100,000 assets) with 100 of the albums moved
// into ten folders, so that the top list holds 900 albums and 10 folders
// and every query that lists it appends 100 transient copies.
//
//   collections of the top list: stock; filtered after no change; the first
//   filtered call after a change of the locked list, and after a change of
//   the library; and the list built as each call would build it with
//   nothing kept.
//   fetchedObjects of the 1,000-album fetch: stock and filtered, on a kept
//   result, and with the fetch made afresh for each call.
//   fetchAssetsInAssetCollection:options: of a 100-photo album: stock and
//   filtered.

#include "bench/support/LibraryFixture.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "tweak/Tweak.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/filter/FilterInputs.h"
#include "tweak/filter/QueryFilter.h"

#include <benchmark/benchmark.h>

using namespace benchsupport;
using namespace photos;
using namespace rt::literals;

namespace {

// The fixture with ten folders of ten albums each, and lumicrate12's
// filter as the device installs it into a third-party app.
void prepare() {
    static bool ready = [] {
        LibraryFixture& f = fixture();
        bool ok = f.store->transaction([](Writer& w) {
            for (int folder = 0; folder < 10; ++folder) {
                auto made = w.createFolder("Folder " + std::to_string(folder));
                if (!made) return false;
                auto s = w.db().prepare("UPDATE albums SET folder = ? WHERE title = ?");
                for (int i = 0; i < 10; ++i) {
                    s.bind(1, made->id).bind(2, "Album " + std::to_string(folder * 100 + i));
                    s.step();
                    s.reset();
                }
            }
            return true;
        });
        fnd::setProcessIdentity({"com.springboard.bench", false, ""});
        fnd::createDirectory(lc::kStateFolder, true);
        fnd::writePlistFile(lc::kdataPath, fnd::Value(fnd::Array{fnd::Value("Album 7")}));
        // Album 7's photos moved out of the camera roll: hidden, and
        // withheld from the app with their locked album.
        auto sevens = f.store->albumsWithTitle("Album 7");
        if (!sevens.empty()) {
            std::vector<int64_t> ids;
            for (const auto& a : f.store->assetsInAlbum(sevens.front().id, true))
                ids.push_back(a.id);
            f.store->setHidden(ids, true);
        }
        fnd::setProcessIdentity({"com.example.gallery", true, "/var/mobile/Containers/Data/Application/gallery"});
        lc::reloadSettings();
        lc::filter::setProcess("com.example.gallery");
        return ok && lc::installGroup("other") > 0;
    }();
    if (!ready) throw std::runtime_error("the filter's library could not be prepared");
}

using Objects = std::vector<rt::Ref<rt::Object>>;

void BM_Collections_Stock(benchmark::State& state) {
    prepare();
    PHCollectionList top = userCollectionsList();
    std::size_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(n = lc::g_listCollections(top.get(), "collections"_sel).size());
    state.counters["collections"] = static_cast<double>(n);
}
BENCHMARK(BM_Collections_Stock)->Unit(benchmark::kMicrosecond);

void BM_Collections_Filtered(benchmark::State& state) {
    prepare();
    PHCollectionList top = userCollectionsList();
    top.collections(); // the copies are made once
    std::size_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(n = rt::send<Objects>(top.get(), "collections"_sel).size());
    state.counters["collections"] = static_cast<double>(n);
}
BENCHMARK(BM_Collections_Filtered)->Unit(benchmark::kMicrosecond);

// Each call follows a rewrite of the locked list (not timed): the copies
// are made afresh, as the first query after a lock does.
void BM_Collections_FirstAfterLockChange(benchmark::State& state) {
    prepare();
    PHCollectionList top = userCollectionsList();
    std::size_t n = 0;
    int i = 0;
    fnd::setProcessIdentity({"com.springboard.bench", false, ""});
    for (auto _ : state) {
        state.PauseTiming();
        fnd::writePlistFile(lc::kdataPath,
                            fnd::Value(fnd::Array{fnd::Value("Album " + std::to_string(++i % 2 ? 7 : 8))}));
        state.ResumeTiming();
        benchmark::DoNotOptimize(n = rt::send<Objects>(top.get(), "collections"_sel).size());
    }
    fnd::setProcessIdentity({"com.example.gallery", true, "/var/mobile/Containers/Data/Application/gallery"});
    state.counters["collections"] = static_cast<double>(n);
}
BENCHMARK(BM_Collections_FirstAfterLockChange)->Unit(benchmark::kMillisecond);

// Each call follows a change of the library (not timed): the albums'
// assets are fetched again.
void BM_Collections_FirstAfterLibraryChange(benchmark::State& state) {
    prepare();
    LibraryFixture& f = fixture();
    PHCollectionList top = userCollectionsList();
    std::size_t n = 0;
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (++i % 2)
            f.store->removeMembers(f.middleAlbum, {f.assetIds[500]});
        else
            f.store->addMembers(f.middleAlbum, {f.assetIds[500]});
        state.ResumeTiming();
        benchmark::DoNotOptimize(n = rt::send<Objects>(top.get(), "collections"_sel).size());
    }
    if (i % 2) f.store->addMembers(f.middleAlbum, {f.assetIds[500]}); // the album whole again for what follows
    state.counters["collections"] = static_cast<double>(n);
}
BENCHMARK(BM_Collections_FirstAfterLibraryChange)->Unit(benchmark::kMillisecond);

void BM_Collections_Uncached(benchmark::State& state) {
    prepare();
    PHCollectionList top = userCollectionsList();
    std::size_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(n = lc::listCollectionsUncached(top.get(), "collections"_sel).size());
    state.counters["collections"] = static_cast<double>(n);
}
BENCHMARK(BM_Collections_Uncached)->Unit(benchmark::kMillisecond);

PHFetchResult<PHAssetCollection> allAlbums() {
    return PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
        PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAlbumRegular, nullptr);
}

void BM_FetchedObjects_Stock(benchmark::State& state) {
    prepare();
    auto albums = allAlbums();
    std::size_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(n = lc::g_resultFetchedObjects(albums.get(), "fetchedObjects"_sel).size());
    state.counters["albums"] = static_cast<double>(n);
}
BENCHMARK(BM_FetchedObjects_Stock)->Unit(benchmark::kMicrosecond);

void BM_FetchedObjects_Filtered(benchmark::State& state) {
    prepare();
    auto albums = allAlbums();
    std::size_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(n = rt::send<Objects>(albums.get(), "fetchedObjects"_sel).size());
    state.counters["albums"] = static_cast<double>(n);
}
BENCHMARK(BM_FetchedObjects_Filtered)->Unit(benchmark::kMicrosecond);

// A walk by index, as an app that counts the fetch and reads each album:
// count once, then objectAtIndex: for every index.
void BM_WalkByIndex_Stock(benchmark::State& state) {
    prepare();
    auto albums = allAlbums();
    rt::Id result = albums.get();
    for (auto _ : state) {
        unsigned long n = lc::g_resultCount(result, "count"_sel);
        for (unsigned long i = 0; i < n; ++i)
            benchmark::DoNotOptimize(lc::g_resultObjectAtIndex(result, "objectAtIndex:"_sel, i));
    }
}
BENCHMARK(BM_WalkByIndex_Stock)->Unit(benchmark::kMicrosecond);

void BM_WalkByIndex_Filtered(benchmark::State& state) {
    prepare();
    auto albums = allAlbums();
    rt::Id result = albums.get();
    for (auto _ : state) {
        auto n = rt::send<unsigned long>(result, "count"_sel);
        for (unsigned long i = 0; i < n; ++i)
            benchmark::DoNotOptimize(rt::send<rt::Ref<rt::Object>>(result, "objectAtIndex:"_sel, i));
    }
}
BENCHMARK(BM_WalkByIndex_Filtered)->Unit(benchmark::kMicrosecond);

void BM_FetchThenFetchedObjects_Stock(benchmark::State& state) {
    prepare();
    std::size_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(n = lc::g_resultFetchedObjects(allAlbums().get(), "fetchedObjects"_sel).size());
    state.counters["albums"] = static_cast<double>(n);
}
BENCHMARK(BM_FetchThenFetchedObjects_Stock)->Unit(benchmark::kMicrosecond);

void BM_FetchThenFetchedObjects_Filtered(benchmark::State& state) {
    prepare();
    std::size_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(n = rt::send<Objects>(allAlbums().get(), "fetchedObjects"_sel).size());
    state.counters["albums"] = static_cast<double>(n);
}
BENCHMARK(BM_FetchThenFetchedObjects_Filtered)->Unit(benchmark::kMicrosecond);

PHAssetCollection middleAlbum() {
    auto options = PHFetchOptions::new_();
    options.setPredicate(fnd::NSPredicate::predicateWithFormat_argumentArray("title = %@", {"Album 500"}));
    return PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
               PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAlbumRegular, options)
        .firstObject();
}

void BM_FetchAssetsInCollection_Stock(benchmark::State& state) {
    prepare();
    PHAssetCollection album = middleAlbum();
    std::size_t n = 0;
    for (auto _ : state) {
        auto options = PHFetchOptions::new_();
        options.setIncludeHiddenAssets(true);
        rt::Ref<rt::Object> assets =
            lc::g_fetchAssetsInCollection(PHAsset::cls(), "fetchAssetsInAssetCollection:options:"_sel, album, options);
        benchmark::DoNotOptimize(n = PHFetchResult<PHAsset>(assets).count());
    }
    state.counters["photos"] = static_cast<double>(n);
}
BENCHMARK(BM_FetchAssetsInCollection_Stock)->Unit(benchmark::kMicrosecond);

void BM_FetchAssetsInCollection_Filtered(benchmark::State& state) {
    prepare();
    PHAssetCollection album = middleAlbum();
    std::size_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            n = PHAsset::fetchAssetsInAssetCollection_options(album, PHFetchOptions::new_()).count());
    state.counters["photos"] = static_cast<double>(n);
}
BENCHMARK(BM_FetchAssetsInCollection_Filtered)->Unit(benchmark::kMicrosecond);

} // namespace

// ---- asset fetches that may list withheld photos --------------------------------------------------------

PHAssetCollection cameraRoll() {
    return PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
               PHAssetCollectionTypeSmartAlbum, PHAssetCollectionSubtypeSmartAlbumUserLibrary, nullptr)
        .firstObject();
}

// The camera roll (100,000 assets, the visible nine in ten): the fetch and
// its count. The filter turns hidden assets off for it, so nothing is
// withheld and the result is not marked.
void BM_CameraRoll_Stock(benchmark::State& state) {
    prepare();
    PHAssetCollection roll = cameraRoll();
    std::size_t n = 0;
    for (auto _ : state) {
        rt::Ref<rt::Object> assets = lc::g_fetchAssetsInCollection(
            PHAsset::cls(), "fetchAssetsInAssetCollection:options:"_sel, roll, PHFetchOptions::new_());
        benchmark::DoNotOptimize(n = lc::g_resultCount(assets.get(), "count"_sel));
    }
    state.counters["photos"] = static_cast<double>(n);
}
BENCHMARK(BM_CameraRoll_Stock)->Unit(benchmark::kMillisecond);

void BM_CameraRoll_Filtered(benchmark::State& state) {
    prepare();
    PHAssetCollection roll = cameraRoll();
    std::size_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(n = PHAsset::fetchAssetsInAssetCollection_options(roll, nullptr).count());
    state.counters["photos"] = static_cast<double>(n);
}
BENCHMARK(BM_CameraRoll_Filtered)->Unit(benchmark::kMillisecond);

// The moment of the first photo of Album 7 (a day: 87 photos, hidden ones
// included, one of them withheld): the fetch and fetchedObjects.
PHAssetCollection momentOfAlbumSeven() {
    LibraryFixture& f = fixture();
    auto sevens = f.store->albumsWithTitle("Album 7");
    auto members = f.store->assetsInAlbum(sevens.front().id, true);
    PHAsset first(photos::makeAsset(members.front()));
    return PHAssetCollection::fetchAssetCollectionsContainingAsset_withType_options(first, PHAssetCollectionTypeMoment,
                                                                                    nullptr)
        .firstObject();
}

void BM_Moment_Stock(benchmark::State& state) {
    prepare();
    PHAssetCollection moment = momentOfAlbumSeven();
    std::size_t n = 0;
    for (auto _ : state) {
        auto options = PHFetchOptions::new_();
        options.setIncludeHiddenAssets(true);
        rt::Ref<rt::Object> assets =
            lc::g_fetchAssetsInCollection(PHAsset::cls(), "fetchAssetsInAssetCollection:options:"_sel, moment, options);
        benchmark::DoNotOptimize(n = lc::g_resultFetchedObjects(assets.get(), "fetchedObjects"_sel).size());
    }
    state.counters["photos"] = static_cast<double>(n);
}
BENCHMARK(BM_Moment_Stock)->Unit(benchmark::kMicrosecond);

void BM_Moment_Filtered(benchmark::State& state) {
    prepare();
    PHAssetCollection moment = momentOfAlbumSeven();
    std::size_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            n = PHAsset::fetchAssetsInAssetCollection_options(moment, nullptr).fetchedObjects().size());
    state.counters["photos"] = static_cast<double>(n);
}
BENCHMARK(BM_Moment_Filtered)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
