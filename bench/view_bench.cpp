// What a live viewer costs the app it watches: at each spell of work the
// app draws its window and takes the picture's digest (BM_LookAtTheScreen)
// against drawing it alone (BM_DrawTheWindow, the floor); and what one
// frame the viewer fetches costs (BM_FrameForTheViewer: drawn and encoded
// as PNG). An iPhone 8's window (375 x 667 points at 2x) with a page of
// forty labels.

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/Display.h"
#include "sim/uikit/Render.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIView.h"

#include <benchmark/benchmark.h>

using rt::Ref;
using namespace rt::literals;

namespace {

struct Screen {
    dsp::RunLoop loop;
    Ref<rt::Object> window;
    Screen() {
        uikit::registerUIKit();
        dsp::RunLoop::setMain(&loop);
        window = uikit::makeView(gfx::CGRectMake(0, 0, 375, 667), rt::getClass("UIWindow"));
        auto root = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIViewController"), "new"_sel);
        rt::send(window, "setRootViewController:"_sel, root);
        rt::send(window, "makeKeyAndVisible"_sel);
        auto page = rt::send<Ref<rt::Object>>(root, "view"_sel);
        rt::send(page, "setBackgroundColor:"_sel,
                 rt::sendClass<Ref<rt::Object>>(rt::getClass("UIColor"), "whiteColor"_sel));
        for (int i = 0; i < 40; ++i) {
            auto l = uikit::makeView(gfx::CGRectMake(16, 16 + i * 16, 340, 14), rt::getClass("UILabel"));
            rt::send(l, "setText:"_sel, "Album " + std::to_string(i) + " \xe2\x80\x94 12 photos");
            rt::send(page, "addSubview:"_sel, l);
        }
    }
    static Screen& shared() {
        static Screen s;
        return s;
    }
};

void BM_DrawTheWindow(benchmark::State& state) {
    Screen& s = Screen::shared();
    for (auto _ : state)
        benchmark::DoNotOptimize(uikit::renderView(s.window.get(), uikit::screenModel().scale));
}
BENCHMARK(BM_DrawTheWindow)->Unit(benchmark::kMillisecond);

void BM_LookAtTheScreen(benchmark::State& state) {
    Screen::shared();
    for (auto _ : state) {
        auto picture = uikit::display::picture(false);
        benchmark::DoNotOptimize(uikit::display::pictureDigest(*picture));
    }
}
BENCHMARK(BM_LookAtTheScreen)->Unit(benchmark::kMillisecond);

void BM_FrameForTheViewer(benchmark::State& state) {
    Screen::shared();
    uikit::display::install(nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(uikit::automation::handle({{"command", fnd::Value("frame")}}));
}
BENCHMARK(BM_FrameForTheViewer)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
