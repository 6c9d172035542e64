// One library shared by processes and threads: a change committed in one
// process is seen by the next fetch in another, and a fetch during a change
// sees all of it or none.

#include "tests/sim/photos/LibraryFixture.h"

#include <atomic>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace phtest;

struct LibrarySharing : LibraryTest {
    // The peer program creates the album through its own connection; whether it succeeded.
    bool createAlbumInAnotherProcess(const char* title) {
        std::string peer = std::string(LUMI_BIN_DIR) + "/photos_test_peer";
        std::string rootPath = root.path().string();
        pid_t child = ::fork();
        if (child < 0) return false;
        if (child == 0) {
            ::execl(peer.c_str(), peer.c_str(), rootPath.c_str(), "create-album", title, nullptr);
            ::_exit(127);
        }
        int status = 0;
        return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
};

TEST_F(LibrarySharing, AChangeMadeInAnotherProcessIsSeenAtTheNextFetch) {
    addPhoto(10, 1);
    auto before = collections(photos::PHAssetCollectionTypeAlbum, photos::PHAssetCollectionSubtypeAny);
    EXPECT_EQ(count(before), 0u);
    // Another app: a process of its own, with its own connection and queue.
    ASSERT_TRUE(createAlbumInAnotherProcess("From the camera"));
    EXPECT_EQ(count(before), 0u) << "a fetch result is a snapshot";
    auto album = rt::send<Ref<rt::Object>>(
        collections(photos::PHAssetCollectionTypeAlbum, photos::PHAssetCollectionSubtypeAny, titled("From the camera")),
        "firstObject"_sel);
    ASSERT_TRUE(album);
    EXPECT_EQ(count(assetsIn(album)), 1u);
}

// The change token: equal across reads, different once anyone committed.
TEST_F(LibrarySharing, TheChangeTokenMovesWithEveryCommitOfThisProcessOrAnother) {
    auto library = photos::PHPhotoLibrary::sharedPhotoLibrary();
    auto first = library.currentChangeToken();
    count(collections(photos::PHAssetCollectionTypeAlbum, photos::PHAssetCollectionSubtypeAny));
    EXPECT_TRUE(library.currentChangeToken().isEqual(first)) << "a read changes nothing";
    addPhoto(10, 1);
    auto afterOwn = library.currentChangeToken();
    EXPECT_FALSE(afterOwn.isEqual(first));
    ASSERT_TRUE(createAlbumInAnotherProcess("Elsewhere"));
    EXPECT_FALSE(library.currentChangeToken().isEqual(afterOwn)) << "another process's commit";
    EXPECT_FALSE(library.currentChangeToken().isEqual(nullptr));
}

TEST_F(LibrarySharing, FetchesOnSeveralThreadsSeeEachChangeWholeWhileChangesRun) {
    auto album = addAlbum("Pairs");
    for (int i = 0; i < 10; ++i)
        addPhoto(i, i);
    auto handle = rt::send<Ref<rt::Object>>(
        collections(photos::PHAssetCollectionTypeAlbum, photos::PHAssetCollectionSubtypeAny), "firstObject"_sel);
    constexpr int kChanges = 20;
    // Each change adds two photos to the album at once, so a reader that saw
    // half of one would count an odd number.
    std::atomic<bool> done{false};
    std::atomic<int> odd{0}, reads{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t)
        readers.emplace_back([&] {
            while (!done.load()) {
                unsigned long n = count(assetsIn(handle, options(true)));
                if (n % 2) ++odd;
                ++reads;
                auto found = collections(photos::PHAssetCollectionTypeAlbum, photos::PHAssetCollectionSubtypeAny,
                                         titled("Pairs"));
                if (count(found) != 1) ++odd;
            }
        });
    auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
    std::atomic<int> completions{0}, successes{0};
    for (int i = 0; i < kChanges; ++i) {
        photos::AssetRecord a = addPhoto(100 + i, 100 + 2 * i);
        photos::AssetRecord b = addPhoto(100 + i, 101 + 2 * i);
        rt::send(library, "performChanges:completionHandler:"_sel, rt::Block<void()>([=] {
                     auto request = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                                   "changeRequestForAssetCollection:"_sel, handle);
                     rt::send(request, "addAssets:"_sel, Objects{photos::makeAsset(a), photos::makeAsset(b)});
                 }),
                 rt::Block<void(bool, Ref<rt::Object>)>([&](bool ok, Ref<rt::Object>) {
                     ++completions;
                     if (ok) ++successes;
                 }));
    }
    photos::Library::shared().waitUntilIdle();
    done = true;
    for (auto& r : readers)
        r.join();
    EXPECT_EQ(completions.load(), kChanges);
    EXPECT_EQ(successes.load(), kChanges);
    EXPECT_EQ(odd.load(), 0) << "a fetch saw half of a change";
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(store->assetsInAlbum(album.id, true).size(), 2u * kChanges);
}
