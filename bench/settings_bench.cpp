// lumicrate12's settings and state: a reload from a full preference file
// with 200 per-album keys, beside reading that file alone (the property-list
// parse every reload pays); loading a locked list of 100 titles.

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"

#include <benchmark/benchmark.h>
#include <filesystem>

namespace {

struct Device {
    std::filesystem::path root = std::filesystem::temp_directory_path() / "lumi-bench-settings";
    Device() {
        std::filesystem::remove_all(root);
        fnd::prepareDeviceRoot(root);
        fnd::setDeviceRoot(root);
        fnd::Dictionary file;
        for (const char* key : {"enabled", "showDeleted", "showFavourites", "showPlaces", "showPeople", "showVideos",
                                "showHidden", "layoutShowTitle", "skipDelete", "rememberDefault", "hideFoldersInApps"})
            file[key] = fnd::Value(true);
        file["layoutFontSize"] = fnd::Value(15);
        file["passOption"] = fnd::Value(1);
        for (int i = 0; i < 200; ++i)
            file["albumNameAlbum " + std::to_string(i)] = fnd::Value(i % 3 != 0);
        fnd::writePlistFile(lc::kPreferencePath, fnd::Value(file));
        fnd::createDirectory(lc::kStateFolder, true);
        lc::TitleList titles;
        for (int i = 0; i < 100; ++i)
            titles.push_back("Locked album " + std::to_string(i));
        fnd::writePlistFile(lc::kdataPath, fnd::Value(lc::asArray(titles)));
    }
    ~Device() { std::filesystem::remove_all(root); }
};

Device& device() {
    static Device d;
    return d;
}

void BM_ReloadSettings(benchmark::State& state) {
    device();
    for (auto _ : state)
        lc::reloadSettings();
    benchmark::DoNotOptimize(lc::albumDict()->size());
}
BENCHMARK(BM_ReloadSettings);

void BM_ReadPreferenceFileOnly(benchmark::State& state) {
    device();
    for (auto _ : state)
        benchmark::DoNotOptimize(fnd::readDictionaryFile(lc::kPreferencePath));
}
BENCHMARK(BM_ReadPreferenceFileOnly);

void BM_LoadLockedList100(benchmark::State& state) {
    device();
    for (auto _ : state)
        lc::loadLockedAlbums();
    benchmark::DoNotOptimize(lc::lockedAlbums()->size());
}
BENCHMARK(BM_LoadLockedList100);

} // namespace

BENCHMARK_MAIN();
