// The trimmed Photos app on a booted device: settings written to the
// preference file and announced change the Albums page at its next
// appearance (sections, a smart album) and the tabs at the app's next
// launch, and the camera roll heads My Albums throughout. Screenshots
// before and after are compared, not only the model.

#include "sim/foundation/PropertyList.h"
#include "sim/graphics/Image.h"
#include "tests/e2e/E2EDevice.h"

#include <gtest/gtest.h>

using e2e::Device;
using e2e::kPhotos;
using e2e::ok;
using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr const char* kPrefs = "/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist";
constexpr const char* kReload = "com.zel.lumicrate12prefs/reloadPrefs";

struct TrimDevice {
    Device d{true};
    bool find(const char* key, const std::string& value) { return d.shows(kPhotos, key, Value(value)); }
    bool tap(const std::string& label) { return d.tapWhenShown(kPhotos, "label", Value(label)); }
    std::optional<gfx::Image> screenshot() {
        Dictionary answer = d.ui(kPhotos, {{"command", Value("screenshot")}});
        const fnd::Data* png = fnd::valueForKey(answer, "png").data();
        return png ? gfx::Image::decode(*png) : std::nullopt;
    }
};

} // namespace

TEST(TrimOnADevice, SwitchedOffTabsSectionsAndSmartAlbumsLeaveThePhotosApp) {
    TrimDevice t;
    std::vector<std::string> files = t.d.samplePhotos(2);
    ASSERT_EQ(e2e::lumisim({"addmedia", files[0], "--album", "Trips", "--root", t.d.root()}).status, 0);
    ASSERT_EQ(e2e::lumisim({"addmedia", files[1], "--screenshot", "--root", t.d.root()}).status, 0);
    t.d.launch(kPhotos);
    ASSERT_TRUE(t.tap("Albums"));
    ASSERT_TRUE(t.d.waitFor([&] { return t.find("label", "Camera Roll"); })) << "the camera roll heads My Albums";
    EXPECT_TRUE(t.find("text", "Shared Albums"));
    EXPECT_TRUE(t.find("text", "For You")) << "the tab bar";
    auto before = t.screenshot();
    ASSERT_TRUE(before);

    ASSERT_TRUE(fnd::writePlistFile(kPrefs, Value(Dictionary{{"showSharedAlbums", Value(false)},
                                                             {"showPeopleAnd", Value(false)},
                                                             {"showScreenshots", Value(false)},
                                                             {"showTabMoments", Value(false)},
                                                             {"showTabMemories", Value(false)},
                                                             {"showTabShared", Value(false)}})));
    t.d.awaitObservers({kPhotos}, kReload);
    t.d.post(kReload);
    // The Albums page, again: its sections follow at once.
    ASSERT_TRUE(t.tap("Photos"));
    ASSERT_TRUE(t.tap("Albums"));
    EXPECT_TRUE(t.d.waitFor([&] { return !t.find("text", "Shared Albums"); })) << "Shared Albums gone";
    EXPECT_FALSE(t.find("text", "People & Places"));
    EXPECT_TRUE(t.find("label", "Camera Roll"));
    EXPECT_TRUE(t.d.waitFor([&] { return t.find("text", "Media Types"); }));
    EXPECT_FALSE(t.find("label", "Screenshots")) << "the smart album switched off";
    EXPECT_TRUE(t.find("label", "Recently Deleted"));

    // The tabs at the next launch: the Albums tab alone, without a bar.
    ASSERT_EQ(e2e::lumisim({"terminate", kPhotos, "--root", t.d.root()}).status, 0);
    ASSERT_TRUE(t.d.waitFor([&] { return !t.d.pidOf(kPhotos); })) << "its connection gone";
    t.d.launch(kPhotos); // the device starts it again once the ending process is gone
    ASSERT_TRUE(t.d.waitFor([&] { return t.find("text", "My Albums"); })) << "the Albums page is the app";
    EXPECT_FALSE(t.find("text", "For You"));
    EXPECT_FALSE(ok(t.d.ui(kPhotos, {{"command", Value("find")}, {"class", Value("UITabBarButton")}})));
    auto after = t.screenshot();
    ASSERT_TRUE(after);
    // The bottom strip where the tab bar was: the bar's grey before, not after.
    int y = before->height() - 10 * before->height() / 667;
    EXPECT_NE(before->pixel(before->width() / 2, y), after->pixel(after->width() / 2, y));
}
