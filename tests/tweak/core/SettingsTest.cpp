// The settings model: defaults, readings of each kind, the font-size rule,
// per-album switches that only grow, and readers on other threads.

#include "tweak/core/Settings.h"

#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>
#include <thread>

using fnd::Dictionary;
using fnd::Value;

namespace {

struct Settings : ::testing::Test {
    testsupport::TempDeviceRoot root;
    void write(Dictionary d) { ASSERT_TRUE(fnd::writePlistFile(lc::kPreferencePath, Value(std::move(d)))); }
};

} // namespace

TEST_F(Settings, AnAbsentOrEmptyFileGivesTheDefaults) {
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) write({});
        lc::reloadSettings();
        EXPECT_TRUE(lc::enabled && lc::showDeleted && lc::showTabMoments && lc::showTabAlbums);
        EXPECT_TRUE(lc::layoutShowTitle && lc::layoutShowSubtitle);
        EXPECT_EQ(lc::layoutFontSize, 14);
        EXPECT_EQ(lc::passOption, 0);
        EXPECT_TRUE(lc::hideLockedFromApps && lc::hideFoldersInApps && lc::enableCameraPicker && lc::pickerMovePhotos);
        EXPECT_FALSE(lc::showHidden || lc::rememberDefault || lc::skipDelete || lc::showLockedinCamera);
        EXPECT_TRUE(lc::returnToMainLocked);
        EXPECT_FALSE(lc::returnToMainDefault);
        EXPECT_EQ(lc::photoWidth, 163);
        EXPECT_EQ(lc::photoHeight, 163);
    }
    // Garbage where the file should be: the defaults again.
    write({{"enabled", Value(false)}});
    lc::reloadSettings();
    EXPECT_FALSE(lc::enabled);
    fnd::writeTextFileAtomically(lc::kPreferencePath, "<plist><dict><key>enabled</key>");
    lc::reloadSettings();
    EXPECT_TRUE(lc::enabled);
}

TEST_F(Settings, ValuesAreReadByTheirBooleanOrIntegerReading) {
    write({{"enabled", Value(0)},
           {"showHidden", Value("YES")},
           {"skipDelete", Value(fnd::Array{Value(true)})},
           {"passOption", Value(7)},
           {"layoutFontSize", Value("20")},
           {"increaseZoom", Value(2.5)}});
    lc::reloadSettings();
    EXPECT_FALSE(lc::enabled);
    EXPECT_TRUE(lc::showHidden);
    EXPECT_FALSE(lc::skipDelete) << "a value without a reading reads as off";
    EXPECT_EQ(lc::passOption, 7) << "stored as given";
    EXPECT_EQ(lc::layoutFontSize, 20);
    EXPECT_TRUE(lc::increaseZoom);
}

TEST_F(Settings, AFontSizeBelowOneStandsOnlyWhenTitlesAndSubtitlesAreBothOff) {
    write({{"layoutFontSize", Value(0)}});
    lc::reloadSettings();
    EXPECT_EQ(lc::layoutFontSize, 14);
    write({{"layoutFontSize", Value(-3)}, {"layoutShowTitle", Value(false)}});
    lc::reloadSettings();
    EXPECT_EQ(lc::layoutFontSize, 14) << "subtitles still show";
    write({{"layoutFontSize", Value(-3)}, {"layoutShowTitle", Value(false)}, {"layoutShowSubtitle", Value(false)}});
    lc::reloadSettings();
    EXPECT_EQ(lc::layoutFontSize, -3);
    write({{"layoutFontSize", Value(Dictionary{})}});
    lc::reloadSettings();
    EXPECT_EQ(lc::layoutFontSize, 14) << "no reading is 0, and 0 with titles on is 14";
}

TEST_F(Settings, PerAlbumSwitchesOnlyGrowAndAMissingOneIsOn) {
    write({{"albumNameTrips", Value(false)}, {"albumNameRome", Value(true)}, {"myalbumNameOdd", Value(false)}});
    lc::reloadSettings();
    EXPECT_FALSE(lc::albumSwitchOn("Trips"));
    EXPECT_TRUE(lc::albumSwitchOn("Rome"));
    EXPECT_TRUE(lc::albumSwitchOn("Beach")) << "no key: on";
    EXPECT_EQ(lc::albumDict()->count("myalbumNameOdd"), 1u) << "any key containing the prefix";
    auto before = lc::albumDict();
    write({{"albumNameBeach", Value(false)}});
    lc::reloadSettings();
    EXPECT_FALSE(lc::albumSwitchOn("Trips")) << "a deleted key keeps its value";
    EXPECT_FALSE(lc::albumSwitchOn("Beach"));
    EXPECT_EQ(before->count("albumNameBeach"), 0u) << "a snapshot held by a reader does not change";
    lc::reloadPrefs(nullptr, nullptr, lc::kReloadNotification, nullptr, nullptr);
    EXPECT_EQ(lc::albumDict()->size(), 4u);
}

TEST_F(Settings, ReadersOnOtherThreadsSeeWholeSnapshotsWhileReloadsRun) {
    std::atomic<bool> done{false};
    std::thread reader([&] {
        std::size_t seen = 0;
        while (!done) {
            auto albums = lc::albumDict();
            for (const auto& [k, v] : *albums)
                seen += k.size() + v;
            seen += lc::enabled.load() + static_cast<std::size_t>(lc::layoutFontSize.load());
        }
        EXPECT_GT(seen, 0u);
    });
    for (int i = 0; i < 50; ++i) {
        write({{"albumNameA" + std::to_string(i), Value(i % 2 == 0)}, {"enabled", Value(i % 2 == 0)}});
        lc::reloadSettings();
    }
    done = true;
    reader.join();
    EXPECT_EQ(lc::albumDict()->size(), 50u);
}

// A flood of the reload notification (anyone may post it) costs one re-read
// per turn of the main loop, and a single post still takes effect at once.
TEST_F(Settings, ABurstOfReloadPostsCostsOneReadPerTurnOfTheMainLoop) {
    dsp::RunLoop loop{std::make_shared<dsp::ManualClock>()};
    dsp::RunLoop::setMain(&loop);
    write({{"enabled", Value(false)}});
    std::uint64_t before = lc::settingsGeneration();
    for (int i = 0; i < 10000; ++i)
        lc::reloadPrefs(nullptr, nullptr, lc::kReloadNotification, nullptr, nullptr);
    loop.runUntilIdle();
    EXPECT_EQ(lc::settingsGeneration(), before + 1) << "one read for the burst";
    EXPECT_FALSE(lc::enabled.load());
    write({{"enabled", Value(true)}});
    lc::reloadPrefs(nullptr, nullptr, lc::kReloadNotification, nullptr, nullptr);
    loop.runUntilIdle();
    EXPECT_EQ(lc::settingsGeneration(), before + 2);
    EXPECT_TRUE(lc::enabled.load()) << "a single post reads the file";
    dsp::RunLoop::setMain(nullptr);
}
