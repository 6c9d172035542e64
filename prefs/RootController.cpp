// LCRootListController: the pane's first page, under the banner, with the
// "Respring" button in its bar.

#include "prefs/Pane.h"
#include "sim/foundation/Foundation.h"
#include "sim/graphics/UIImage.h"
#include "sim/uikit/UIScreen.h"

#include <cmath>

namespace lcprefs {

using prefs::PSListController;
using rt::Ref;
using namespace uikit;

int height = 0;

namespace {

rt::Class* g_root = nullptr;
constexpr long kUIBarButtonItemStyleDone = 1;
constexpr long kAspectFit = 1;
constexpr unsigned long kFlexibleWidth = 2;

Ref<rt::Object> init(rt::Id self, rt::Sel cmd) {
    auto me = rt::sendSuper<Ref<rt::Object>>(g_root, self, cmd);
    if (!me) return me;
    UIBarButtonItem respring = UIBarButtonItem::alloc().initWithTitle_style_target_action(
        "Respring", kUIBarButtonItemStyleDone, rt::NSObject(me), "respring"_sel);
    UIViewController(me).navigationItem().setRightBarButtonItem(respring);
    return me;
}

void viewDidLoad(rt::Id self, rt::Sel cmd) {
    rt::sendSuper(g_root, self, cmd);
    PSListController me{Ref<rt::Object>(self)};
    double width = std::trunc(screenModel().size.width);
    fnd::NSBundle bundle = fnd::NSBundle::bundleWithPath(kBundlePath);
    std::string path = bundle ? bundle.pathForResource_ofType("banner", "png") : "";
    UIImage banner = path.empty() ? UIImage() : UIImage::imageWithContentsOfFile(path);
    gfx::CGSize size = banner ? banner.size() : gfx::CGSize{};
    height = bannerHeight(width, size.width, size.height);
    UITableView table = me.table();
    UIImageView header = UIImageView::alloc().initWithImage(banner);
    header.setFrame({{0, 0}, {table.frame().size.width, static_cast<double>(height)}});
    header.setBackgroundColor(UIColor::clearColor());
    header.setContentMode(kAspectFit);
    header.setAutoresizingMask(kFlexibleWidth);
    table.setTableHeaderView(header);
}

void viewDidDisappear(rt::Id self, rt::Sel cmd, bool animated) {
    rt::sendSuper(g_root, self, cmd, animated);
    tintKeyWindow(false);
}

std::vector<Ref<rt::Object>> specifiers(rt::Id self, rt::Sel) {
    PSListController me{Ref<rt::Object>(self)};
    std::vector<prefs::PSSpecifier> stored = me._specifiers();
    if (stored.empty()) {
        stored = me.loadSpecifiersFromPlistName_target("Root", me);
        me.setSpecifiers(stored);
    }
    return {stored.begin(), stored.end()};
}

// SpringBoard's tutorial, where the process has SpringBoard's class (the
// Settings app has not: there the button does nothing).
void showTutorial(rt::Id, rt::Sel) {
    rt::Class* springboard = rt::getClass("SpringBoard");
    if (!springboard) return;
    UIApplication app = UIApplication::sharedApplication();
    if (app && app.isKindOfClass(springboard)) (void)rt::trySend(app.get(), "setupTutorial"_sel);
}

} // namespace

int bannerHeight(double width, double imageWidth, double imageHeight) {
    if (imageWidth <= 0 || imageHeight <= 0) return 0; // no image: an empty size
    return static_cast<int>(imageHeight / imageWidth * std::trunc(width));
}

void defineRootController() {
    g_root = rt::defineClass("LCRootListController", rt::getClass("LCBaseListController"));
    rt::addMethod<&init>(g_root, "init"_sel);
    rt::addMethod<&viewDidLoad>(g_root, "viewDidLoad"_sel);
    rt::addMethod<&viewDidDisappear>(g_root, "viewDidDisappear:"_sel);
    rt::addMethod<&specifiers>(g_root, "specifiers"_sel);
    rt::addMethod<&showTutorial>(g_root, "showTutorial"_sel, "v@:");
}

} // namespace lcprefs
