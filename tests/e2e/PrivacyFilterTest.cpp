// The privacy filter on a booted device: the third-party gallery and the
// store app report what they see of the library, through every query they
// make, before and after an album is locked (SpringBoard writes the list,
// as it does for the Photos app) and after an album is switched off in the
// settings. The gallery never sees a locked title; the store app, which
// gets no hook, sees everything.

#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tests/e2e/E2EDevice.h"

#include <gtest/gtest.h>

using e2e::Device;
using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr const char* kGallery = "com.example.gallery";
constexpr const char* kStore = "com.apple.store.Jolly";

struct FilterDevice {
    Device d{true};

    // Trips holds two photos, Rome one, and Oslo (in the folder Travel) one.
    void prepare() {
        std::vector<std::string> files = d.samplePhotos(4);
        ASSERT_EQ(files.size(), 4u);
        ASSERT_EQ(e2e::lumisim({"addmedia", files[0], files[1], "--album", "Trips", "--root", d.root()}).status, 0);
        ASSERT_EQ(e2e::lumisim({"addmedia", files[2], "--album", "Rome", "--root", d.root()}).status, 0);
        ASSERT_EQ(e2e::lumisim({"mkalbum", "Oslo", "--folder", "Travel", "--root", d.root()}).status, 0);
        ASSERT_EQ(e2e::lumisim({"addmedia", files[3], "--album", "Oslo", "--root", d.root()}).status, 0);
        d.launch(kGallery);
        d.launch(kStore);
    }
    std::string report(const char* app) {
        std::string out;
        d.waitFor([&] {
            auto answer = d.ui(app, {{"command", Value("report")}});
            const std::string* text = fnd::valueForKey(answer, "report").string();
            return text && !(out = *text).empty();
        });
        return out;
    }
    // What SpringBoard does for the Photos app when an album is locked.
    void lock(const std::vector<std::string>& titles) { ASSERT_TRUE(d.lockAlbums(titles)); }
};

bool shows(const std::string& report, const std::string& text) { return report.find(text) != std::string::npos; }

TEST(PrivacyFilterOnADevice, TheGalleryLosesALockedAndASwitchedOffAlbumWhileTheStoreAppSeesEverything) {
    FilterDevice f;
    f.prepare();
    std::string before = f.report(kGallery), store = f.report(kStore);
    EXPECT_TRUE(shows(before, "albums: Trips(2) Rome(1) Oslo(1)\n")) << before;
    EXPECT_TRUE(shows(before, "ids: 0\n")) << "no identifier set outside Photos\n" << before;
    EXPECT_TRUE(shows(store, "albums: Trips(2) Rome(1)\nfolders: Travel[Oslo]\n")) << store;
    EXPECT_TRUE(shows(store, "ids: 3\n")) << store;

    f.lock({"Trips"});
    std::string locked = f.report(kGallery);
    EXPECT_FALSE(shows(locked, "Trips")) << locked;
    EXPECT_TRUE(shows(locked, "albums: Rome(1) Oslo(1)\n")) << locked;
    EXPECT_EQ(f.report(kStore), store) << "the store app has no hook";

    ASSERT_TRUE(fnd::writePlistFile("/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist",
                                    Value(Dictionary{{"albumNameRome", Value(false)}})));
    f.d.post("com.zel.lumicrate12prefs/reloadPrefs");
    std::string off;
    EXPECT_TRUE(f.d.waitFor([&] { return !shows(off = f.report(kGallery), "Rome"); })) << off;
    EXPECT_FALSE(shows(off, "Trips")) << off;
    EXPECT_TRUE(shows(off, "albums: Oslo(1)\n")) << off;
    EXPECT_EQ(f.report(kStore), store);

    f.lock({});
    std::string unlocked = f.report(kGallery);
    EXPECT_TRUE(shows(unlocked, "albums: Trips(2) Oslo(1)\n")) << unlocked;
    EXPECT_TRUE(f.d.crashes().empty());
}

} // namespace
