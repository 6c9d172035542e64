// The lock gate end to end in one process: a tap on a locked album in the
// album list, SpringBoard's answer by passOption, the password prompt, and
// the answers the app must not act on.

#include "tweak/photos/LockGate.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/ipc/Notify.h"
#include "tests/tweak/photos/PhotosFixture.h"
#include "tweak/photos/Authenticate.h"

#include <filesystem>
#include <sys/stat.h>

using namespace photostest;

namespace {

constexpr const char* kAlbumView = "PUPhotosAlbumViewController";

struct Gate : PhotosWithTweak {
    void SetUp() override {
        PhotosWithTweak::SetUp();
        auto a = addPhoto(1), b = addPhoto(2);
        addAlbum("Trips", {a});
        addAlbum("Rome", {b});
        lock({"Trips"});
    }
    // From the album list: a tap on the album, and SpringBoard's answer.
    void tapInList(const std::string& title) {
        ASSERT_TRUE(tap(title)) << title;
        deliver();
    }
    bool albumOpen(const std::string& title) { return rt::className(top().get()) == kAlbumView && topTitle() == title; }
};

// What a receiver of the gate's answers was sent.
std::vector<std::string> g_calls;
void recordAuthorised(rt::Id, rt::Sel, int code) { g_calls.push_back("unlockAuthorised:" + std::to_string(code)); }
void recordPassword(rt::Id, rt::Sel, int code) { g_calls.push_back("requestPassword:" + std::to_string(code)); }

Ref<rt::Object> makeReceiver(const char* name, bool answers) {
    rt::Class* c = rt::getClass(name);
    if (!c) {
        c = rt::defineClass(name);
        if (answers) {
            rt::addMethod<&recordAuthorised>(c, "unlockAuthorised:"_sel, "v@:i");
            rt::addMethod<&recordPassword>(c, "requestPassword:"_sel, "v@:i");
        }
    }
    return rt::sendClass<Ref<rt::Object>>(c, "new"_sel);
}

// The tile's two replays, recorded in place of the album cell actions.
std::vector<std::string> g_tileSent;
bool g_passAtMove = true;
void tileLock(rt::Id, rt::Sel) { g_tileSent.push_back("lockAlbum"); }
void tileMove(rt::Id, rt::Sel) {
    g_tileSent.push_back("moveAlbum");
    g_passAtMove = lc::photosState().unlocked;
}

} // namespace

TEST_F(Gate, WithPassOptionTwoALockedAlbumOpensAtOnceAndEachTapAsksAgain) {
    prefs({{"passOption", Value(2)}});
    launch();
    ASSERT_TRUE(openList());
    ASSERT_TRUE(tap("Trips"));
    EXPECT_FALSE(albumOpen("Trips")) << "the tap waits for SpringBoard's answer";
    EXPECT_EQ(lc::photosState().tappedIndex.item(), 1) << "the selection is parked (after the camera roll)";
    deliver();
    EXPECT_TRUE(albumOpen("Trips"));
    EXPECT_TRUE(lc::photosState().inLockedAlbum);
    EXPECT_FALSE(lc::photosState().unlocked) << "the pass is used up by the replay";
    EXPECT_FALSE(lc::photosState().tappedIndex);
    auto result = lc::readAuthenticationResult();
    EXPECT_EQ(fnd::valueForKey(result, "id"), Value("com.apple.springboard"));
    EXPECT_EQ(fnd::valueForKey(result, "type"), Value("SpringBoard"));
    EXPECT_EQ(fnd::valueForKey(result, "albumName"), Value("Trips"));
    EXPECT_EQ(fnd::valueForKey(result, "controller"), Value("PUAlbumListViewController"));
    EXPECT_EQ(fnd::valueForKey(result, "method"), Value(0));
    EXPECT_EQ(fnd::valueForKey(result, "success"), Value(true));
    const std::string* token = fnd::valueForKey(result, lc::kTokenKey).string();
    ASSERT_TRUE(token);
    EXPECT_EQ(token->size(), 32u) << "128 bits, in hex";

    back();
    ASSERT_TRUE(tap("Rome"));
    EXPECT_TRUE(albumOpen("Rome")) << "an album that is not locked opens at once";
    EXPECT_FALSE(lc::photosState().inLockedAlbum) << "a selection clears it";
    back();
    tapInList("Trips");
    EXPECT_TRUE(albumOpen("Trips"));
    EXPECT_NE(fnd::valueForKey(lc::readAuthenticationResult(), lc::kTokenKey).string()->compare(*token), 0)
        << "a fresh token per request";
}

