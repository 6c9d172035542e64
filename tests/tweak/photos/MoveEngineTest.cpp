// Moving an album's photos out of the camera roll and back, in the Photos
// app with lumicrate12: which photos each direction changes, the messages
// and the spinner as a person sees them, and the number test of the tiles.

#include "tweak/library/MoveEngine.h"

#include "tests/tweak/photos/PhotosFixture.h"

#include <future>

using namespace photostest;

namespace {

struct MoveEngine : PhotosWithTweak {
    photos::AssetRecord a, b, c, d, e;
    std::promise<void> release;
    void SetUp() override {
        PhotosWithTweak::SetUp();
        a = addPhoto(1), b = addPhoto(2), c = addPhoto(3), d = addPhoto(4), e = addPhoto(5);
        addAlbum("Trips", {a, b, c, d, e});
        store->setHidden({d.id, e.id}, true); // 3 visible, 2 hidden
        addAlbum("Shown", {a});
        addAlbum("Away", {d});
        launch();
    }
    // The library's queue waits until release(): what runs on the main
    // queue before the change is applied can be looked at.
    void holdTheLibrary() {
        photos::Library::shared().queue().async([f = release.get_future().share()] { f.wait(); });
    }
    void letTheLibraryGo() {
        release.set_value();
        photos::Library::shared().waitUntilIdle();
    }
    static photos::PHAssetCollection album(const std::string& title) {
        auto options = photos::PHFetchOptions::new_();
        options.setPredicate(fnd::NSPredicate::predicateWithFormat_argumentArray("title = %@", {title}));
        return photos::PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
                   photos::PHAssetCollectionTypeAlbum, photos::PHAssetCollectionSubtypeAny, options)
            .firstObject();
    }
    std::size_t spinnersShown() {
        auto root = rt::send<Ref<rt::Object>>(uikit::keyWindow(), "rootViewController"_sel);
        std::size_t n = 0;
        for (const auto& v : rt::send<Objects>(rt::send<Ref<rt::Object>>(root, "view"_sel), "subviews"_sel))
            if (rt::className(v.get()) == "UIActivityIndicatorView") ++n;
        return n;
    }
    // Whether an overlay on screen (any of them: they stack) says `text`.
    bool showing(const std::string& text) {
        auto root = rt::send<Ref<rt::Object>>(uikit::keyWindow(), "rootViewController"_sel);
        for (const auto& v : rt::send<Objects>(rt::send<Ref<rt::Object>>(root, "view"_sel), "subviews"_sel)) {
            if (rt::send<long>(v, "tag"_sel) != lc::kOverlayTag) continue;
            for (const auto& label : rt::send<Objects>(v, "subviews"_sel))
                if (rt::send<std::string>(label, "text"_sel) == text) return true;
        }
        return false;
    }
    bool anyOverlay() {
        auto root = rt::send<Ref<rt::Object>>(uikit::keyWindow(), "rootViewController"_sel);
        auto view = rt::send<Ref<rt::Object>>(root, "view"_sel);
        return static_cast<bool>(rt::send<Ref<rt::Object>>(view, "viewWithTag:"_sel, lc::kOverlayTag));
    }
    std::vector<bool> hiddenFlags() { return {hidden(a.id), hidden(b.id), hidden(c.id), hidden(d.id), hidden(e.id)}; }
};

} // namespace

TEST_F(MoveEngine, MovingOutHidesExactlyTheVisiblePhotosWithTheSpinnerUntilTheChangeIsDone) {
    holdTheLibrary();
    lc::syncAlbum(album("Trips"), true);
    loop.runUntilIdle();
    EXPECT_TRUE(showing("Moving photos"));
    EXPECT_EQ(spinnersShown(), 1u);
    EXPECT_EQ(hiddenFlags(), (std::vector<bool>{false, false, false, true, true})) << "nothing applied yet";
    letTheLibraryGo();
    loop.runFor(dsp::seconds(0.1));
    EXPECT_TRUE(showing("Finished moving"));
    EXPECT_EQ(spinnersShown(), 0u);
    EXPECT_EQ(hiddenFlags(), (std::vector<bool>{true, true, true, true, true}));
    EXPECT_EQ(membersOf("Trips"), 5u) << "the photos stay in their album";
    settle();
    EXPECT_FALSE(anyOverlay()) << "the done message fades by itself, the staying one went with the spinner";
    EXPECT_TRUE(stranded().empty());
}

TEST_F(MoveEngine, ReturningShowsExactlyTheHiddenPhotosAgain) {
    holdTheLibrary();
    lc::syncAlbum("Trips", false);
    loop.runUntilIdle();
    EXPECT_TRUE(showing("Returning photos"));
    letTheLibraryGo();
    loop.runFor(dsp::seconds(0.1));
    EXPECT_TRUE(showing("Finished returning"));
    EXPECT_EQ(hiddenFlags(), (std::vector<bool>(5, false)));
    settle();
    EXPECT_FALSE(anyOverlay());
    EXPECT_EQ(spinnersShown(), 0u);
}

TEST_F(MoveEngine, NothingToMoveInEitherDirectionOrNoSuchAlbumSaysSoAndChangesNothing) {
    auto before = hiddenFlags();
    lc::syncAlbum("Shown", false); // every photo visible: nothing to return
    EXPECT_TRUE(showing("No photos to move")) << "at once, on the calling thread";
    settle();
    lc::syncAlbum("Away", true); // every photo hidden: nothing to move out
    EXPECT_TRUE(showing("No photos to move"));
    settle();
    lc::syncAlbum("Nowhere", true);
    EXPECT_TRUE(showing("No photos to move"));
    settle();
    EXPECT_EQ(hiddenFlags(), before);
    EXPECT_FALSE(anyOverlay());
    EXPECT_EQ(spinnersShown(), 0u);
}

// A second batch on one album before the first has completed: each shows
// and removes its own message and spinner; nothing stays behind.
TEST_F(MoveEngine, TwoBatchesStartedBeforeTheFirstCompletesLeaveNoSpinnerNorStayingMessage) {
    holdTheLibrary();
    lc::syncAlbum(album("Trips"), true);
    lc::syncAlbum(album("Trips"), true);
    loop.runUntilIdle();
    EXPECT_EQ(spinnersShown(), 2u);
    letTheLibraryGo();
    settle();
    EXPECT_EQ(spinnersShown(), 0u);
    EXPECT_FALSE(anyOverlay());
    EXPECT_EQ(hiddenFlags(), (std::vector<bool>(5, true)));
}

TEST(IsStringInt, ReadsOneWholeDecimalNumberAsThePlatformsScannerDoes) {
    struct Case {
        const char* text;
        bool number;
    };
    for (Case c : {Case{"12", true},
                   {"0", true},
                   {"1.5", true},
                   {"-3", true},
                   {"2e3", true},
                   {" 7 ", true},
                   {"", false},
                   {"12 photos", false},
                   {"abc", false},
                   {"1,234", false},
                   {" ", false}})
        EXPECT_EQ(lc::isStringInt(c.text), c.number) << '"' << c.text << '"';
}
