// Random sequences of what changes the filter's answers: locks, switches and
// settings, and the library (albums made, renamed and deleted, in folders or
// not, photos added, hidden and shown). After every step each kept answer
// must equal a fresh one: the list of collections (with every collection's
// photos) against the same list built with nothing kept, and an album fetch
// the app holds against a fetch made now.

#include "tests/tweak/filter/FilterFixture.h"
#include "tweak/filter/FilterInputs.h"
#include "tweak/filter/QueryFilter.h"

#include <algorithm>
#include <random>

using namespace filtertest;

namespace {

// Few titles, so that they repeat: two albums of one title, an album titled
// like a smart album's locked name.
const Titles kTitles{"Trips", "Rome", "Oslo", "Hidden", "Screenshots", ""};

std::string describe(const std::vector<PHCollection>& list) {
    std::string out;
    for (const auto& c : list) {
        out += "[" + c.localizedTitle();
        if (c.isKindOf(PHAssetCollection::cls()))
            for (const auto& id : Filter::uuids(Filter::assetsIn(c.as<PHAssetCollection>())))
                out += " " + id.substr(0, 8);
        out += "]";
    }
    return out;
}

struct FilterModel : Filter {
    std::mt19937 rng;
    std::vector<int64_t> folders;

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    const std::string& title() { return kTitles[static_cast<std::size_t>(pick(static_cast<int>(kTitles.size())))]; }
    std::vector<AlbumRecord> albums() { return store->albums(); }

    // One change; whether it changed the library (a kept album fetch then
    // holds the albums as they were, and is fetched again).
    bool change(std::string& what) {
        auto all = albums();
        switch (pick(9)) {
        case 0: {
            Titles locked;
            for (const auto& t : kTitles)
                if (pick(3) == 0) locked.push_back(t);
            lock(locked);
            what = "lock " + std::to_string(locked.size());
            return false;
        }
        case 1: {
            fnd::Dictionary d{{"hideLockedFromApps", Value(pick(2) == 0)},
                              {"hideFoldersInApps", Value(pick(3) != 0)},
                              {"showHidden", Value(pick(2) == 0)},
                              {"showScreenshots", Value(pick(2) == 0)}};
            for (const auto& t : kTitles)
                if (pick(3) == 0) d["albumName" + t] = Value(pick(2) == 0);
            prefs(d);
            what = "settings";
            return false;
        }
        case 2:
        case 3: {
            std::optional<int64_t> folder;
            if (!folders.empty() && pick(2) == 0)
                folder = folders[static_cast<std::size_t>(pick(static_cast<int>(folders.size())))];
            addAlbum(title(), {}, folder);
            what = "album";
            return true;
        }
        case 4:
            folders.push_back(store->createFolder("Folder").value().id);
            what = "folder";
            return true;
        case 5:
        case 6: {
            if (all.empty()) return false;
            auto p = addPhoto({.hidden = pick(3) == 0});
            store->addMembers(all[static_cast<std::size_t>(pick(static_cast<int>(all.size())))].id, {p.id});
            what = "photo";
            return true;
        }
        case 7: {
            AssetQuery everything;
            everything.includeHidden = true;
            auto ids = store->assetIds(everything);
            if (ids.empty()) return false;
            store->setHidden({ids[static_cast<std::size_t>(pick(static_cast<int>(ids.size())))]}, pick(2) == 0);
            what = "hide or show";
            return true;
        }
        default: {
            if (all.empty()) return false;
            int64_t album = all[static_cast<std::size_t>(pick(static_cast<int>(all.size())))].id;
            const std::string& t = title();
            store->transaction([&](Writer& w) { return pick(2) ? w.renameAlbum(album, t) : w.deleteAlbum(album); });
            what = "rename or delete";
            return true;
        }
        }
    }

    // The photos the app should get of a fetch of every photo, hidden ones
    // included, built from the store: all but the hidden ones whose every
    // album (one at least) withholds its assets.
    std::vector<std::string> expectedPhotos() {
        lc::filter::Inputs in = lc::filter::currentInputs();
        AssetQuery everything;
        everything.includeHidden = true;
        std::vector<std::string> out;
        for (const auto& a : store->assets(everything)) {
            auto holders = store->albumsContaining(a.id);
            bool withheld = a.hidden && !holders.empty() &&
                            std::all_of(holders.begin(), holders.end(),
                                        [&](const AlbumRecord& h) { return in.withholdsAssets(h.title); });
            if (!withheld) out.push_back(a.uuid);
        }
        return out;
    }
    static PHFetchResult<PHAsset> everyPhoto() {
        auto o = PHFetchOptions::new_();
        o.setIncludeHiddenAssets(true);
        return PHAsset::fetchAssetsWithOptions(o);
    }
};

TEST_F(FilterModel, KeptAnswersEqualFreshOnesAfterEveryStepOfRandomChanges) {
    start();
    for (unsigned seed : {1u, 2u, 3u}) {
        rng.seed(seed);
        auto held = regularAlbums();
        auto heldPhotos = everyPhoto();
        for (int step = 0; step < 60; ++step) {
            std::string what;
            if (change(what)) {
                held = regularAlbums();
                heldPhotos = everyPhoto();
            }
            PHCollectionList top = userCollectionsList();
            std::vector<PHCollection> uncached;
            for (const auto& o : lc::listCollectionsUncached(top.get(), "collections"_sel))
                uncached.emplace_back(o);
            ASSERT_EQ(describe(top.collections()), describe(uncached))
                << "seed " << seed << " step " << step << ": " << what;
            auto fresh = regularAlbums();
            ASSERT_EQ(titles(held.fetchedObjects()), titles(fresh.fetchedObjects()))
                << "seed " << seed << " step " << step << ": " << what;
            ASSERT_EQ(held.count(), fresh.count());
            ASSERT_EQ(uuids(heldPhotos), expectedPhotos()) << "seed " << seed << " step " << step << ": " << what;
            ASSERT_EQ(uuids(everyPhoto()), expectedPhotos());
            ASSERT_EQ(heldPhotos.count(), expectedPhotos().size());
        }
    }
}

} // namespace