TEST_F(Gate, ThePasswordPromptOpensOnTheExactPasswordOnly) {
    prefs({{"passOption", Value(1)}});
    setPassword("secret");
    launch();
    ASSERT_TRUE(openList());
    tapInList("Trips");
    EXPECT_EQ(fnd::valueForKey(lc::readAuthenticationResult(), "success"), Value(false));
    ASSERT_EQ(presentedTitle(), "Unlock album");
    auto alert = presented();
    EXPECT_EQ(rt::send<std::string>(alert, "message"_sel), "Enter password to unlock album.");
    auto fields = rt::send<Objects>(alert, "textFields"_sel);
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(rt::send<std::string>(fields[0], "placeholder"_sel), "Password");
    EXPECT_TRUE(rt::send<bool>(fields[0], "isSecureTextEntry"_sel));

    ASSERT_TRUE(type("secret "));
    ASSERT_TRUE(press("OK", false));
    EXPECT_TRUE(shows("Incorrect password")) << "a trailing space counts";
    settle();
    EXPECT_FALSE(albumOpen("Trips"));

    tapInList("Trips");
    ASSERT_TRUE(press("Cancel", false));
    EXPECT_FALSE(shows("Incorrect password"));
    settle();
    EXPECT_FALSE(albumOpen("Trips"));

    tapInList("Trips");
    ASSERT_TRUE(type("secret"));
    ASSERT_TRUE(press("OK"));
    EXPECT_TRUE(albumOpen("Trips"));
    EXPECT_TRUE(lc::photosState().inLockedAlbum);
    back();
    tapInList("Trips");
    EXPECT_EQ(presentedTitle(), "Unlock album") << "the pass was used up: asked again";
}

TEST_F(Gate, WithNoPasswordSetAnyEntryOpensAndTheNoticeFollows) {
    prefs({{"passOption", Value(1)}});
    launch();
    ASSERT_TRUE(openList());
    tapInList("Trips");
    ASSERT_EQ(presentedTitle(), "Unlock album");
    ASSERT_TRUE(press("OK", false));
    EXPECT_TRUE(shows("No password set"));
    settle();
    EXPECT_TRUE(albumOpen("Trips"));
}

TEST_F(Gate, AnOwnerCheckOnADeviceWithNeitherFingerNorPasscodeOpens) {
    auth::setCredentialsForTesting({});
    prefs({{"passOption", Value(0)}});
    launch();
    ASSERT_TRUE(openList());
    tapInList("Trips");
    EXPECT_EQ(fnd::valueForKey(lc::readAuthenticationResult(), "success"), Value(false));
    EXPECT_TRUE(albumOpen("Trips"));
}

// The answer travels as a notification any app may post: only a result that
// brings back an outstanding token of this app counts, and only once.
TEST_F(Gate, SpoofedReplayedAndForeignAnswersDoNothing) {
    prefs({{"passOption", Value(2)}});
    launch();
    ASSERT_TRUE(openList());
    auto post = [&] {
        asSpringBoard([] { notify_post(lc::kAuthenticateNotification); });
        settle();
    };
    // Another app writes a success of its own (no token, then a guessed one) and posts.
    writeAsSystem(lc::kAuthenticatePath, Value(fnd::Dictionary{{"method", Value(0)},
                                                               {"controller", Value("PUAlbumListViewController")},
                                                               {"success", Value(true)}}));
    lc::photosState().tappedIndex = fnd::NSIndexPath::indexPathForItem_inSection(1, 0);
    post();
    EXPECT_FALSE(albumOpen("Trips"));
    writeAsSystem(lc::kAuthenticatePath, Value(fnd::Dictionary{{"method", Value(0)},
                                                               {"controller", Value("PUAlbumListViewController")},
                                                               {"success", Value(true)},
                                                               {"token", Value(std::string(32, '0'))}}));
    post();
    EXPECT_FALSE(albumOpen("Trips"));

    // A real answer opens once; the same notification again reopens nothing.
    tapInList("Trips");
    ASSERT_TRUE(albumOpen("Trips"));
    back();
    lc::photosState().tappedIndex = fnd::NSIndexPath::indexPathForItem_inSection(1, 0);
    post();
    EXPECT_FALSE(albumOpen("Trips")) << "a replayed result";
    EXPECT_FALSE(lc::photosState().unlocked);
}

