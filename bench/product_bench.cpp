// lumicrate12's album lookup and SpringBoard's array writer, each beside
// the plain work it stands on, measured in the same run.
//
//   collectionWithName at 1,000 albums and 100,000 assets (the library of
//   bench/support/LibraryFixture), beside the same title lookup in plain
//   SQLite on its own connection to the same file.
//
//   "savearray" from the client's send until the file is on disk, through
//   the device daemon's socket server and hub (on a thread of this process,
//   as in bench_ipc) to SpringBoard's handler on this process's main loop,
//   beside a raw atomic write of the same file's bytes (temporary file,
//   fsync, rename, fsync of the folder) with nothing else around it.
//
//   The image well's thumbnailImage at the same library (its newest visible
//   image a real 1200 × 900 JPEG), beside the same query in plain SQLite
//   (the newest visible image: by date, newest first, one row) and one
//   175 × 175 cairo scale of that JPEG, decoded from its file as the
//   library does.
//
//   The capture hand-off, from the start of one hand-off (its capture's photo
//   fetched by identifier) until both its library
//   changes (the add to "Album 500" and the hiding) are committed, beside the
//   same two changes as plain SQLite transactions.

#include "bench/support/LibraryFixture.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "sim/graphics/Image.h"
#include "sim/graphics/SamplePhoto.h"
#include "sim/photos/PhotoStore.h"
#include "tests/sim/ipc/TransportHarness.h"
#include "tweak/camera/AlbumPicker.h"
#include "tweak/camera/CaptureHandOff.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/library/AlbumPlacement.h"
#include "tweak/springboard/MessageServer.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace rt::literals;
using namespace benchsupport;

