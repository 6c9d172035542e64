// The album picker in the Camera app's bottom bar: its two views and their
// geometry, the chooser, the choice written to album.tct through
// SpringBoard, and the new-album alert.

#include "tests/tweak/camera/CameraFixture.h"

using namespace camtest;
using gfx::CGPoint;
using gfx::CGRect;

namespace {

struct Picker : CameraWithTweak {
    // Lays the bar out again, as the camera does when it turns or resizes.
    void relayout(int passes) {
        for (int i = 0; i < passes; ++i) {
            rt::send(bar, "setNeedsLayout"_sel);
            rt::send(bar, "layoutIfNeeded"_sel);
        }
    }
    int countTagged(const Ref<rt::Object>& view, long tag) {
        int n = rt::send<long>(view, "tag"_sel) == tag ? 1 : 0;
        for (const auto& v : rt::send<Objects>(view, "subviews"_sel))
            n += countTagged(v, tag);
        return n;
    }
    std::vector<std::pair<std::string, long>> chooserActions() {
        std::vector<std::pair<std::string, long>> out;
        for (const auto& a : rt::send<Objects>(presented(), "actions"_sel))
            out.emplace_back(rt::send<std::string>(a, "title"_sel), rt::send<long>(a, "style"_sel));
        return out;
    }
    static CGPoint centreOf(CGRect r) { return {r.origin.x + r.size.width / 2, r.origin.y + r.size.height / 2}; }
};

} // namespace

TEST_F(Picker, WithThePickerOffTheBarStaysStock) {
    prefs({{"enableCameraPicker", Value(false)}});
    launch();
    relayout(3);
    EXPECT_EQ(countTagged(bar, lc::kAlbumTag) + countTagged(bar, lc::kLabelTag), 0);
    EXPECT_TRUE(rt::send<Objects>(background(), "subviews"_sel).empty());
    EXPECT_FALSE(rt::send<bool>(background(), "isUserInteractionEnabled"_sel))
        << "the stock background takes no touches";
}

TEST_F(Picker, WithTheTweakDisabledNothingIsInstalled) {
    prefs({{"enabled", Value(false)}});
    launch();
    EXPECT_TRUE(rt::send<Objects>(background(), "subviews"_sel).empty());
    EXPECT_FALSE(rt::respondsTo(bar.get(), "chooseAlbum"_sel));
}

TEST_F(Picker, ManyLayoutPassesMakeTheButtonAndCaptionOnceWithTheirGeometry) {
    launch();
    relayout(5);
    EXPECT_EQ(countTagged(bar, lc::kAlbumTag), 1);
    EXPECT_EQ(countTagged(bar, lc::kLabelTag), 1);
    auto button = tagged(lc::kAlbumTag), caption = tagged(lc::kLabelTag);
    ASSERT_TRUE(button && caption);
    // A 375 × 125 background: x = 2 × 375/7, y = 125/2 + 5.
    CGRect b = frameOf(button);
    EXPECT_EQ(b.size, (gfx::CGSize{28, 28}));
    EXPECT_DOUBLE_EQ(centreOf(b).x, 375.0 / 7 + 375.0 / 7);
    EXPECT_DOUBLE_EQ(centreOf(b).y, 67.5);
    EXPECT_TRUE(rt::send<bool>(button, "isUserInteractionEnabled"_sel));
    EXPECT_TRUE(rt::send<bool>(background(), "isUserInteractionEnabled"_sel));
    auto taps = rt::send<Objects>(button, "gestureRecognizers"_sel);
    ASSERT_EQ(taps.size(), 1u);
    EXPECT_EQ(rt::send<long>(taps[0], "numberOfTapsRequired"_sel), 1);
    EXPECT_EQ(rt::send<Ref<rt::Object>>(taps[0], "delegate"_sel).get(), bar.get());
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(button, "image"_sel)) << "no album.png on this device: an empty button";

    CGRect c = frameOf(caption);
    EXPECT_EQ(c, lc::captionFrame("Camera Roll", lc::kCaptionBox, centreOf(b)));
    EXPECT_DOUBLE_EQ(centreOf(c).x, centreOf(b).x);
    EXPECT_DOUBLE_EQ(centreOf(c).y, centreOf(b).y + 28);
    EXPECT_GT(c.size.width, 40);
    EXPECT_LT(c.size.height, 20);
    auto* label = uikit::labelOf(caption.get());
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text, "Camera Roll");
    EXPECT_EQ(uikit::fontOf(label->font.get()), (uikit::FontSpec{12, false}));
    EXPECT_EQ(label->numberOfLines, 1);
    EXPECT_TRUE(label->adjustsFontSizeToFitWidth);
    EXPECT_EQ(label->minimumScaleFactor, 0.8333333134651184);
    EXPECT_EQ(label->alignment, 1);
    EXPECT_TRUE(rt::send<bool>(caption, "clipsToBounds"_sel));
    EXPECT_EQ(rt::send<long>(caption, "tag"_sel), lc::kLabelTag);
}