TEST_F(Gate, TheAnswerGoesToTheReceiverTheControllerNamesAndOnlyIfItAnswers) {
    launch();
    lc::PhotosState& s = lc::photosState();
    s.cellContentView = makeReceiver("GateTestTile", true);
    s.gadgetController = makeReceiver("GateTestGadget", true);
    s.zoomGridController = makeReceiver("GateTestGrid", false);
    auto answer = [&](const char* controller, int method, bool success) {
        fnd::Dictionary r{
            {"method", Value(method)}, {"success", Value(success)}, {"token", Value(lc::newRequestToken())}};
        if (controller) r["controller"] = Value(controller);
        writeAsSystem(lc::kAuthenticatePath, Value(r));
        asSpringBoard([] { notify_post(lc::kAuthenticateNotification); });
        settle();
    };
    lc::passOption = 1;
    answer("PUAlbumListCellContentView", -7, true);
    answer("PUAlbumListCellContentView", 2147483647, false);
    answer("SomethingElse", 1, true);
    answer(nullptr, 5, false);
    answer("PUZoomableGridViewController", 0, true); // the grid answers neither: nothing is sent
    EXPECT_EQ(g_calls, (std::vector<std::string>{"unlockAuthorised:-7", "requestPassword:2147483647",
                                                 "unlockAuthorised:1", "requestPassword:5"}));
    g_calls.clear();
    lc::passOption = 0;
    answer("PUAlbumListCellContentView", 3, false);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"unlockAuthorised:3"})) << "with passOption 0 a failure opens";
}

TEST_F(Gate, SpringBoardServesAuthenticateToThePhotosAppOnly) {
    prefs({{"passOption", Value(2)}});
    launch();
    auto gallery = device.connect({104, std::string("com.example.gallery"), true, false}, &loop);
    ipc::Endpoint::setShared(gallery.endpoint.get());
    fnd::setProcessIdentity({"com.example.gallery", true, "/var/mobile/Containers/Data/Application/gallery"});
    lc::clientCentre().sendMessageName(lc::kAuthenticateMessage, {{"id", Value("com.apple.mobileslideshow")},
                                                                  {"method", Value(0)},
                                                                  {"albumName", Value("Trips")},
                                                                  {"controller", Value("PUAlbumListViewController")}});
    ipc::Endpoint::setShared(photosProcess.endpoint.get());
    fnd::setProcessIdentity(kPhotosIdentity);
    deliver();
    EXPECT_FALSE(fnd::fileExists(lc::kAuthenticatePath)) << "no answer for the gallery's request";
}

TEST_F(Gate, TheTileGateReplaysLockAndMoveAndClearsThePassBeforeAMove) {
    launch();
    rt::Class* tile = rt::getClass("PUAlbumListCellContentView");
    // The tile's own methods are lumicrate12's; here they only record that they ran.
    static rt::Orig<void()> lockSlot, moveSlot;
    ASSERT_TRUE(rt::hookMessage<&tileLock>(tile, "lockAlbum"_sel, &lockSlot));
    ASSERT_TRUE(rt::hookMessage<&tileMove>(tile, "moveAlbum"_sel, &moveSlot));
    auto t = rt::sendClass<Ref<rt::Object>>(tile, "new"_sel);
    rt::send(t, "unlockAuthorised:"_sel, 0);
    EXPECT_TRUE(lc::photosState().unlocked) << "lockAlbum uses the pass up";
    lc::photosState().unlocked = true;
    rt::send(t, "unlockAuthorised:"_sel, 1);
    EXPECT_FALSE(g_passAtMove);
    rt::send(t, "unlockAuthorised:"_sel, 9);
    EXPECT_EQ(g_tileSent, (std::vector<std::string>{"lockAlbum", "moveAlbum"}));
    EXPECT_TRUE(lc::passwordAccepted("a b\n", std::string("a b\n")));
    EXPECT_FALSE(lc::passwordAccepted("A b\n", std::string("a b\n")));
    EXPECT_TRUE(lc::passwordAccepted("", std::nullopt));
}

TEST_F(Gate, AWrongEntryInATilesPromptEndsWithAFullStop) {
    setPassword("x");
    launch();
    ASSERT_TRUE(openList());
    auto list = top();
    auto tile =
        rt::send<Ref<rt::Object>>(list, "visibleAlbumListCellContentViewAtIndexPath:"_sel, fnd::makeIndexPath(0, 0));
    ASSERT_TRUE(tile);
    rt::send(tile, "requestPassword:"_sel, 1);
    settle();
    ASSERT_EQ(presentedTitle(), "Unlock album") << "presented by the list that holds the tile";
    ASSERT_TRUE(type("y"));
    ASSERT_TRUE(press("OK", false));
    EXPECT_TRUE(shows("Incorrect password."));
}

