// Random sequences of what a person does with albums (captures handed to an
// album by the Camera's picker, with or without moving them out of the
// camera roll; in the Photos app picker Move and Copy, the Camera Roll
// target, Remove from Album, album deletes confirmed and cancelled, also of
// one of two albums with one title, the tiles' move and lock buttons, the
// stock Hide, the app ending and starting again), checked after every step
// against the rule lumicrate12 keeps: every photo is visible in the camera
// roll, or in a user album, or was hidden by the user with the stock Hide;
// and no photo leaves the library.

#include "sim/photos/kit/Classes.h"
#include "tests/tweak/photos/PhotosFixture.h"
#include "tweak/camera/AlbumPicker.h"
#include "tweak/camera/CaptureHandOff.h"
#include "tweak/photos/AlbumList.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>

using namespace photostest;

namespace {

bool listEveryAlbum(rt::Id, rt::Sel, photos::PHCollection) { return true; }

struct Sequences : PhotosWithTweak {
    std::mt19937 rng;
    std::vector<std::string> titles{"Trips", "Rome", "Paris", "Work"};
    std::vector<std::string> log;

    void SetUp() override {
        PhotosWithTweak::SetUp();
        std::vector<photos::AssetRecord> p;
        for (int i = 1; i <= 8; ++i)
            p.push_back(addPhoto(i));
        addAlbum("Trips", {p[0], p[1], p[2]});
        addAlbum("Rome", {p[2], p[3]});
        addAlbum("Paris", {p[4], p[5], p[6]});
        addAlbum("Work", {p[7], p[0]});
        launch();
        // Albums whose photos are all hidden stay listed, as the album filter will list them.
        static rt::Orig<bool(photos::PHCollection)> stock;
        ASSERT_TRUE(rt::hookMessage<&listEveryAlbum>(rt::getClass("PXPhotoKitCollectionsDataSourceManager"),
                                                     "_containsAnyAssets:"_sel, &stock));
    }

    std::size_t pick(std::size_t n) { return n == 0 ? 0 : rng() % n; }
    std::string anyAlbum() {
        auto albums = store->albums();
        return albums.empty() ? std::string() : albums[pick(albums.size())].title;
    }
    // Back to the Albums page's full list, nothing presented.
    bool toList() {
        while (presented()) {
            rt::send(presented(), "dismissViewControllerAnimated:completion:"_sel, false, rt::Block<void()>());
            settle();
        }
        // A grid left choosing (a step that could not finish) hides the tab bar.
        if (rt::respondsTo(top().get(), "selectedAssets"_sel)) {
            rt::send(top(), "setEditing:animated:"_sel, false, false);
            settle();
        }
        if (!tap("Albums")) return false;
        auto nav = rt::send<Ref<rt::Object>>(tabs(), "selectedNavigationController"_sel);
        rt::send<Objects>(nav, "popToRootViewControllerAnimated:"_sel, false);
        settle();
        return tap("See All");
    }
    // In album `title` (or the camera roll's grid), one photo chosen.
    // A tap on an album; a locked one passes the gate first (granted at once here).
    bool tapAlbum(const std::string& title) {
        if (!tap(title)) return false;
        deliver();
        return true;
    }
    bool choose(const std::string& title) {
        std::size_t n;
        if (title.empty()) {
            if (!toList() || !tap("Photos")) return false;
            n = store->cameraRoll().size();
        } else {
            if (!toList() || !tapAlbum(title)) return false;
            n = membersOf(title);
        }
        if (n == 0 || !tap("Select")) return false;
        return tap("Photo " + std::to_string(pick(n) + 1));
    }
    bool pickerAdd(const std::string& from, const std::string& to, bool move) {
        return choose(from) && tap("Add To") && tapAlbum(to) && press(move ? "Move" : "Copy");
    }
    bool cameraRollTarget(const std::string& from, bool move) {
        return choose(from) && tap("Add To") && tap("Camera Roll") && press(move ? "Move" : "Copy");
    }
    bool removeFromAlbum(const std::string& from) {
        return choose(from) && tap("Remove from Album") && press("Remove from Album");
    }
    // The delete button of the album at `index` among the user's albums
    // (the list's tile after the camera roll's), so that one of two albums
    // with one title can be deleted.
    bool deleteAlbum(std::size_t index) {
        if (!toList() || !tap("Edit")) return false;
        auto tile = rt::send<Ref<rt::Object>>(top(), "_preparedAlbumListCellContentViewAtIndexPath:"_sel,
                                              fnd::makeIndexPath(static_cast<long>(index + 1), 0));
        if (tile) rt::send(tile, "_deleteButtonTapped:"_sel, Ref<rt::Object>());
        settle();
        bool done = tile && press(pick(4) == 0 ? "Cancel" : "Delete Album");
        return tap("Done") && done;
    }