TEST_F(Picker, TheButtonShowsTheInstalledImage) {
    auto image = gfx::Image::blank(56, 56);
    ASSERT_TRUE(image);
    fnd::setProcessIdentity({"com.apple.springboard", false, ""});
    fnd::createDirectory("/Library/Application Support/lumicrate12", true);
    ASSERT_TRUE(image->writePng(lc::kAlbumImagePath));
    fnd::setProcessIdentity(kCameraIdentity);
    launch();
    EXPECT_TRUE(rt::send<Ref<rt::Object>>(tagged(lc::kAlbumTag), "image"_sel));
    EXPECT_EQ(frameOf(tagged(lc::kAlbumTag)).size, (gfx::CGSize{28, 28})) << "the 56-pixel image at 28 points";
}

TEST_F(Picker, BesideACustomDrawButtonTheButtonMovesRightAndTheCaptionIsFirstMeasuredIn100By40) {
    const std::string longTitle = "Holidays in the mountains, summer";
    writeAsSystem(lc::kAlbumTctPath, Value(fnd::Array{Value(longTitle)}));
    prefs({{"rememberDefault", Value(true)}});
    launch("iphonexs"); // its shutter is a CustomDrawButton; a 375 × 157 bar
    ASSERT_TRUE(lc::holdsCustomDrawButton(bar));
    CGRect b = frameOf(tagged(lc::kAlbumTag));
    EXPECT_DOUBLE_EQ(centreOf(b).x, 375.0 / 7 * 2 + 28);
    EXPECT_DOUBLE_EQ(centreOf(b).y, 157.0 / 2 + 5);
    CGRect atCreation = frameOf(tagged(lc::kLabelTag));
    EXPECT_LE(atCreation.size.width, 100);
    EXPECT_EQ(atCreation, lc::captionFrame(longTitle, lc::kCustomDrawCaptionBox, centreOf(b), lc::captionRoom(bar)));

    addAlbum(longTitle);
    choose(longTitle);
    CGRect afterChoice = frameOf(tagged(lc::kLabelTag));
    EXPECT_GT(afterChoice.size.width, 100) << "a choice measures against 380 × 20";
    EXPECT_EQ(afterChoice, lc::captionFrame(longTitle, lc::kCaptionBox, centreOf(b), lc::captionRoom(bar)));
}

TEST_F(Picker, TheChooserListsCameraRollTheRegularAlbumsInLibraryOrderThenCancelAndCreate) {
    launch();
    addAlbum("Trips");
    addAlbum("Rome");
    tap(tagged(lc::kAlbumTag));
    auto sheet = presented();
    ASSERT_TRUE(uikit::isAlert(sheet.get()));
    EXPECT_EQ(rt::send<std::string>(sheet, "title"_sel), "Choose Album");
    EXPECT_EQ(rt::send<std::string>(sheet, "message"_sel), "Choose the album to save the photo to.");
    EXPECT_EQ(rt::send<long>(sheet, "preferredStyle"_sel), uikit::UIAlertControllerStyleActionSheet);
    EXPECT_EQ(chooserActions(),
              (std::vector<std::pair<std::string, long>>{
                  {"Camera Roll", 0}, {"Trips", 0}, {"Rome", 0}, {"Cancel", 1}, {"- Create new album -", 0}}));
    ASSERT_TRUE(uikit::pressAlertButton(sheet.get(), "Cancel"));
    closeAlert();
    deliver();
    EXPECT_EQ(lc::chosenAlbum, "Camera Roll");
    EXPECT_FALSE(albumTct()) << "cancelling writes nothing";
    EXPECT_FALSE(presented());
}

