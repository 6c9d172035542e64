#include "sim/uikit/Display.h"

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/Render.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIViewController.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstring>

namespace uikit::display {

using fnd::Dictionary;
using fnd::Value;
using namespace rt::literals;

namespace {

struct Watch {
    std::function<void()> onChange;
    std::optional<dsp::TimePoint> until; // none: no one watches
    std::optional<std::uint64_t> toldOf; // the digest of the last picture the viewer was told of
};
Watch g_watch;

void lookAtTheScreen() {
    dsp::RunLoop* main = dsp::RunLoop::main();
    if (!g_watch.until || !main) return;
    if (main->now() >= *g_watch.until) {
        g_watch.until.reset(); // the lease ran out: the viewer is gone or no longer looks here
        g_watch.toldOf.reset();
        return;
    }
    auto image = picture(false);
    std::uint64_t digest = image ? pictureDigest(*image) : 0;
    if (g_watch.toldOf == digest) return;
    g_watch.toldOf = digest;
    if (g_watch.onChange) g_watch.onChange();
}

Dictionary watchCommand(const Dictionary& request) {
    dsp::RunLoop* main = dsp::RunLoop::main();
    if (!main) return automation::failure("the app has no main loop");
    double seconds = fnd::valueForKey(request, "seconds").number().value_or(30);
    if (!(seconds >= 0 && seconds <= kLongestLeaseSeconds))
        return automation::failure("a watch lasts from 0 to 600 seconds");
    bool renewal = g_watch.until.has_value();
    g_watch.until = main->now() + dsp::seconds(seconds);
    // A new viewer hears of the screen at once; a renewal only of changes.
    if (!renewal) g_watch.toldOf.reset();
    return automation::success();
}

Dictionary frameCommand(const Dictionary& request) {
    bool presentedOnly = fnd::valueForKey(request, "presented-only").boolValue();
    auto image = picture(presentedOnly);
    if (!image) {
        if (presentedOnly) return automation::success({{"presented", Value(false)}});
        return automation::failure("the app has no key window");
    }
    auto png = image->pngBytes(gfx::Image::PngEncoding::Fast);
    if (!png) return automation::failure("the picture could not be encoded");
    const ScreenModel& model = screenModel();
    return automation::success({{"png", Value(fnd::Data(png->begin(), png->end()))},
                                {"presented", Value(presentedOnly)},
                                {"width", Value(model.size.width)},
                                {"height", Value(model.size.height)},
                                {"scale", Value(model.scale)}});
}

} // namespace

std::uint64_t pictureDigest(const gfx::Image& image) {
    cairo_surface_t* s = image.surface();
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s), height = cairo_image_surface_get_height(s);
    int width = cairo_image_surface_get_width(s);
    std::uint64_t h =
        1469598103934665603ull ^ (static_cast<std::uint64_t>(width) << 32 | static_cast<unsigned>(height));
    if (!data) return h;
    // FNV-1a over 8-byte words of each row's pixels (the stride's padding is not the picture's).
    std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = data + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
        std::size_t i = 0;
        for (; i + 8 <= rowBytes; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, row + i, 8);
            h = (h ^ word) * 1099511628211ull;
        }
        for (; i < rowBytes; ++i)
            h = (h ^ row[i]) * 1099511628211ull;
    }
    return h;
}

std::optional<gfx::Image> picture(bool presentedOnly) {
    rt::Ref<rt::Object> window = keyWindow();
    if (!window) return std::nullopt;
    double scale = screenModel().scale;
    if (!presentedOnly) return renderView(window.get(), scale);
    // The views of the controllers presented over the root, back to front.
    std::vector<rt::Ref<rt::Object>> views;
    UIViewController c = UIWindow(window).rootViewController();
    while ((c = c ? c.presentedViewController() : nullptr))
        views.push_back(rt::send<rt::Ref<rt::Object>>(c.get(), "view"_sel));
    if (views.empty()) return std::nullopt;
    gfx::CGRect bounds = rt::send<gfx::CGRect>(window, "bounds"_sel);
    auto page = gfx::Image::blank(std::max(1, static_cast<int>(std::ceil(bounds.size.width * scale))),
                                  std::max(1, static_cast<int>(std::ceil(bounds.size.height * scale))));
    if (!page) return std::nullopt;
    cairo_t* cr = cairo_create(page->surface());
    for (const auto& v : views) {
        gfx::Image layer = renderView(v.get(), scale);
        gfx::CGRect f = rt::send<gfx::CGRect>(v, "frame"_sel);
        cairo_set_source_surface(cr, layer.surface(), f.origin.x * scale, f.origin.y * scale);
        cairo_paint(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(page->surface());
    return page;
}

void install(std::function<void()> onChange) {
    g_watch.onChange = std::move(onChange);
    automation::addCommand("watch", watchCommand);
    automation::addCommand("frame", frameCommand);
    if (dsp::RunLoop* main = dsp::RunLoop::main()) main->addBeforeWaitingObserver(lookAtTheScreen);
}

} // namespace uikit::display