    // The tile of the album at `index` among the user's albums, in the full list.
    Ref<rt::Object> tileAt(std::size_t index) {
        return rt::send<Ref<rt::Object>>(top(), "_preparedAlbumListCellContentViewAtIndexPath:"_sel,
                                         fnd::makeIndexPath(static_cast<long>(index + 1), 0));
    }
    // A tile's move button (edit mode): out of the camera roll or back, as chosen in the sheet.
    bool tileMove(std::size_t index, bool out) {
        if (!toList() || !tap("Edit")) return false;
        Ref<rt::Object> tile = tileAt(index);
        if (tile) rt::send(tile, "askToMoveAlbum"_sel);
        deliver(); // a locked album asks first (passOption 2: granted at once)
        bool done = tile && press(out ? "Move out of camera roll" : "Return to camera roll");
        return tap("Done") && done;
    }
    // A tile's lock button: locks, or unlocks through the gate.
    bool tileLock(std::size_t index) {
        if (!toList() || !tap("Edit")) return false;
        Ref<rt::Object> tile = tileAt(index);
        if (tile) rt::send(tile, "lockAlbum"_sel);
        deliver();
        return tap("Done") && tile;
    }
    // The app ends and starts again: what it held in memory is gone, what
    // it kept in its container is taken up.
    void restart() {
        while (presented()) {
            rt::send(presented(), "dismissViewControllerAnimated:completion:"_sel, false, rt::Block<void()>());
            settle();
        }
        photos::Library::shared().waitUntilIdle();
        lc::photosState() = lc::PhotosState{};
        lc::resumePendingDelete();
    }

    // A photo the Camera took, handed off as its picker says: into the chosen
    // album (or left in the camera roll), out of the camera roll or not.
    bool capture() {
        photos::AssetRecord photo = addPhoto(9 + captures);
        if (photo.id == 0) return false;
        ++captures;
        std::string album = anyAlbum();
        lc::chosenAlbum = album.empty() || pick(4) == 0 ? lc::kCameraRoll : album;
        lc::pickerMovePhotos = pick(2) == 0;
        log.back() += " into " + lc::chosenAlbum + (lc::pickerMovePhotos ? ", moved out" : "");
        lc::handOff(photo.uuid + photos::kit::kAssetIdSuffix);
        return true;
    }
    // The stock Hide on a photo of the camera roll: the user's own choice,
    // which the rule allows (the photo is in the Hidden album).
    bool stockHide() {
        auto roll = store->cameraRoll();
        if (roll.empty()) return false;
        const photos::AssetRecord& photo = roll[pick(roll.size())];
        auto asset =
            photos::PHAsset::fetchAssetsWithLocalIdentifiers_options(
                std::vector<std::string>{photo.uuid + photos::kit::kAssetIdSuffix}, photos::PHFetchOptions::new_())
                .firstObject();
        if (!asset) return false;
        auto helper = photos::PUAssetHidingHelper::new_();
        helper.setAssets(std::vector<photos::PHAsset>{asset});
        helper.applyHiddenState_completionHandler(true);
        hiddenByUser.insert(photo.id);
        return true;
    }

