// The cost of a message send against the C++ calls it stands in for, and of
// a hooked send that calls its previous implementation.

#include "bench/runtime_baseline.h"
#include "sim/runtime/Runtime.h"

#include <benchmark/benchmark.h>
#include <functional>
#include <memory>

using namespace rt;
using namespace rt::literals;

namespace {

struct Box : Object {
    using Object::Object;
    int side = 3;
};
int boxArea(Box* self, Sel, int scale) { return self->side * self->side * scale; }

Orig<int(int)> g_orig;
int hookedArea(Id self, Sel cmd, int scale) { return g_orig(self, cmd, scale) + 1; }

Class* boxClass() {
    static Class* c = [] {
        Class* cls = defineClass("BenchBox", nullptr, &factoryOf<Box>);
        addMethod<&boxArea>(cls, "area:"_sel);
        Class* hooked = defineClass("BenchHookedBox", nullptr, &factoryOf<Box>);
        addMethod<&boxArea>(hooked, "area:"_sel);
        hookMessage<&hookedArea>(hooked, "area:"_sel, &g_orig);
        return cls;
    }();
    return c;
}

void BM_VirtualCall(benchmark::State& state) {
    std::unique_ptr<Shape> s = makeSquare();
    Shape* p = s.get();
    benchmark::DoNotOptimize(p);
    int scale = 2;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scale);
        benchmark::DoNotOptimize(p->area(scale));
    }
}
BENCHMARK(BM_VirtualCall);

void BM_StdFunctionCall(benchmark::State& state) {
    int side = 3;
    std::function<int(int)> f = [&side](int scale) { return side * side * scale; };
    benchmark::DoNotOptimize(f);
    int scale = 2;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scale);
        benchmark::DoNotOptimize(f(scale));
    }
}
BENCHMARK(BM_StdFunctionCall);

// `send<int>(obj, "area:"_sel, 2)` in a loop, to an instance of `cls`.
[[gnu::always_inline]] inline void measureAreaSend(benchmark::State& state, Class* cls) {
    auto box = createInstance(cls);
    Id obj = box.get();
    benchmark::DoNotOptimize(obj);
    int scale = 2;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scale);
        benchmark::DoNotOptimize(send<int>(obj, "area:"_sel, scale));
    }
}

void BM_CachedSend(benchmark::State& state) { measureAreaSend(state, boxClass()); }
BENCHMARK(BM_CachedSend);

void BM_HookedSendWithOriginal(benchmark::State& state) {
    boxClass();
    measureAreaSend(state, getClass("BenchHookedBox"));
}
BENCHMARK(BM_HookedSendWithOriginal);

void BM_ClassLookupByName(benchmark::State& state) {
    boxClass();
    for (auto _ : state)
        benchmark::DoNotOptimize(getClass("BenchHookedBox"));
}
BENCHMARK(BM_ClassLookupByName);

} // namespace

BENCHMARK_MAIN();
