// SpringBoard's stock launch: the home screen, one icon per app.

#include "sim/apps/springboard/SpringBoard.h"

#include "sim/foundation/AppCatalog.h"
#include "tests/sim/apps/PhotosAppFixture.h"

using namespace photostest;

namespace {
int g_launches = 0;
rt::Orig<void(Ref<rt::Object>)> g_stockLaunch;
void launchHook(rt::Id self, rt::Sel cmd, Ref<rt::Object> app) {
    g_stockLaunch(self, cmd, app);
    ++g_launches; // after the stock method, as a tweak's server start would be
}
} // namespace

using SpringBoard = PhotosApp;

TEST_F(SpringBoard, FinishingLaunchPutsUpTheHomeScreenWithEveryOtherApp) {
    rt::Class* cls = apps::registerApplicationClasses("com.apple.springboard");
    springboard::registerClasses();
    ASSERT_TRUE(rt::hookMessage<&launchHook>(cls, "applicationDidFinishLaunching:"_sel, &g_stockLaunch));
    app = rt::sendClass<Ref<rt::Object>>(cls, "new"_sel);
    launch();
    EXPECT_EQ(g_launches, 1);
    for (const auto& info : fnd::installedApps()) {
        auto found = ui({{"command", fnd::Value("find")},
                         {"label", fnd::Value(info.displayName)},
                         {"class", fnd::Value("SBIconView")}});
        EXPECT_EQ(fnd::valueForKey(found, "ok").boolValue(), info.bundleIdentifier != fnd::kSpringBoard)
            << info.displayName;
    }
    EXPECT_TRUE(tap("Camera")) << "no device to ask: the tap is only logged";
}
