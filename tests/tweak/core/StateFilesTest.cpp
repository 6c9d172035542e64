// The shared state files: the locked list (garbage and absence included),
// the camera's album, the password and the authentication result.

#include "tweak/core/StateFiles.h"

#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

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