namespace {

// ---- album lookup by title --------------------------------------------------------------------
void BM_CollectionWithName(benchmark::State& state) {
    fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(lc::collectionWithName("Album 500"));
}
BENCHMARK(BM_CollectionWithName);

void BM_CollectionWithName_Sqlite(benchmark::State& state) {
    sqlite3_stmt* s = prepare("SELECT id, uuid, title, folder FROM albums WHERE title = ? ORDER BY id");
    for (auto _ : state) {
        sqlite3_bind_text(s, 1, "Album 500", -1, SQLITE_STATIC);
        benchmark::DoNotOptimize(drain(s));
    }
    sqlite3_finalize(s);
}
BENCHMARK(BM_CollectionWithName_Sqlite);

// ---- savearray, send to file written -----------------------------------------------------------
const fnd::Array kTitles{fnd::Value("Trips"), fnd::Value("Family"), fnd::Value("Receipts")};

ino_t inodeOf(const std::string& hostPath) {
    struct stat st {};
    return ::stat(hostPath.c_str(), &st) == 0 ? st.st_ino : 0;
}

void BM_SaveArraySendToWritten(benchmark::State& state) {
    fixture(); // the device folder
    fnd::createDirectory(lc::kStateFolder, true);
    dsp::RunLoop loop;
    dsp::RunLoop::setMain(&loop);
    {
        auto harness = testsupport::makeSocketHarness(loop);
        auto springboard = harness->connect({1, std::string("com.apple.springboard"), false, true});
        auto camera = harness->connect({2, std::string("com.apple.camera"), true, false});
        static rt::Class* cls = [] { // Google Benchmark calls this function more than once
            rt::Class* c = rt::defineClass("BenchSpringBoard");
            rt::addMethod<&lc::handleMessageNamedWithUserInfo>(c, "handleMessageNamed:withUserInfo:"_sel, "v@:@@");
            return c;
        }();
        ipc::Endpoint::setShared(springboard.endpoint);
        lc::startMessageServer(rt::createInstance(cls));
        loop.runUntil([&] { return springboard.endpoint->isServing(lc::kCenterName); }, std::chrono::seconds(10));
        ipc::Endpoint::setShared(camera.endpoint); // the client's side sends
        const std::string file = fnd::hostPath(lc::kdataPath).string();
        for (auto _ : state) {
            ino_t before = inodeOf(file);
            lc::saveArrayToFile(kTitles, lc::kdataPath);
            // Every write is a new file renamed into place: a new inode.
            loop.runUntil([&] { return inodeOf(file) != before; }, std::chrono::seconds(10));
        }
        ipc::Endpoint::setShared(nullptr);
    }
    dsp::RunLoop::setMain(nullptr);
}
BENCHMARK(BM_SaveArraySendToWritten)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_RawAtomicWrite(benchmark::State& state) {
    fixture();
    fnd::createDirectory(lc::kStateFolder, true);
    const std::string xml = *fnd::serializeXml(fnd::Value(kTitles));
    const std::string folder = fnd::hostPath(lc::kStateFolder).string();
    const std::string file = fnd::hostPath(lc::kdataPath).string(), temp = file + ".raw";
    for (auto _ : state) {
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        benchmark::DoNotOptimize(::write(fd, xml.data(), xml.size()));
        ::fsync(fd);
        ::close(fd);
        ::rename(temp.c_str(), file.c_str());
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        ::fsync(dir);
        ::close(dir);
    }
}
BENCHMARK(BM_RawAtomicWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();

// ---- the image well's picture -------------------------------------------------------------------
// A photo newer than every other asset, with a real image file; its id.
int64_t addNewestPhoto(bool withImage) {
    static double date = 1000.0 * kAssets;
    static int n = 0;
    std::string path;
    if (withImage) {
        path = "/var/mobile/Media/bench-" + std::to_string(++n) + ".jpg";
        fnd::createDirectory("/var/mobile/Media", true);
        gfx::makeSamplePhoto({n, "Newest", "", 1200, 900}).writeJpeg(path);
    }
    int64_t id = 0;
    fixture().store->transaction([&](photos::Writer& w) {
        photos::AssetRecord a;
        a.creationDate = date += 1;
        a.imagePath = path;
        a.pixelWidth = withImage ? 1200 : 0;
        a.pixelHeight = withImage ? 900 : 0;
        auto added = w.insertAsset(a);
        id = added ? added->id : 0;
        return added.has_value();
    });
    return id;
}

void wellReady() {
    static bool done = [] {
        fixture();
        addNewestPhoto(true);
        return true;
    }();
    benchmark::DoNotOptimize(done);
}

void BM_WellThumbnailImage(benchmark::State& state) {
    wellReady();
    for (auto _ : state) {
        auto image = lc::wellThumbnailImage(nullptr, "thumbnailImage"_sel);
        if (!image) state.SkipWithError("no picture");
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_WellThumbnailImage)->Unit(benchmark::kMillisecond);

void BM_WellThumbnailImage_SqliteAndCairo(benchmark::State& state) {
    wellReady();
    sqlite3_stmt* s = prepare("SELECT id, image_path FROM assets WHERE media_type = 1 AND hidden = 0 AND trashed = 0 "
                              "ORDER BY creation_date DESC, id DESC LIMIT 1");
    for (auto _ : state) {
        std::string last;
        while (sqlite3_step(s) == SQLITE_ROW)
            last = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
        sqlite3_reset(s);
        auto image = gfx::Image::load(last);
        if (!image) state.SkipWithError("no image");
        benchmark::DoNotOptimize(image->scaledToFit(175, 175, true));
    }
    sqlite3_finalize(s);
}
BENCHMARK(BM_WellThumbnailImage_SqliteAndCairo)->Unit(benchmark::kMillisecond);

// ---- the capture hand-off ------------------------------------------------------------------------
void BM_HandOffToBothChangesCommitted(benchmark::State& state) {
    fixture();
    photos::registerPhotosUI();
    lc::chosenAlbum = "Album 500";
    lc::pickerMovePhotos = true;
    for (auto _ : state) {
        state.PauseTiming();
        int64_t id = addNewestPhoto(false); // the capture
        std::string saved =
            photos::PHAsset(photos::makeAsset(fixture().store->assetsWithIds({id}).front())).localIdentifier();
        state.ResumeTiming();
        lc::handOff(saved);
        photos::Library::shared().waitUntilIdle();
    }
}
BENCHMARK(BM_HandOffToBothChangesCommitted)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_HandOffToBothChangesCommitted_Sqlite(benchmark::State& state) {
    fixture();
    sqlite3* db = fixture().plain;
    sqlite3_stmt* add = prepare("INSERT OR IGNORE INTO memberships (album, asset) VALUES (?, ?)");
    sqlite3_stmt* hide = prepare("UPDATE assets SET hidden = 1 WHERE id = ?");
    for (auto _ : state) {
        state.PauseTiming();
        int64_t id = addNewestPhoto(false);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_int64(add, 1, fixture().middleAlbum);
        sqlite3_bind_int64(add, 2, id);
        sqlite3_step(add);
        sqlite3_reset(add);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_int64(hide, 1, id);
        sqlite3_step(hide);
        sqlite3_reset(hide);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(add);
    sqlite3_finalize(hide);
}
BENCHMARK(BM_HandOffToBothChangesCommitted_Sqlite)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