// A request of the right sender with the wrong shapes: answered, nothing breaks.
TEST_F(Gate, ARequestOfStrangeShapesIsAnsweredAndActedOnSafely) {
    prefs({{"passOption", Value(2)}});
    launch();
    std::string token = lc::newRequestToken();
    lc::clientCentre().sendMessageName(lc::kAuthenticateMessage,
                                       {{"albumName", Value(fnd::Array{Value(1), Value("x")})},
                                        {"method", Value("not a number")},
                                        {"controller", Value(fnd::Dictionary{{"k", Value(true)}})},
                                        {"token", Value(token)},
                                        {"extra", Value(fnd::Data(4096, 0xff))}});
    deliver();
    auto result = lc::readAuthenticationResult();
    EXPECT_EQ(fnd::valueForKey(result, "success"), Value(true));
    EXPECT_EQ(fnd::valueForKey(result, "extra"), Value(fnd::Data(4096, 0xff))) << "every key comes back";
    EXPECT_FALSE(lc::takeRequestToken(token)) << "the answer used the token up";
    EXPECT_FALSE(lc::photosState().unlocked) << "the gadget slot is empty: nothing replayed, no pass";
}

// An answer file that is a FIFO or a link, announced by anyone: read as none
// at once, and nothing is acted on.
TEST_F(Gate, AFifoOrALinkAsTheAnswerFileHangsNothing) {
    prefs({{"passOption", Value(0)}});
    launch();
    lc::photosState().cellContentView = makeReceiver("GateTestTile", true);
    std::string token = lc::newRequestToken();
    std::filesystem::path answer = fnd::hostPath(lc::kAuthenticatePath);
    ASSERT_EQ(::mkfifo(answer.c_str(), 0666), 0);
    asSpringBoard([] { notify_post(lc::kAuthenticateNotification); });
    settle();
    std::filesystem::remove(answer);
    std::filesystem::path real = fnd::hostPath("/var/mobile/real.plist");
    writeAsSystem("/var/mobile/real.plist", Value(fnd::Dictionary{{"controller", Value("PUAlbumListCellContentView")},
                                                                  {"success", Value(true)},
                                                                  {"token", Value(token)}}));
    std::filesystem::create_symlink(real, answer);
    asSpringBoard([] { notify_post(lc::kAuthenticateNotification); });
    settle();
    EXPECT_TRUE(g_calls.empty());
    EXPECT_TRUE(lc::takeRequestToken(token)) << "still outstanding: no answer was read";
}

// The owner answers after the list has changed under the parked index: the
// album at that index is now another locked one, which must not open.
TEST_F(Gate, AGrantForAnIndexThatNowHoldsAnotherAlbumOpensNothing) {
    prefs({{"passOption", Value(1)}});
    setPassword("pw");
    auto c = addPhoto(3);
    addAlbum("Oslo", {c});
    lock({"Rome", "Oslo"}); // the list: Camera Roll, Trips, Rome, Oslo
    launch();
    ASSERT_TRUE(openList());
    tapInList("Rome");
    ASSERT_EQ(presentedTitle(), "Unlock album");
    // Meanwhile Trips goes (another app deletes it): Oslo moves up to Rome's place.
    auto trips = photos::PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
                     photos::PHAssetCollectionTypeAlbum, photos::PHAssetCollectionSubtypeAlbumRegular, nullptr)
                     .firstObject();
    ASSERT_EQ(trips.title(), "Trips");
    photos::PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler(
        [trips] { photos::PHAssetCollectionChangeRequest::deleteAssetCollections({trips}); });
    settle();
    ASSERT_TRUE(type("pw"));
    ASSERT_TRUE(press("OK"));
    EXPECT_FALSE(albumOpen("Oslo")) << "another locked album, never unlocked";
    EXPECT_FALSE(albumOpen("Rome"));
    EXPECT_FALSE(lc::photosState().unlocked) << "no pass left for a later tap";
    EXPECT_FALSE(lc::photosState().tappedIndex);

    // Asked again, on the list as it is now, Rome opens.
    tapInList("Rome");
    ASSERT_TRUE(type("pw"));
    ASSERT_TRUE(press("OK"));
    EXPECT_TRUE(albumOpen("Rome"));
}