// The chooser reads the albums through the privacy filter: a locked album
// is left out unless showLockedinCamera is on.
TEST_F(Picker, TheChooserLeavesLockedAlbumsOutUnlessShowLockedInCameraIsOn) {
    writeAsSystem(lc::kdataPath, Value(fnd::Array{Value("Trips")}));
    launch();
    addAlbum("Trips");
    addAlbum("Rome");
    auto chooserTitles = [&] {
        tap(tagged(lc::kAlbumTag));
        std::vector<std::string> titles;
        for (const auto& [title, style] : chooserActions())
            titles.push_back(title);
        EXPECT_TRUE(uikit::pressAlertButton(presented().get(), "Cancel"));
        closeAlert();
        return titles;
    };
    EXPECT_EQ(chooserTitles(), (std::vector<std::string>{"Camera Roll", "Rome", "Cancel", "- Create new album -"}));
    prefs({{"showLockedinCamera", Value(true)}});
    lc::reloadSettings();
    EXPECT_EQ(chooserTitles(),
              (std::vector<std::string>{"Camera Roll", "Trips", "Rome", "Cancel", "- Create new album -"}));
}

TEST_F(Picker, ChoosingAnAlbumSetsTheCaptionAndWritesAlbumTctThroughSpringBoard) {
    launch();
    addAlbum("Trips");
    choose("Trips");
    EXPECT_EQ(lc::chosenAlbum, "Trips");
    EXPECT_EQ(captionText(), "Trips");
    CGRect b = frameOf(tagged(lc::kAlbumTag));
    EXPECT_EQ(frameOf(tagged(lc::kLabelTag)), lc::captionFrame("Trips", lc::kCaptionBox, centreOf(b)));
    EXPECT_FALSE(albumTct()) << "SpringBoard writes it, when its loop gets the message";
    deliver();
    EXPECT_EQ(albumTct(), fnd::Array{Value("Trips")});
    EXPECT_FALSE(fnd::writeFileAtomically(lc::kAlbumTctPath, "x"))
        << "the camera's sandbox keeps it from writing there";

    relayout(2);
    EXPECT_EQ(captionText(), "Trips") << "later passes show the choice";
    // Camera Roll is a choice like any other: stored, so that a start with
    // rememberDefault on begins with no album.
    choose("Camera Roll");
    deliver();
    EXPECT_EQ(lc::chosenAlbum, "Camera Roll");
    EXPECT_EQ(captionText(), "Camera Roll");
    EXPECT_EQ(albumTct(), fnd::Array{Value("Camera Roll")});
}

TEST_F(Picker, AStartWithRememberDefaultShowsTheStoredChoiceAndTurningThePickerOffFreezesTheCaption) {
    writeAsSystem(lc::kAlbumTctPath, Value(fnd::Array{Value("Trips")}));
    prefs({{"rememberDefault", Value(true)}});
    launch();
    EXPECT_EQ(captionText(), "Trips");
    prefs({{"rememberDefault", Value(true)}, {"enableCameraPicker", Value(false)}});
    lc::reloadSettings();
    lc::chosenAlbum = "Rome";
    relayout(1);
    EXPECT_EQ(captionText(), "Trips") << "with the picker off the caption is no longer refreshed";
    EXPECT_EQ(countTagged(bar, lc::kAlbumTag), 1) << "the views stay";
}

TEST_F(Picker, ANewAlbumIsCreatedChosenAndStoredAndAnExistingTitleMakesASecondAlbum) {
    launch();
    addAlbum("Trips");
    choose("- Create new album -");
    auto alert = presented();
    ASSERT_TRUE(uikit::isAlert(alert.get()));
    EXPECT_EQ(rt::send<std::string>(alert, "title"_sel), "Enter new album title");
    EXPECT_EQ(rt::send<std::string>(alert, "message"_sel), "");
    EXPECT_EQ(rt::send<long>(alert, "preferredStyle"_sel), uikit::UIAlertControllerStyleAlert);
    ASSERT_EQ(rt::send<Objects>(alert, "actions"_sel).size(), 1u) << "OK only: no cancel";
    CGRect before = frameOf(tagged(lc::kLabelTag));
    ASSERT_TRUE(uikit::typeIntoAlertField(alert.get(), 0, "Trips"));
    ASSERT_TRUE(uikit::pressAlertButton(alert.get(), "OK"));
    closeAlert();
    deliver();
    int titledTrips = 0;
    for (const auto& a : albums())
        titledTrips += rt::send<std::string>(a, "localizedTitle"_sel) == "Trips";
    EXPECT_EQ(titledTrips, 2) << "a second album with the same title";
    EXPECT_EQ(lc::chosenAlbum, "Trips");
    EXPECT_EQ(captionText(), "Trips");
    EXPECT_EQ(frameOf(tagged(lc::kLabelTag)), before) << "the caption is not measured again here";
    EXPECT_EQ(albumTct(), fnd::Array{Value("Trips")});
}

