#include "sim/apps/host/Views.h"

#include "sim/uikit/UIScreen.h"

namespace apps::views {

using rt::Ref;
using namespace rt::literals;

Ref<rt::Object> box(gfx::CGRect frame, uikit::Rgba colour, const char* cls) {
    auto v = uikit::makeView(frame, cls ? rt::getClass(cls) : nullptr);
    rt::send(v, "setBackgroundColor:"_sel, uikit::makeColor(colour));
    return v;
}

Ref<rt::Object> label(gfx::CGRect frame, const std::string& text, double pointSize, uikit::Rgba colour, long alignment,
                      bool bold) {
    auto l = uikit::makeView(frame, rt::getClass("UILabel"));
    rt::send(l, "setText:"_sel, text);
    rt::send(l, "setFont:"_sel,
             rt::sendClass<Ref<rt::Object>>(rt::getClass("UIFont"),
                                            bold ? "boldSystemFontOfSize:"_sel : "systemFontOfSize:"_sel, pointSize));
    rt::send(l, "setTextColor:"_sel, uikit::makeColor(colour));
    rt::send(l, "setTextAlignment:"_sel, alignment);
    return l;
}

void onTap(const Ref<rt::Object>& view, const Ref<rt::Object>& target, const char* action) {
    auto tap =
        rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UITapGestureRecognizer"), "alloc"_sel),
                                  "initWithTarget:action:"_sel, target, rt::sel(action));
    rt::send(view, "addGestureRecognizer:"_sel, tap);
    rt::send(view, "setUserInteractionEnabled:"_sel, true);
}

void add(const Ref<rt::Object>& parent, const Ref<rt::Object>& child) { rt::send(parent, "addSubview:"_sel, child); }

void round(const Ref<rt::Object>& view, double radius, bool clip) {
    rt::send(rt::send<Ref<rt::Object>>(view, "layer"_sel), "setCornerRadius:"_sel, radius);
    if (clip) rt::send(view, "setClipsToBounds:"_sel, true);
}

Ref<rt::Object> collectionView(gfx::CGRect frame, const Flow& flow, const char* cellClass) {
    auto layout = rt::sendClass<Ref<rt::Object>>(rt::getClass("UICollectionViewFlowLayout"), "new"_sel);
    rt::send(layout, "setItemSize:"_sel, flow.itemSize);
    rt::send(layout, "setMinimumLineSpacing:"_sel, flow.lineSpacing);
    rt::send(layout, "setMinimumInteritemSpacing:"_sel, flow.interitemSpacing);
    rt::send(layout, "setScrollDirection:"_sel, flow.direction);
    auto cv = rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UICollectionView"), "alloc"_sel),
                                        "initWithFrame:collectionViewLayout:"_sel, frame, layout);
    rt::send(cv, "registerClass:forCellWithReuseIdentifier:"_sel, rt::getClass(cellClass), std::string(cellClass));
    return cv;
}

Ref<rt::Object> showWindow(const Ref<rt::Object>& rootController) {
    auto window = uikit::makeView({{0, 0}, uikit::screenModel().size}, rt::getClass("UIWindow"));
    rt::send(window, "setRootViewController:"_sel, rootController);
    rt::send(window, "makeKeyAndVisible"_sel);
    return window;
}

} // namespace apps::views
