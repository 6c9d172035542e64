// Album lookup and the newest photo into a named album.

#include "tweak/library/AlbumPlacement.h"

#include "tests/sim/photos/LibraryFixture.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

using namespace phtest;
using photos::PHAssetCollectionSubtypeAny;
using photos::PHAssetCollectionTypeAlbum;

namespace {

std::atomic<int> g_changes{0};
void counted(rt::Id, rt::Sel, Ref<rt::Object>) { ++g_changes; }

struct AlbumPlacement : LibraryTest {
    Ref<rt::Object> listener;
    void SetUp() override {
        LibraryTest::SetUp();
        rt::Class* c = rt::defineClass("PlacementListener");
        rt::addMethod<&counted>(c, "photoLibraryDidChange:"_sel);
        listener = rt::sendClass<Ref<rt::Object>>(c, "new"_sel);
        auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
        rt::send(library, "registerChangeObserver:"_sel, listener);
    }
    // Holds the library's queue until releaseQueue, so that calls made
    // meanwhile find the library as it was.
    std::mutex m;
    std::condition_variable cv;
    bool released = false;
    void holdQueue() {
        photos::Library::shared().queue().async([this] {
            std::unique_lock lock(m);
            cv.wait(lock, [this] { return released; });
        });
    }
    void releaseQueue() {
        {
            std::lock_guard lock(m);
            released = true;
        }
        cv.notify_all();
    }
    std::vector<std::vector<int64_t>> albumsTitled(const std::string& title) {
        std::vector<std::vector<int64_t>> out;
        for (const auto& c :
             rt::send<Objects>(collections(PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAny, titled(title)),
                               "fetchedObjects"_sel))
            out.push_back(ids(assetsIn(c, options(true))));
        return out;
    }
};

} // namespace

TEST_F(AlbumPlacement, TheLookupIsExactAndTheFirstOfTwoAlbumsWithOneTitleGetsThePhoto) {
    auto photo = addPhoto(10);
    auto first = addAlbum("Trips");
    addAlbum("Trips");
    EXPECT_EQ(photos::collectionOf(lc::collectionWithName("Trips").get())->key, first.id);
    EXPECT_FALSE(lc::collectionWithName("trips"));
    EXPECT_FALSE(lc::collectionWithName("Trip"));
    lc::moveLatestPhotoToAlbumWithName("Trips");
    photos::Library::shared().waitUntilIdle();
    EXPECT_EQ(albumsTitled("Trips"), (std::vector<std::vector<int64_t>>{{photo.id}, {}}));
    lc::moveLatestPhotoToAlbumWithName("trips");
    photos::Library::shared().waitUntilIdle();
    EXPECT_EQ(albumsTitled("trips").size(), 1u) << "another letter case is another album";
}

TEST_F(AlbumPlacement, AMissingAlbumIsCreatedThenGetsTheNewestVisibleImageInASecondChange) {
    addPhoto(10);
    auto newest = addPhoto(20);
    addPhoto(30, 3, photos::AssetRecord{.hidden = true}); // the latest capture, but hidden
    EXPECT_EQ(photos::assetRecordOf(lc::newestImage().get())->id, newest.id);
    lc::moveLatestPhotoToAlbumWithName("Rome");
    photos::Library::shared().waitUntilIdle();
    EXPECT_EQ(albumsTitled("Rome"), (std::vector<std::vector<int64_t>>{{newest.id}}));
    EXPECT_EQ(g_changes, 2) << "the creation, then the add";
}

TEST_F(AlbumPlacement, TheImageIsChosenWhenTheCallIsMadeAndNoneIsAddedWhenThereIsNone) {
    addAlbum("Empty");
    lc::moveLatestPhotoToAlbumWithName("Empty");
    photos::Library::shared().waitUntilIdle();
    EXPECT_EQ(albumsTitled("Empty"), (std::vector<std::vector<int64_t>>{{}})) << "no visible image: nothing added";
    EXPECT_EQ(g_changes, 0);

    auto before = addPhoto(10);
    holdQueue(); // the change waits while a newer image arrives
    lc::moveLatestPhotoToAlbumWithName("Empty");
    addPhoto(20);
    releaseQueue();
    photos::Library::shared().waitUntilIdle();
    EXPECT_EQ(albumsTitled("Empty"), (std::vector<std::vector<int64_t>>{{before.id}}));
}

TEST_F(AlbumPlacement, TwoCallsBeforeTheFirstCreationCompletesMakeTwoAlbums) {
    auto photo = addPhoto(10);
    holdQueue();
    lc::moveLatestPhotoToAlbumWithName("Beach");
    lc::moveLatestPhotoToAlbumWithName("Beach");
    releaseQueue();
    photos::Library::shared().waitUntilIdle();
    EXPECT_EQ(albumsTitled("Beach"), (std::vector<std::vector<int64_t>>{{photo.id}, {photo.id}}));
}
