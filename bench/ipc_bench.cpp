// Darwin notifications and named messages through the device socket, against
// a raw Unix-domain socket round trip measured in the same run.
//
// The daemon side is the device daemon's own socket server and hub, run on a
// thread of this process (as the ipc tests do); observers, servers and
// senders are endpoints on this process's main loop, each with its own
// connection. A delivery therefore crosses two sockets and the daemon's
// thread, as a raw round trip crosses two sockets and the echo thread.
// Latencies are reported as p50 and p99 counters (seconds).

#include "sim/deviced/AppSpawn.h"
#include "sim/foundation/AppCatalog.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/Spawn.h"
#include "tests/sim/ipc/TransportHarness.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace rt::literals;
using Clock = std::chrono::steady_clock;

namespace {

void reportPercentiles(benchmark::State& state, std::vector<double>& samples) {
    if (samples.empty()) return;
    std::sort(samples.begin(), samples.end());
    state.counters["p50_us"] = samples[samples.size() / 2] * 1e6;
    state.counters["p99_us"] = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)] * 1e6;
}

double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

void BM_RawSocketRoundTrip(benchmark::State& state) {
    int sv[2];
    ::socketpair(AF_UNIX, SOCK_STREAM, 0, sv);
    std::thread echo([fd = sv[1]] {
        char buf[64];
        for (;;) {
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) return;
            ::send(fd, buf, static_cast<std::size_t>(n), 0);
        }
    });
    char msg[64] = "ping";
    std::vector<double> samples;
    for (auto _ : state) {
        auto t = Clock::now();
        ::send(sv[0], msg, sizeof msg, 0);
        std::size_t got = 0;
        while (got < sizeof msg)
            got += static_cast<std::size_t>(::recv(sv[0], msg, sizeof msg - got, 0));
        samples.push_back(since(t));
    }
    ::shutdown(sv[0], SHUT_RDWR);
    echo.join();
    ::close(sv[0]);
    ::close(sv[1]);
    reportPercentiles(state, samples);
}
BENCHMARK(BM_RawSocketRoundTrip)->Iterations(20000);

struct Bench {
    dsp::RunLoop loop;
    std::unique_ptr<testsupport::TransportHarness> harness;
    Bench() {
        dsp::RunLoop::setMain(&loop);
        harness = testsupport::makeSocketHarness(loop);
    }
    ~Bench() {
        harness.reset();
        dsp::RunLoop::setMain(nullptr);
    }
    bool pump(const std::function<bool()>& done) { return loop.runUntil(done, std::chrono::seconds(10)); }
};

void BM_NotificationPostToDelivery(benchmark::State& state) {
    Bench b;
    int observers = static_cast<int>(state.range(0));
    auto poster = b.harness->connect({1, std::string("com.apple.springboard"), false, true});
    std::vector<testsupport::TestProcess> procs;
    int delivered = 0;
    Clock::time_point posted;
    std::vector<double> samples;
    for (int i = 0; i < observers; ++i) {
        procs.push_back(b.harness->connect({10 + i, std::string("app" + std::to_string(i)), true, false}));
        procs.back().endpoint->addObserver("bench", ipc::Suspension::DeliverImmediately, [&](const std::string&) {
            samples.push_back(since(posted));
            ++delivered;
        });
        b.pump([&] { return b.harness->hub().observes(procs.back().peer, "bench"); });
    }
    for (auto _ : state) {
        delivered = 0;
        posted = Clock::now();
        poster.endpoint->post("bench");
        b.pump([&] { return delivered == observers; });
    }
    reportPercentiles(state, samples);
}
BENCHMARK(BM_NotificationPostToDelivery)->Arg(1)->Arg(10)->Iterations(3000);

int g_handled = 0;
Clock::time_point g_sent;
std::vector<double>* g_samples = nullptr;
void benchHandler(rt::Id, rt::Sel, std::string, fnd::Dictionary) {
    ++g_handled;
    if (g_samples) g_samples->push_back(since(g_sent));
}

struct Served : Bench {
    testsupport::TestProcess server, client;
    Served() {
        static rt::Class* cls = [] {
            rt::Class* c = rt::defineClass("BenchHandler");
            rt::addMethod<&benchHandler>(c, "handleMessageNamed:withUserInfo:"_sel);
            return c;
        }();
        server = harness->connect({1, std::string("com.apple.springboard"), false, true});
        client = harness->connect({2, std::string("com.apple.camera"), true, false});
        server.endpoint->registerHandler("com.zel.lumicrate12", "savearray", rt::createInstance(cls),
                                         "handleMessageNamed:withUserInfo:"_sel);
        server.endpoint->runServer("com.zel.lumicrate12");
        pump([&] { return server.endpoint->isServing("com.zel.lumicrate12"); });
    }
};

const fnd::Dictionary kSaveArray{{"path", fnd::Value("/var/mobile/Library/lumicrate/lockedAlbums.plist")},
                                 {"array", fnd::Value(fnd::Array{fnd::Value("Trips"), fnd::Value("Family")})}};