    // One action; whether it went through (an empty album has nothing to choose).
    bool step() {
        std::string from = anyAlbum(), to = anyAlbum();
        switch (pick(17)) {
        case 14:
        case 15:
            log.push_back("capture");
            return capture();
        case 16:
            log.push_back("stock hide");
            return stockHide();
        case 10:
        case 11: {
            std::size_t index = pick(store->albums().size());
            bool out = pick(2) == 0;
            log.push_back(std::string(out ? "move out album " : "return album ") + std::to_string(index));
            return tileMove(index, out);
        }
        case 12: {
            std::size_t index = pick(store->albums().size());
            log.push_back("lock or unlock album " + std::to_string(index));
            return tileLock(index);
        }
        case 13:
            log.push_back("the app ends and starts again");
            restart();
            return true;
        case 0:
        case 1:
        case 2:
        case 3:
            log.push_back("picker " + from + " -> " + to);
            return pickerAdd(from, to, pick(3) != 0);
        case 4:
            log.push_back("picker camera roll -> " + to);
            return pickerAdd("", to, true);
        case 5:
        case 6:
            log.push_back("camera roll target from " + from);
            return cameraRollTarget(from, pick(2) == 0);
        case 7:
            log.push_back("remove from " + from);
            return removeFromAlbum(from);
        case 8: {
            std::size_t index = pick(store->albums().size());
            log.push_back("delete album " + std::to_string(index));
            return deleteAlbum(index);
        }
        default: {
            // A new album of a few photos of the camera roll, as another app
            // might make; now and then with the title of one that exists.
            std::string title = pick(3) == 0 && !from.empty() ? from : "New " + std::to_string(++made);
            log.push_back("new album " + title);
            auto roll = store->cameraRoll();
            if (roll.empty() || store->albums().size() >= 5) return false; // the list stays on one screen
            addAlbum(title, {roll[pick(roll.size())]});
            return true;
        }
        }
    }
    int made = 0;
    int captures = 0;
    std::set<int64_t> hiddenByUser;
    // What breaks the rule: hidden, in no user album, and not hidden by the user.
    std::vector<int64_t> strandedByTheProduct() {
        std::vector<int64_t> out;
        for (int64_t id : stranded())
            if (!hiddenByUser.count(id)) out.push_back(id);
        return out;
    }
    std::string trail() {
        std::string t;
        for (const auto& l : log)
            t += "\n  " + l;
        return t;
    }
};

// How many seeds and steps: a short slice by default (./lumi test), as many
// as LUMI_SEQUENCE_SEEDS and LUMI_SEQUENCE_STEPS ask for on demand (./lumi soak).
int fromEnvironment(const char* name, int fallback) {
    const char* v = std::getenv(name);
    int n = v ? std::atoi(v) : 0;
    return n > 0 ? n : fallback;
}

} // namespace

TEST_F(Sequences, NoPhotoIsEverHiddenOutsideEveryAlbumNorLost) {
    prefs({{"passOption", Value(2)}}); // the gate grants at once: locked albums take part too
    lc::reloadSettings();
    int seeds = fromEnvironment("LUMI_SEQUENCE_SEEDS", 3), perSeed = fromEnvironment("LUMI_SEQUENCE_STEPS", 20);
    int first = fromEnvironment("LUMI_SEQUENCE_FIRST_SEED", 1); // a long soak runs in slices
    int done = 0, steps = 0;
    for (int seed = first; seed < first + seeds; ++seed) {
        rng.seed(static_cast<unsigned>(seed));
        log.clear();
        for (int i = 0; i < perSeed; ++i, ++steps) {
            if (step())
                ++done;
            else
                log.back() += " (could not)";
            settle();
            ASSERT_TRUE(strandedByTheProduct().empty()) << "seed " << seed << ", stranded after:" << trail();
            ASSERT_EQ(everyAsset().size(), 8u + static_cast<std::size_t>(captures)) << "seed " << seed << trail();
        }
    }
    std::printf("sequences: %d seeds from %d, %d steps, %d went through\n", seeds, first, steps, done);
    EXPECT_GT(done, steps / 3) << "a good share of the steps reach the library" << trail();
}
