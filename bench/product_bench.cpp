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

#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bench/support/LibraryFixture.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tests/sim/ipc/TransportHarness.h"
#include "tweak/core/StateFiles.h"
#include "tweak/library/AlbumPlacement.h"
#include "tweak/springboard/MessageServer.h"

using namespace rt::literals;
using namespace benchsupport;

namespace {

// ---- album lookup by title --------------------------------------------------------------------
void BM_CollectionWithName(benchmark::State& state) {
    fixture();
    for (auto _ : state) benchmark::DoNotOptimize(lc::collectionWithName("Album 500"));
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
    struct stat st{};
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

} // namespace

BENCHMARK_MAIN();