void BM_MessageSendToHandler(benchmark::State& state) {
    Served s;
    std::vector<double> samples;
    g_samples = &samples;
    for (auto _ : state) {
        g_handled = 0;
        g_sent = Clock::now();
        s.client.endpoint->sendMessage("com.zel.lumicrate12", "savearray", kSaveArray);
        s.pump([] { return g_handled == 1; });
    }
    g_samples = nullptr;
    reportPercentiles(state, samples);
}
BENCHMARK(BM_MessageSendToHandler)->Iterations(5000);

void BM_MessagesThroughTheDaemon(benchmark::State& state) {
    Served s;
    const int batch = 10000;
    for (auto _ : state) {
        g_handled = 0;
        for (int i = 0; i < batch; ++i)
            s.client.endpoint->sendMessage("com.zel.lumicrate12", "savearray", kSaveArray);
        s.pump([&] { return g_handled == batch; });
    }
    state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_MessagesThroughTheDaemon)->Iterations(5)->Unit(benchmark::kMillisecond);

// Boot of a real device: deviced and SpringBoard, then three apps until each
// has joined the device. Shutdown is outside the timing. Argument 1: every
// app inside its kernel walls (the default); 0: --advisory-walls.
void BM_BootDeviceWithThreeApps(benchmark::State& state) {
    std::string bin = fnd::executableFolder();
    std::string root = "/tmp/lumi-bench-boot";
    auto sim = [&](const std::string& args) {
        return std::system((bin + "/lumisim " + args + " --root " + root + " >/dev/null 2>&1").c_str());
    };
    bool walls = state.range(0) == 1;
    for (auto _ : state) {
        std::filesystem::remove_all(root);
        sim(walls ? "boot" : "boot --advisory-walls");
        for (const char* app : {"com.apple.camera", "com.apple.mobileslideshow", "com.apple.Preferences"})
            sim(std::string("launch ") + app);
        // lumisim launch returns once the app is spawned; wait until all three joined.
        for (int i = 0; i < 1000; ++i) {
            std::string out = bin + "/lumisim ps --root " + root + " 2>/dev/null | wc -l";
            FILE* p = ::popen(out.c_str(), "r");
            int lines = 0;
            if (p && std::fscanf(p, "%d", &lines) != 1) lines = 0;
            if (p) ::pclose(p);
            if (lines == 5) break;
        }
        state.PauseTiming();
        sim("shutdown");
        state.ResumeTiming();
    }
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_BootDeviceWithThreeApps)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond);

// One app process started and ended, as the daemon starts an app: its log,
// its connection as descriptor 3, and (argument 1) its role's walls, as the
// daemon keeps them (built once, checked against the folders they list, and
// entered), or (0) posix_spawn alone. The program is /usr/bin/true in the
// place of lumi_app, so the figure is the start itself with nothing of the
// app's own start-up: the walls' worst case in proportion.
void BM_SpawnApp(benchmark::State& state) {
    std::filesystem::path scratch = "/tmp/lumi-bench-spawn";
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch / "bin");
    std::filesystem::create_directories(scratch / "lib");
    std::filesystem::create_symlink("/usr/bin/true", scratch / "bin" / "lumi_app");
    fnd::prepareDeviceRoot(scratch / "device");
    fnd::setDeviceRoot(scratch / "device");
    fnd::createDirectory("/var/mobile/Containers/Data/Application/com.apple.camera/tmp", true);
    std::ofstream(fnd::hostPath("/var/log/system.log"));
    const fnd::AppInfo* camera = fnd::findApp("com.apple.camera");
    bool walls = state.range(0) == 1;
    if (walls && deviced::landlockAbi() < 1) {
        state.SkipWithError("the kernel has no Landlock");
        return;
    }
    std::string exe = (scratch / "bin" / "lumi_app").string(), log = (scratch / "app.log").string();
    std::vector<char*> envp{nullptr};
    int pair[2];
    ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair);
    deviced::SandboxCache sandboxes(scratch / "bin");
    for (auto _ : state) {
        const deviced::AppSandbox* box = walls ? sandboxes.forApp(*camera) : nullptr;
        auto pid = deviced::spawnProcess(exe, envp, log, pair[1], box);
        int status = 0;
        if (!pid || ::waitpid(*pid, &status, 0) != *pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the app did not start and end cleanly");
            break;
        }
    }
    ::close(pair[0]);
    ::close(pair[1]);
    std::filesystem::remove_all(scratch);
}
BENCHMARK(BM_SpawnApp)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Building one app's walls from nothing: what the daemon pays at an app's
// first start, and again after the folders the walls list have changed.
void BM_PrepareWalls(benchmark::State& state) {
    if (deviced::landlockAbi() < 1) {
        state.SkipWithError("the kernel has no Landlock");
        return;
    }
    std::filesystem::path scratch = "/tmp/lumi-bench-walls";
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch / "bin");
    fnd::prepareDeviceRoot(scratch / "device");
    fnd::setDeviceRoot(scratch / "device");
    fnd::createDirectory("/var/mobile/Containers/Data/Application/com.apple.camera/tmp", true);
    const fnd::AppInfo* camera = fnd::findApp("com.apple.camera");
    for (auto _ : state)
        benchmark::DoNotOptimize(deviced::AppSandbox::prepare(*camera, scratch / "bin"));
    std::filesystem::remove_all(scratch);
}
BENCHMARK(BM_PrepareWalls)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
