#pragma once
// A process of the device with PhotoKit and lumicrate12 started in it, as
// the device injects it into any app: by default the third-party gallery.
// The library is filled through the store (what another process would
// have committed); the queries go through PhotoKit's faces, so through the
// filter's hooks, as the app's own would.

#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "sim/ipc/InProcessDevice.h"
#include "sim/photos/kit/Classes.h"
#include "sim/photos/kit/SmartAlbums.h"
#include "tests/support/TempDeviceRoot.h"
#include "tweak/Tweak.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace filtertest {

using fnd::Value;
using rt::Ref;
using namespace photos;
using namespace rt::literals;
using Titles = std::vector<std::string>;

inline constexpr const char* kGallery = "com.example.gallery";

struct Filter : ::testing::Test {
    testsupport::TempDeviceRoot root;
    std::shared_ptr<dsp::ManualClock> clock = std::make_shared<dsp::ManualClock>();
    dsp::RunLoop loop{clock};
    ipc::InProcessDevice device;
    ipc::InProcessDevice::Process process;
    PhotoStore* store = nullptr;
    std::string bundle = kGallery;

    void SetUp() override {
        dsp::RunLoop::setMain(&loop);
        registerPhotoKit();
        store = Library::shared().store();
        ASSERT_NE(store, nullptr);
        asSystem([] { fnd::createDirectory(lc::kStateFolder, true); });
    }
    void TearDown() override {
        Library::shared().waitUntilIdle();
        ipc::Endpoint::setShared(nullptr);
        dsp::RunLoop::setMain(nullptr);
    }

    // lumicrate12's start-up in a process of this bundle, as the device injects it.
    void start(const std::string& id = kGallery) {
        bundle = id;
        fnd::setProcessIdentity({id, true, "/var/mobile/Containers/Data/Application/" + id});
        process = device.connect({301, id, true, false}, &loop);
        ipc::Endpoint::setShared(process.endpoint.get());
        lc::startUp();
    }

    // ---- what other processes write ------------------------------------------------------------------
    template <class F> void asSystem(F f) {
        fnd::ProcessIdentity me = fnd::processIdentity();
        fnd::setProcessIdentity({"com.apple.springboard", false, ""});
        f();
        fnd::setProcessIdentity(me);
    }
    // SpringBoard writes the locked list.
    void lock(const Titles& titles) {
        fnd::Array a;
        for (const auto& t : titles)
            a.push_back(Value(t));
        asSystem([&] { ASSERT_TRUE(fnd::writePlistFile(lc::kdataPath, Value(a))); });
    }
    // The settings pane writes the preferences and every process reloads.
    void prefs(fnd::Dictionary d) {
        asSystem([&] { ASSERT_TRUE(fnd::writePlistFile(lc::kPreferencePath, Value(std::move(d)))); });
        lc::reloadSettings();
    }

    AssetRecord addPhoto(AssetRecord attrs = {}) {
        static double date = 1000;
        attrs.creationDate = (date += 60);
        attrs.imagePath = "/var/mobile/Media/DCIM/none.jpg";
        return store->insertAsset(attrs).value();
    }
    AlbumRecord addAlbum(const std::string& title, const std::vector<AssetRecord>& assets,
                         std::optional<int64_t> folder = std::nullopt) {
        auto album = store->createAlbum(title, folder).value();
        std::vector<int64_t> ids;
        for (const auto& a : assets)
            ids.push_back(a.id);
        store->addMembers(album.id, ids);
        return album;
    }

    // ---- what the app sees ---------------------------------------------------------------------------
    static Titles titles(const std::vector<PHCollection>& collections) {
        Titles out;
        for (const auto& c : collections)
            out.push_back(c.localizedTitle());
        return out;
    }
    static Titles titles(const std::vector<PHAssetCollection>& collections) {
        Titles out;
        for (const auto& c : collections)
            out.push_back(c.localizedTitle());
        return out;
    }
    static PHFetchResult<PHAssetCollection> regularAlbums(const PHFetchOptions& options = nullptr) {
        return PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
            PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAlbumRegular, options);
    }
    static PHFetchResult<PHAssetCollection> smartAlbums() {
        return PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(PHAssetCollectionTypeSmartAlbum,
                                                                                PHAssetCollectionSubtypeAny, nullptr);
    }
    static PHAssetCollection smartAlbum(long subtype) {
        return PHAssetCollection(makeSmartCollection(*photos::smartAlbum(subtype)));
    }
    // An album as the library has it, whatever the filter shows.
    static PHAssetCollection album(const AlbumRecord& a) { return PHAssetCollection(kit::makeAlbum(a)); }
    static Titles topList() { return titles(userCollectionsList().collections()); }
    // The uuids of a fetch's assets; "none" for no result at all.
    static std::vector<std::string> uuids(const PHFetchResult<PHAsset>& assets) {
        if (!assets) return {"none"};
        std::vector<std::string> out;
        for (const auto& a : assets.fetchedObjects())
            out.push_back(uuidOfIdentifier(a.localIdentifier()));
        return out;
    }
    static std::vector<std::string> uuids(const std::vector<AssetRecord>& records) {
        std::vector<std::string> out;
        for (const auto& r : records)
            out.push_back(r.uuid);
        return out;
    }
    static PHFetchResult<PHAsset> assetsIn(const PHAssetCollection& c, const PHFetchOptions& options = nullptr) {
        return PHAsset::fetchAssetsInAssetCollection_options(c, options);
    }
};

} // namespace filtertest
