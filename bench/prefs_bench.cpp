// The settings pane's albums page in the Settings app, at the library of
// bench/support (1,000 albums): opening it (its list, the album query, one
// switch per album, the rows laid out), beside opening the stock Settings
// first page with no product installed.

#include "bench/support/LibraryFixture.h"
#include "sim/apps/settings/Settings.h"
#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/NSBundle.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/preferences/Preferences.h"
#include "sim/uikit/UIKit.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <filesystem>

using namespace rt::literals;
using rt::Ref;
namespace fs = std::filesystem;

namespace {

constexpr const char* kBundle = "/Library/PreferenceBundles/lumicrate12prefs.bundle";

struct Setup {
    dsp::RunLoop loop;
    Ref<rt::Object> bundle;
    Setup() {
        benchsupport::fixture(); // the library, and the device folder it lives in
        dsp::RunLoop::setMain(&loop);
        fnd::setProcessIdentity({"com.apple.Preferences", false, ""});
        uikit::registerUIKit();
        photos::registerPhotoKit();
        settings::registerClasses();
        fnd::createDirectory(kBundle, true);
        std::error_code ec;
        for (const char* list : {"Root", "appearance", "behaviour", "albums"})
            fs::copy_file(std::string(LCPREFS_RESOURCES) + "/" + list + ".plist",
                          fnd::hostPath(std::string(kBundle) + "/" + list + ".plist"),
                          fs::copy_options::overwrite_existing, ec);
        if (!::dlopen(LCPREFS_MODULE, RTLD_NOW | RTLD_GLOBAL)) throw std::runtime_error(::dlerror());
        bundle = fnd::makeBundle(kBundle);
    }
};
Setup& setup() {
    static Setup* s = new Setup;
    return *s;
}

// A page as Settings opens one: made, its view loaded, told it appears.
std::size_t open(rt::Class* cls, const Ref<rt::Object>& bundle) {
    prefs::PSListController page = rt::sendClass<Ref<rt::Object>>(cls, "new"_sel);
    if (bundle) page.setBundle(fnd::NSBundle(bundle));
    page.view();
    page.viewWillAppear(false);
    return page.specifiers().size();
}

void BM_AlbumsPageOpen(benchmark::State& state) {
    Setup& s = setup();
    rt::Class* cls = rt::getClass("LCAlbumsListController");
    std::size_t rows = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(rows = open(cls, s.bundle));
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_AlbumsPageOpen)->Unit(benchmark::kMillisecond);

void BM_StockSettingsPageOpen(benchmark::State& state) {
    setup();
    rt::Class* cls = rt::getClass("PSUIPrefsListController");
    std::size_t rows = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(rows = open(cls, nullptr));
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_StockSettingsPageOpen)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
