// The product at a real phone's library size, on booted devices: 100,000
// photos in 1,000 albums (100 of them in ten folders), one device without
// the product and one with it installed and 50 albums locked (passOption 2:
// the gate lets each open at once), both booted in the same run. Each
// action goes through the automation protocol on the operator's channel,
// as lumisim ui drives a device:
//   /0 Photos launched until the Albums page is on screen (See All shown);
//   /1 the full album list (See All) scrolled by one screen, until the app
//      answers again (after the layout pass the scroll asks for);
//   /2 an album opened from the full list (until Select is shown), and back:
//      Album 0 (locked on the product's device: through the gate), or
//      Album 1 (not locked), by the second argument;
//   /3 the gallery app launched until its page is drawn (it lists every
//      album it may see).
// Argument 2 of each: 0 without the product, 1 with it. The photos have no
// image files (a library of this size as files would be some 30 GB): tiles
// and cells show the library's empty picture, the same on both devices.

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/Spawn.h"
#include "sim/ipc/DeviceSocket.h"
#include "sim/photos/PhotoStore.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using fnd::Dictionary;
using fnd::Value;

constexpr int kAlbums = 1000, kAssets = 100000, kInFolders = 100, kLocked = 50;
constexpr const char* kPhotos = "com.apple.mobileslideshow";
constexpr const char* kGallery = "com.example.gallery";

std::string lumisim() { return fnd::executableFolder() + "/lumisim"; }

int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

// The library both devices start from, written once into `root`.
void fillLibrary(const fs::path& root) {
    fnd::prepareDeviceRoot(root);
    fnd::setDeviceRoot(root);
    auto store = photos::PhotoStore::open();
    store->transaction([&](photos::Writer& w) {
        std::vector<int64_t> folders, albums;
        for (int f = 0; f < kInFolders / 10; ++f)
            folders.push_back(w.createFolder("Folder " + std::to_string(f))->id);
        for (int i = 0; i < kAlbums; ++i) {
            std::optional<int64_t> folder;
            if (i >= kAlbums - kInFolders) folder = folders[static_cast<std::size_t>(i % folders.size())];
            albums.push_back(w.createAlbum("Album " + std::to_string(i), folder)->id);
        }
        for (int i = 0; i < kAssets; ++i) {
            photos::AssetRecord a;
            a.creationDate = 1000.0 * i;
            auto added = w.insertAsset(a);
            if (!added || !w.addMembers(albums[static_cast<std::size_t>(i % kAlbums)], {added->id})) return false;
        }
        return true;
    });
}

struct BootedDevice {
    fs::path root;
    std::unique_ptr<ipc::DeviceSocket> control;

