#pragma once
// A fresh device with an empty photo library, and the few steps the photo
// library tests repeat: adding images, albums and folders through the store,
// and running one library change to its completion.

#include "sim/foundation/Files.h"
#include "sim/foundation/NSPredicate.h"
#include "sim/graphics/SamplePhoto.h"
#include "sim/photos/Import.h"
#include "sim/photos/kit/Internals.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

namespace phtest {

using rt::Ref;
using Objects = std::vector<Ref<rt::Object>>;
using namespace rt::literals;

struct Outcome {
    int completions = 0;
    bool success = false;
    std::string error; // the error's localized description
    bool onLibraryQueue = false;
};

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        photos::registerPhotoKit();
        photos::registerPhotosUI();
        store = photos::Library::shared().store();
        ASSERT_NE(store, nullptr);
    }

    // An image asset with a sample picture, dated `date` seconds after the reference date.
    photos::AssetRecord addPhoto(double date, int index = 1, photos::AssetRecord attrs = {}) {
        gfx::SamplePhotoSpec spec;
        spec.index = index;
        spec.width = 120;
        spec.height = 90;
        std::string path = "/tmp-photo-" + std::to_string(index) + ".png";
        gfx::makeSamplePhoto(spec).writePng(path);
        std::string bytes = *fnd::readFile(path);
        attrs.creationDate = date;
        std::optional<photos::AssetRecord> a;
        store->transaction(
            [&](photos::Writer& w) { return (a = photos::importImage(w, bytes, "sample.png", attrs)).has_value(); });
        EXPECT_TRUE(a);
        return a.value_or(photos::AssetRecord{});
    }

    photos::AlbumRecord addAlbum(const std::string& title, const std::vector<photos::AssetRecord>& assets = {},
                                 std::optional<int64_t> folder = std::nullopt) {
        auto album = store->createAlbum(title, folder);
        std::vector<int64_t> ids;
        for (const auto& a : assets)
            ids.push_back(a.id);
        EXPECT_TRUE(store->addMembers(album->id, ids));
        return *album;
    }

    // Runs one change through PHPhotoLibrary and waits for its completion.
    Outcome perform(std::function<void()> changes) {
        auto outcome = std::make_shared<Outcome>();
        auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
        rt::send(library, "performChanges:completionHandler:"_sel, rt::Block<void()>(std::move(changes)),
                 rt::Block<void(bool, Ref<rt::Object>)>([outcome](bool ok, Ref<rt::Object> error) {
                     ++outcome->completions;
                     outcome->success = ok;
                     outcome->onLibraryQueue = photos::Library::shared().queue().isCurrent();
                     if (error) outcome->error = rt::send<std::string>(error, "localizedDescription"_sel);
                 }));
        photos::Library::shared().waitUntilIdle();
        return *outcome;
    }

    static rt::Class* cls(const char* name) { return rt::getClass(name); }

    static Ref<rt::Object> options(bool includeHidden = false) { return photos::makeFetchOptions(includeHidden); }

    static Ref<rt::Object> titled(const std::string& title, bool includeHidden = true) {
        auto o = options(includeHidden);
        rt::send(o, "setPredicate:"_sel, fnd::makePredicate("title = %@", {title}));
        return o;
    }

    static Ref<rt::Object> collections(long type, long subtype, Ref<rt::Object> opts = nullptr) {
        return rt::sendClass<Ref<rt::Object>>(
            cls("PHAssetCollection"), "fetchAssetCollectionsWithType:subtype:options:"_sel, type, subtype, opts);
    }

    static Ref<rt::Object> smartAlbum(long subtype) {
        return rt::send<Ref<rt::Object>>(collections(photos::PHAssetCollectionTypeSmartAlbum, subtype),
                                         "firstObject"_sel);
    }

    static Ref<rt::Object> assetsIn(const Ref<rt::Object>& collection, Ref<rt::Object> opts = nullptr) {
        return rt::sendClass<Ref<rt::Object>>(cls("PHAsset"), "fetchAssetsInAssetCollection:options:"_sel, collection,
                                              opts);
    }

    static unsigned long count(const Ref<rt::Object>& result) { return rt::send<unsigned long>(result, "count"_sel); }

    // The row ids of the assets of a fetch result, in order.
    static std::vector<int64_t> ids(const Ref<rt::Object>& result) {
        std::vector<int64_t> out;
        for (auto& o : rt::send<Objects>(result, "fetchedObjects"_sel))
            out.push_back(photos::assetRecordOf(o.get())->id);
        return out;
    }

    static std::vector<std::string> titles(const Ref<rt::Object>& resultOrList, const char* sel = "fetchedObjects") {
        std::vector<std::string> out;
        for (auto& o : rt::send<Objects>(resultOrList, rt::sel(sel)))
            out.push_back(rt::send<std::string>(o, "localizedTitle"_sel));
        return out;
    }

    testsupport::TempDeviceRoot root;
    photos::PhotoStore* store = nullptr;
};

} // namespace phtest