TEST_F(Picker, AnEmptyNewTitleCreatesNothingAndKeepsTheChoice) {
    launch();
    choose("- Create new album -");
    ASSERT_TRUE(uikit::pressAlertButton(presented().get(), "OK"));
    closeAlert();
    deliver();
    EXPECT_TRUE(albums().empty());
    EXPECT_EQ(lc::chosenAlbum, "Camera Roll");
    EXPECT_FALSE(albumTct());
}

TEST_F(Picker, ALongTitleIsTruncatedAtTheTailAndTheCaptionShrinksToFiveSixthsFirst) {
    const std::string huge(120, 'W');
    CGRect measured = lc::captionFrame(huge, lc::kCaptionBox, {100, 60});
    EXPECT_DOUBLE_EQ(measured.size.width, 380) << "truncated at the box's width";
    EXPECT_DOUBLE_EQ(measured.origin.x + measured.size.width / 2, 100);
    EXPECT_DOUBLE_EQ(measured.origin.y + measured.size.height / 2, 88);
    EXPECT_EQ(lc::captionFrame(huge, lc::kCustomDrawCaptionBox, {0, 0}).size.width, 100);

    launch();
    auto* label = uikit::labelOf(tagged(lc::kLabelTag).get());
    ASSERT_TRUE(label);
    // A text a little too wide for the caption shrinks; a much wider one stops
    // at 10 points (5/6 of 12) and is truncated.
    const std::string title = "Summer at the lake";
    double full = lc::captionFrame(title, lc::kCaptionBox, {0, 0}).size.width;
    label->text = title;
    label->frame.size.width = full * 0.9;
    EXPECT_LT(label->effectivePointSize(), 12);
    EXPECT_GE(label->effectivePointSize(), 10);
    label->frame.size.width = full * 0.5;
    EXPECT_NEAR(label->effectivePointSize(), 10, 1e-6);
}

TEST_F(Picker, OnAnIpadTheChooserIsAnchoredOnTheButton) {
    launch("ipad");
    tap(tagged(lc::kAlbumTag));
    auto sheet = presented();
    ASSERT_TRUE(uikit::isAlert(sheet.get())) << "presented, not refused for want of an anchor";
    auto popover = rt::send<Ref<rt::Object>>(sheet, "popoverPresentationController"_sel);
    EXPECT_EQ(rt::send<Ref<rt::Object>>(popover, "sourceView"_sel).get(), tagged(lc::kAlbumTag).get());
}

// The caption stays on the screen and off the shutter on every model, with
// the longest title a person might give and with "Camera Roll".
struct CaptionOnEveryModel : Picker, testing::WithParamInterface<const char*> {
    // The caption's frame must lie inside the screen and left of the shutter,
    // each with the margin; its text is the whole title (the label truncates
    // it when drawing, at 10 points or more).
    void expectReadable(const std::string& title) {
        CGRect caption = frameOf(tagged(lc::kLabelTag));
        CGRect shutter = frameOf(part("shutterButton")); // the bar's and its background's origin are one
        EXPECT_GE(caption.origin.x, lc::kCaptionMargin - 1e-9) << GetParam() << ": cut off by the screen's edge";
        EXPECT_LE(caption.origin.x + caption.size.width, shutter.origin.x - lc::kCaptionMargin + 1e-9)
            << GetParam() << ": under the shutter";
        EXPECT_GT(caption.size.width, 30) << GetParam() << ": too narrow to read";
        EXPECT_EQ(captionText(), title);
        auto* label = uikit::labelOf(tagged(lc::kLabelTag).get());
        ASSERT_TRUE(label);
        EXPECT_GE(label->effectivePointSize(), 10 - 1e-3) << "5/6 of 12, as a single-precision float holds it";
    }
};

TEST_P(CaptionOnEveryModel, ALongTitleAndCameraRollStayOnTheScreenAndOffTheShutter) {
    const std::string longTitle = "Summer holidays at the lake, July 2026 x"; // 40 characters
    ASSERT_EQ(longTitle.size(), 40u);
    launch(GetParam());
    expectReadable("Camera Roll");
    addAlbum(longTitle);
    choose(longTitle);
    expectReadable(longTitle);
    // A short title keeps the plain geometry: centred under the button.
    addAlbum("Trips");
    choose("Trips");
    CGRect caption = frameOf(tagged(lc::kLabelTag)), button = frameOf(tagged(lc::kAlbumTag));
    EXPECT_DOUBLE_EQ(centreOf(caption).x, centreOf(button).x);
    EXPECT_EQ(caption, lc::captionFrame("Trips", lc::kCaptionBox, centreOf(button)));
}

INSTANTIATE_TEST_SUITE_P(Models, CaptionOnEveryModel, testing::Values("iphone8", "iphone8plus", "iphonexs", "ipad"));
