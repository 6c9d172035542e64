// The shared state files: the locked list (garbage and absence included),
// the camera's album, the password, the authentication result and the
// Photos app's pending delete.

#include "tweak/core/StateFiles.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using fnd::Value;

namespace {
struct StateFiles : ::testing::Test {
    testsupport::TempDeviceRoot root;
    void SetUp() override { fnd::createDirectory(lc::kStateFolder, true); }
};
} // namespace

TEST_F(StateFiles, TheLockedListReadsAsEmptyWhenAbsentOrUnreadableAndSkipsWhatIsNoTitle) {
    lc::loadLockedAlbums();
    EXPECT_TRUE(lc::lockedAlbums()->empty());
    fnd::writeTextFileAtomically(lc::kdataPath, "<plist><array><string>Tri");
    lc::loadLockedAlbums();
    EXPECT_TRUE(lc::lockedAlbums()->empty());
    fnd::writePlistFile(lc::kdataPath, Value(fnd::Dictionary{{"Trips", Value(true)}}));
    lc::loadLockedAlbums();
    EXPECT_TRUE(lc::lockedAlbums()->empty()) << "a dictionary is no list";
    fnd::writePlistFile(lc::kdataPath, Value(fnd::Array{Value("Trips / 2026"), Value(3), Value(" Rome ")}));
    lc::loadLockedAlbums();
    EXPECT_EQ(*lc::lockedAlbums(), (lc::TitleList{"Trips / 2026", " Rome "})) << "titles kept exactly";
    EXPECT_TRUE(lc::isLocked(" Rome "));
    EXPECT_FALSE(lc::isLocked("Rome"));
}

TEST_F(StateFiles, LockingAppendsOnceAndUnlockingRemovesEveryCopy) {
    fnd::writePlistFile(lc::kdataPath, Value(fnd::Array{Value("Trips"), Value("Rome"), Value("Trips")}));
    lc::loadLockedAlbums();
    auto held = lc::lockedAlbums();
    EXPECT_EQ(lc::lockAlbumTitle("Beach"), (lc::TitleList{"Trips", "Rome", "Trips", "Beach"}));
    EXPECT_EQ(lc::lockAlbumTitle("Rome"), (lc::TitleList{"Trips", "Rome", "Trips", "Beach"}));
    EXPECT_EQ(lc::unlockAlbumTitle("Trips"), (lc::TitleList{"Rome", "Beach"}));
    EXPECT_EQ(held->size(), 3u) << "a reader's snapshot does not change";
    EXPECT_EQ(lc::asArray(*lc::lockedAlbums()), (fnd::Array{Value("Rome"), Value("Beach")}));
}

TEST_F(StateFiles, TheCameraAlbumPasswordAndAuthenticationResultReadBack) {
    EXPECT_FALSE(lc::readAlbumTct());
    fnd::writePlistFile(lc::kCameraAlbumTctPath, Value(fnd::Array{}));
    EXPECT_FALSE(lc::readAlbumTct()) << "an empty array is like no file";
    fnd::writePlistFile(lc::kCameraAlbumTctPath, Value(fnd::Array{Value("Trips")}));
    EXPECT_EQ(lc::readAlbumTct(), "Trips") << "both forms of the path name one file";

    EXPECT_FALSE(lc::readPassword());
    EXPECT_TRUE(lc::writePassword("x"));
    EXPECT_EQ(*fnd::readFile(lc::kSettingsTctPath), "x") << "one character, no line end";
    EXPECT_FALSE(lc::writePassword(""));
    EXPECT_EQ(lc::readPassword(), "x");

    EXPECT_TRUE(lc::readAuthenticationResult().empty());
    fnd::Dictionary result{
        {"method", Value(2)}, {"success", Value(true)}, {"controller", Value("PUAlbumListViewController")}};
    ASSERT_TRUE(lc::writeAuthenticationResult(result));
    EXPECT_EQ(lc::readAuthenticationResult(), result);
}

// The Photos app's pending delete, in its own container: round trip, then
// what an attacker could leave there (garbage, wrong types, an empty album,
// a FIFO, a link) reads as none or skips what is no identifier, at once.
TEST_F(StateFiles, ThePendingDeleteReadsBackAndAnythingElseInItsPlaceReadsAsNone) {
    const std::string container = "/var/mobile/Containers/Data/Application/com.apple.mobileslideshow";
    fnd::createDirectory(container + "/Library/Preferences", true);
    EXPECT_FALSE(lc::pendingDeletePath()) << "no container, no file";
    fnd::setProcessIdentity({std::string("com.apple.mobileslideshow"), true, container});
    ASSERT_EQ(lc::pendingDeletePath(), container + lc::kPendingDeleteFile);
    EXPECT_FALSE(lc::readPendingDelete());
    ASSERT_TRUE(lc::writePendingDelete({"ALBUM/L0/040", {"A/L0/001", "B/L0/001"}}));
    auto back = lc::readPendingDelete();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->album, "ALBUM/L0/040");
    EXPECT_EQ(back->photos, (std::vector<std::string>{"A/L0/001", "B/L0/001"}));
    lc::clearPendingDelete();
    EXPECT_FALSE(lc::readPendingDelete());

    std::string path = *lc::pendingDeletePath();
    fnd::writeTextFileAtomically(path, "\x00\xff garbage");
    EXPECT_FALSE(lc::readPendingDelete());
    fnd::writePlistFile(path, Value(fnd::Array{Value("ALBUM/L0/040")}));
    EXPECT_FALSE(lc::readPendingDelete()) << "an array is no pending delete";
    fnd::writePlistFile(path, Value(fnd::Dictionary{{"album", Value("")}, {"photos", Value(fnd::Array{})}}));
    EXPECT_FALSE(lc::readPendingDelete()) << "no album named";
    fnd::writePlistFile(path, Value(fnd::Dictionary{{"album", Value("X/L0/040")},
                                                    {"photos", Value(fnd::Array{Value(7), Value("P/L0/001")})}}));
    ASSERT_TRUE(lc::readPendingDelete());
    EXPECT_EQ(lc::readPendingDelete()->photos, (std::vector<std::string>{"P/L0/001"}))
        << "what is no identifier skipped";
    lc::clearPendingDelete();
    ASSERT_EQ(::mkfifo(fnd::hostPath(path).c_str(), 0666), 0);
    EXPECT_FALSE(lc::readPendingDelete()) << "a FIFO reads as none, without waiting for a writer";
    ::unlink(fnd::hostPath(path).c_str());
    fnd::writePlistFile("/var/mobile/elsewhere.plist",
                        Value(fnd::Dictionary{{"album", Value("X/L0/040")}, {"photos", Value(fnd::Array{})}}));
    ASSERT_EQ(::symlink(fnd::hostPath("/var/mobile/elsewhere.plist").c_str(), fnd::hostPath(path).c_str()), 0);
    auto viaLink = lc::readPendingDelete();
    EXPECT_TRUE(!viaLink || viaLink->photos.empty()) << "a link reads as no more than what it names";
}
