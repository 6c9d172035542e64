// The Preferences framework: specifier lists (garbage included), values
// read and written through the preference file, and the rows a person uses.

#include "sim/preferences/Preferences.h"

#include "sim/foundation/Files.h"
#include "sim/foundation/NSBundle.h"
#include "sim/foundation/PropertyList.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/UIView.h"
#include "tests/sim/uikit/MainLoopFixture.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

using rt::Ref;
using namespace rt::literals;
using fnd::Dictionary;
using fnd::Value;
using Objects = std::vector<Ref<rt::Object>>;

namespace {

int g_actions = 0;
void buttonAction(rt::Id, rt::Sel) { ++g_actions; }

Dictionary item(std::initializer_list<std::pair<const std::string, Value>> entries) { return Dictionary(entries); }

struct Preferences : uitest::MainLoopTest {
    testsupport::TempDeviceRoot root;
    Ref<rt::Object> page, window;

    void SetUp() override {
        MainLoopTest::SetUp();
        prefs::registerPreferences();
        fnd::createDirectory("/Library/PreferenceBundles/Test.bundle", true);
        Dictionary sw = item({{"cell", Value("PSSwitchCell")},
                              {"label", Value("Enabled")},
                              {"key", Value("enabled")},
                              {"defaults", Value("com.test.prefs")},
                              {"default", Value(true)}});
        Dictionary choice = item({{"cell", Value("PSLinkListCell")},
                                  {"label", Value("Mode")},
                                  {"key", Value("mode")},
                                  {"defaults", Value("com.test.prefs")},
                                  {"default", Value(0)},
                                  {"detail", Value("PSListItemsController")},
                                  {"validTitles", Value(fnd::Array{Value("Off"), Value("On")})},
                                  {"validValues", Value(fnd::Array{Value(0), Value(1)})}});
        Dictionary button = item({{"cell", Value("PSButtonCell")}, {"label", Value("Go")}, {"action", Value("go")}});
        fnd::writePlistFile(
            "/Library/PreferenceBundles/Test.bundle/Root.plist",
            Value(Dictionary{{"title", Value("Test")},
                             {"items", Value(fnd::Array{Value("not a row"), Value(sw), Value(choice), Value(button),
                                                        Value(item({{"cell", Value("PSNoSuchCell")},
                                                                    {"label", Value("Odd")}}))})}}));
        rt::Class* cls = rt::defineClass("TestListController", rt::getClass("PSListController"));
        rt::addMethod<&buttonAction>(cls, "go"_sel, "v@:");
        auto controller = rt::sendClass<Ref<rt::Object>>(cls, "new"_sel);
        rt::send(controller, "setBundle:"_sel, fnd::makeBundle("/Library/PreferenceBundles/Test.bundle"));
        auto specifiers =
            rt::send<Objects>(controller, "loadSpecifiersFromPlistName:target:"_sel, std::string("Root"), controller);
        rt::send(controller, "setSpecifiers:"_sel, specifiers);
        auto nav = rt::send<Ref<rt::Object>>(
            rt::sendClass<Ref<rt::Object>>(rt::getClass("UINavigationController"), "alloc"_sel),
            "initWithRootViewController:"_sel, controller);
        window = uikit::makeView(gfx::CGRectMake(0, 0, 375, 667), rt::getClass("UIWindow"));
        rt::send(window, "setRootViewController:"_sel, nav);
        rt::send(window, "makeKeyAndVisible"_sel);
        page = controller;
        loop.runFor(dsp::seconds(0.5));
    }
    bool tap(const std::string& label) {
        bool ok =
            fnd::valueForKey(uikit::automation::handle({{"command", Value("tap")}, {"label", Value(label)}}), "ok")
                .boolValue();
        loop.runFor(dsp::seconds(0.5));
        return ok;
    }
    Dictionary file() {
        return fnd::readDictionaryFile("/var/mobile/Library/Preferences/com.test.prefs.plist").value_or(Dictionary{});
    }
};

} // namespace

TEST_F(Preferences, AListSkipsWhatIsNoRowAndShowsUnknownKindsAsText) {
    auto specifiers = rt::send<Objects>(page, "specifiers"_sel);
    ASSERT_EQ(specifiers.size(), 4u) << "the string item is no row";
    EXPECT_EQ(rt::send<long>(specifiers[0], "cellType"_sel), prefs::PSSwitchCell);
    EXPECT_EQ(rt::send<long>(specifiers[3], "cellType"_sel), prefs::PSStaticTextCell);
    EXPECT_EQ(rt::send<std::string>(page, "title"_sel), "Test");
    EXPECT_TRUE(
        rt::send<Objects>(page, "loadSpecifiersFromPlistName:target:"_sel, std::string("Missing"), page).empty());
    fnd::writeTextFileAtomically("/Library/PreferenceBundles/Test.bundle/Broken.plist", "<plist><dict><key>items");
    EXPECT_TRUE(
        rt::send<Objects>(page, "loadSpecifiersFromPlistName:target:"_sel, std::string("Broken"), page).empty());
    fnd::writePlistFile("/Library/PreferenceBundles/Test.bundle/Odd.plist",
                        Value(Dictionary{{"items", Value("none")}}));
    EXPECT_TRUE(rt::send<Objects>(page, "loadSpecifiersFromPlistName:target:"_sel, std::string("Odd"), page).empty());
}

TEST_F(Preferences, AValueIsItsDefaultUntilASwitchWritesTheFileItsSpecifierNames) {
    auto specifiers = rt::send<Objects>(page, "specifiers"_sel);
    EXPECT_EQ(rt::send<Value>(page, "readPreferenceValue:"_sel, specifiers[0]), Value(true));
    ASSERT_TRUE(tap("Enabled switch"));
    EXPECT_EQ(fnd::valueForKey(file(), "enabled"), Value(false));
    EXPECT_EQ(rt::send<Value>(page, "readPreferenceValue:"_sel, specifiers[0]), Value(false));
    ASSERT_TRUE(tap("Enabled switch"));
    EXPECT_EQ(fnd::valueForKey(file(), "enabled"), Value(true));
}

TEST_F(Preferences, AChoiceIsPickedOnItsOwnPageAndAButtonSendsItsAction) {
    ASSERT_TRUE(tap("Mode"));
    auto top =
        rt::send<Ref<rt::Object>>(rt::send<Ref<rt::Object>>(page, "navigationController"_sel), "topViewController"_sel);
    ASSERT_EQ(rt::className(top.get()), "PSListItemsController");
    ASSERT_TRUE(tap("On"));
    EXPECT_EQ(fnd::valueForKey(file(), "mode"), Value(1));
    auto items = rt::send<Objects>(top, "specifiers"_sel);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(rt::send<Value>(items[1], "propertyForKey:"_sel, std::string("checked")).boolValue());
    ASSERT_TRUE(tap("\u2039 Test"));
    ASSERT_TRUE(tap("Go"));
    EXPECT_EQ(g_actions, 1);
}
