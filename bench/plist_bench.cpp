// Reading and writing property lists through the foundation layer, against
// the same work done with libplist directly.

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tests/support/HostilePlists.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <plist/plist.h>
#include <sstream>

using namespace fnd;

namespace {

struct Device {
    std::filesystem::path root;
    Device() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "lumi-bench-XXXXXX").string();
        root = ::mkdtemp(tmpl.data());
        prepareDeviceRoot(root);
        setDeviceRoot(root);
    }
    ~Device() { std::filesystem::remove_all(root); }
};
Device& device() {
    static Device d;
    return d;
}

Value titles(int n, std::size_t length) {
    Array a;
    for (int i = 0; i < n; ++i) {
        std::string t = "Album " + std::to_string(i) + " ";
        t.resize(length, 'x');
        a.push_back(Value(t));
    }
    return Value(a);
}

// 10 titles (a locked list), or ~1 MB of them.
Value workload(int which) { return which == 0 ? titles(10, 16) : titles(16000, 60); }
const char* kPath = "/var/mobile/Library/bench.plist";

void BM_WritePlist(benchmark::State& state) {
    device();
    Value v = workload(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(writePlistFile(kPath, v));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(readFile(kPath)->size()));
}
BENCHMARK(BM_WritePlist)->Arg(0)->Arg(1);

void BM_ReadPlist(benchmark::State& state) {
    device();
    writePlistFile(kPath, workload(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(readArrayFile(kPath));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(readFile(kPath)->size()));
}
BENCHMARK(BM_ReadPlist)->Arg(0)->Arg(1);

// libplist alone: read the file, parse, walk the strings; build, serialise,
// write the file (not atomically, not synced).
void BM_LibplistRead(benchmark::State& state) {
    device();
    writePlistFile(kPath, workload(static_cast<int>(state.range(0))));
    std::string host = hostPath(kPath).string();
    for (auto _ : state) {
        std::ifstream in(host, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        std::string bytes = ss.str();
        plist_t root = nullptr;
        plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
        uint32_t n = plist_array_get_size(root);
        for (uint32_t i = 0; i < n; ++i) {
            char* s = nullptr;
            plist_get_string_val(plist_array_get_item(root, i), &s);
            benchmark::DoNotOptimize(s);
            std::free(s);
        }
        plist_free(root);
    }
}
BENCHMARK(BM_LibplistRead)->Arg(0)->Arg(1);

void BM_LibplistWrite(benchmark::State& state) {
    device();
    Value v = workload(static_cast<int>(state.range(0)));
    std::string host = hostPath(kPath).string();
    for (auto _ : state) {
        plist_t root = plist_new_array();
        for (const Value& t : *v.array())
            plist_array_append_item(root, plist_new_string(t.string()->c_str()));
        char* xml = nullptr;
        uint32_t len = 0;
        plist_to_xml(root, &xml, &len);
        std::ofstream(host, std::ios::binary).write(xml, len);
        plist_to_xml_free(xml);
        plist_free(root);
    }
}
BENCHMARK(BM_LibplistWrite)->Arg(0)->Arg(1);

// Binary property lists as frames carry them: an array of `n` titles read
// with the frame's limits (libplist's iterators; linear in n).
void BM_ReadBinaryTitles(benchmark::State& state) {
    std::string bytes = *serializeBinary(titles(static_cast<int>(state.range(0)), 16));
    for (auto _ : state)
        benchmark::DoNotOptimize(parsePlist(bytes, {16u << 20, 1'000'000}));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadBinaryTitles)->Arg(80000)->Unit(benchmark::kMillisecond);

// Writing them: our writer against libplist's plist_to_bin (which shares equal
// objects through a hash table of fixed size, so its cost grows with n^2).
void BM_WriteBinaryTitles(benchmark::State& state) {
    Value v = titles(static_cast<int>(state.range(0)), 16);
    for (auto _ : state)
        benchmark::DoNotOptimize(serializeBinary(v));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteBinaryTitles)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_LibplistWriteBinaryTitles(benchmark::State& state) {
    Value v = titles(static_cast<int>(state.range(0)), 16);
    for (auto _ : state) {
        plist_t root = plist_new_array();
        for (const Value& t : *v.array())
            plist_array_append_item(root, plist_new_string(t.string()->c_str()));
        char* bin = nullptr;
        uint32_t len = 0;
        plist_to_bin(root, &bin, &len);
        benchmark::DoNotOptimize(bin);
        plist_to_bin_free(bin);
        plist_free(root);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LibplistWriteBinaryTitles)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

// Hostile shapes, refused before libplist builds anything: 24 levels of
// shared references (33 million nodes once copied, 131 bytes), and one
// 1 MB string referenced 100,000 times (100 GB once copied).
void BM_RefuseExpandingReferences(benchmark::State& state) {
    std::string bomb = state.range(0) == 0 ? hostile::doublingBomb(24) : hostile::sharedLongString(1 << 20, 100000);
    for (auto _ : state)
        benchmark::DoNotOptimize(parsePlist(bomb));
}
BENCHMARK(BM_RefuseExpandingReferences)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