    BootedDevice(const fs::path& library, bool withProduct, const std::string& name) {
        root = library.parent_path() / name;
        fs::remove_all(root);
        fs::copy(library, root, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        fnd::setDeviceRoot(root);
        if (withProduct) {
            fnd::Array locked;
            for (int i = 0; i < kLocked; ++i)
                locked.push_back(Value("Album " + std::to_string(i * 2)));
            fnd::createDirectory("/var/mobile/Library/lumicrate", true);
            fnd::writePlistFile("/var/mobile/Library/lumicrate/lockedAlbums.plist", Value(locked));
            fnd::writePlistFile("/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist",
                                Value(Dictionary{{"passOption", Value(int64_t{2})}}));
        }
        run(lumisim() + " boot --root " + root.string());
        if (withProduct) run(lumisim() + " install " + LC_PACKAGE_PATH + " --root " + root.string());
        control = ipc::DeviceSocket::connectAsOperator();
        if (control) control->send({{"op", Value("hello")}});
    }
    ~BootedDevice() {
        control.reset();
        run(lumisim() + " shutdown --root " + root.string());
        fs::remove_all(root);
    }
    bool ask(Dictionary op) {
        auto reply = control ? control->request(op, std::chrono::seconds(30)) : std::nullopt;
        return reply && fnd::valueForKey(*reply, "ok").boolValue();
    }
    bool ui(const std::string& app, Dictionary request) {
        return ask({{"op", Value("ui")}, {"bundle", Value(app)}, {"request", Value(std::move(request))}});
    }
    // Until the app shows the element (30 s at most).
    bool until(const std::string& app, const char* key, const std::string& value) {
        for (int i = 0; i < 30000; ++i) {
            if (ui(app, {{"command", Value("find")}, {key, Value(value)}})) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    bool running(const std::string& app) {
        auto reply = control ? control->request({{"op", Value("status")}}, std::chrono::seconds(30)) : std::nullopt;
        const fnd::Array* apps = reply ? fnd::valueForKey(*reply, "apps").array() : nullptr;
        if (!apps) return false;
        for (const Value& a : *apps)
            if (const Dictionary* d = a.dictionary(); d && fnd::valueForKey(*d, "bundle") == Value(app)) return true;
        return false;
    }
    void end(const std::string& app) {
        ask({{"op", Value("terminate")}, {"bundle", Value(app)}});
        for (int i = 0; i < 10000 && running(app); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

// Both devices, made once per process.
struct Devices {
    fs::path library = "/tmp/lumi-bench-size/library";
    std::unique_ptr<BootedDevice> stock, product;
    Devices() {
        fs::remove_all(library.parent_path());
        fillLibrary(library);
        stock = std::make_unique<BootedDevice>(library, false, "stock");
        product = std::make_unique<BootedDevice>(library, true, "product");
    }
    ~Devices() {
        stock.reset();
        product.reset();
        fs::remove_all(library.parent_path());
    }
    BootedDevice& of(benchmark::State& state) { return state.range(0) == 1 ? *product : *stock; }
};

Devices& devices() {
    static Devices d;
    return d;
}

// On the full album list, from a fresh launch.
bool toFullList(BootedDevice& d) {
    d.end(kPhotos);
    return d.ask({{"op", Value("launch")}, {"bundle", Value(kPhotos)}}) && d.until(kPhotos, "label", "Albums") &&
           d.ui(kPhotos, {{"command", Value("tap")}, {"label", Value("Albums")}}) &&
           d.until(kPhotos, "label", "See All") &&
           d.ui(kPhotos, {{"command", Value("tap")}, {"label", Value("See All")}}) &&
           d.until(kPhotos, "label", "Album 1");
}

void BM_LaunchToAlbumsPage(benchmark::State& state) {
    BootedDevice& d = devices().of(state);
    for (auto _ : state) {
        state.PauseTiming();
        d.end(kPhotos);
        state.ResumeTiming();
        bool ok = d.ask({{"op", Value("launch")}, {"bundle", Value(kPhotos)}}) && d.until(kPhotos, "label", "Albums") &&
                  d.ui(kPhotos, {{"command", Value("tap")}, {"label", Value("Albums")}}) &&
                  d.until(kPhotos, "label", "See All");
        if (!ok) state.SkipWithError("the Albums page did not come");
    }
}

void BM_ScrollFullListOneScreen(benchmark::State& state) {
    BootedDevice& d = devices().of(state);
    if (!toFullList(d)) state.SkipWithError("no full list");
    for (auto _ : state) {
        bool down = d.ui(kPhotos, {{"command", Value("drag")},
                                   {"x", Value(187.0)},
                                   {"y", Value(650.0)},
                                   {"toX", Value(187.0)},
                                   {"toY", Value(20.0)}});
        // The next request is answered after the turn that laid the list out again.
        if (!down || !d.until(kPhotos, "label", "Edit")) state.SkipWithError("the drag was refused");
    }
}

void BM_OpenAlbumFromFullList(benchmark::State& state) {
    BootedDevice& d = devices().of(state);
    if (!toFullList(d)) state.SkipWithError("no full list");
    for (auto _ : state) {
        // Album 0 is locked on the product's device, Album 1 is not.
        std::string album = state.range(1) == 0 ? "Album 0" : "Album 1";
        bool ok =
            d.ui(kPhotos, {{"command", Value("tap")}, {"label", Value(album)}}) && d.until(kPhotos, "label", "Select");
        state.PauseTiming();
        ok = ok && d.ui(kPhotos, {{"command", Value("tap")}, {"label", Value("\u2039 Albums")}}) &&
             d.until(kPhotos, "label", "Album 2");
        state.ResumeTiming();
        if (!ok) state.SkipWithError("the album did not open");
    }
}

void BM_GalleryListsEveryAlbum(benchmark::State& state) {
    BootedDevice& d = devices().of(state);
    for (auto _ : state) {
        state.PauseTiming();
        d.end(kGallery);
        state.ResumeTiming();
        bool ok = d.ask({{"op", Value("launch")}, {"bundle", Value(kGallery)}}) && d.until(kGallery, "text", "Gallery");
        if (!ok) state.SkipWithError("the gallery did not draw");
    }
}

} // namespace

BENCHMARK(BM_LaunchToAlbumsPage)->Arg(0)->Arg(1)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollFullListOneScreen)->Arg(0)->Arg(1)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAlbumFromFullList)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GalleryListsEveryAlbum)->Arg(0)->Arg(1)->Iterations(10)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
