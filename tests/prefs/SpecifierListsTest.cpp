// The pane's specifier lists against the settings model: every key the
// tweak reads is on exactly one page, with the default the tweak uses, so
// the pane never shows a value the tweak would not act on.

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/PropertyList.h"
#include "tweak/core/Settings.h"

#include <gtest/gtest.h>
#include <map>

using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr const char* kLists[] = {"Root", "appearance", "behaviour", "albums"};

struct Found {
    std::string list;
    Dictionary item;
};

std::multimap<std::string, Found> settingItems() {
    fnd::setDeviceRoot("/");
    std::multimap<std::string, Found> out;
    for (const char* name : kLists) {
        auto list = fnd::readDictionaryFile(std::string(LCPREFS_RESOURCES) + "/" + name + ".plist");
        EXPECT_TRUE(list) << name;
        if (!list) continue;
        EXPECT_TRUE(fnd::valueForKey(*list, "title").string()) << name << " has a title";
        for (const Value& v : *fnd::valueForKey(*list, "items").array())
            if (const std::string* key = fnd::valueForKey(*v.dictionary(), "key").string())
                out.emplace(*key, Found{name, *v.dictionary()});
    }
    return out;
}

bool sameValue(const Value& a, const Value& b) {
    if (a.boolean() && b.boolean()) return *a.boolean() == *b.boolean();
    if (a.integer() && b.integer()) return *a.integer() == *b.integer();
    return false;
}

} // namespace

TEST(SpecifierLists, EveryKeyIsOnOnePageWithTheTweaksDefaultAndReachesRunningApps) {
    auto items = settingItems();
    std::vector<std::pair<std::string, Value>> model = lc::settingDefaults();
    ASSERT_EQ(model.size(), 45u) << "every key of the preference file";
    for (const auto& [key, fallback] : model) {
        ASSERT_EQ(items.count(key), 1u) << key << " is on one page";
        const Dictionary& item = items.find(key)->second.item;
        EXPECT_TRUE(sameValue(fnd::valueForKey(item, "default"), fallback)) << key << ": the pane's default";
        EXPECT_EQ(fnd::valueForKey(item, "defaults"), Value("com.zel.lumicrate12prefs")) << key;
        EXPECT_EQ(fnd::valueForKey(item, "PostNotification"), Value("com.zel.lumicrate12prefs/reloadPrefs")) << key;
        const std::string* label = fnd::valueForKey(item, "label").string();
        EXPECT_TRUE(label && !label->empty()) << key << " has a label";
    }
    EXPECT_EQ(items.size(), model.size()) << "no key the tweak does not read";
}

TEST(SpecifierLists, TheUnlockChoiceHasItsThreeValuesAndTheFontSizeIsANumber) {
    auto items = settingItems();
    const Dictionary& pass = items.find("passOption")->second.item;
    EXPECT_EQ(fnd::valueForKey(pass, "cell"), Value("PSLinkListCell"));
    EXPECT_EQ(fnd::valueForKey(pass, "validValues"), Value(fnd::Array{Value(0), Value(1), Value(2)}));
    EXPECT_EQ(fnd::valueForKey(pass, "validTitles").array()->size(), 3u);
    const Dictionary& size = items.find("layoutFontSize")->second.item;
    EXPECT_EQ(fnd::valueForKey(size, "cell"), Value("PSEditTextCell"));
    EXPECT_TRUE(fnd::valueForKey(size, "isNumeric").boolValue());

    // The root page reaches the other three, and its buttons name the pane's actions.
    auto root = fnd::readDictionaryFile(std::string(LCPREFS_RESOURCES) + "/Root.plist");
    ASSERT_TRUE(root);
    std::vector<std::string> details, actions;
    for (const Value& v : *fnd::valueForKey(*root, "items").array()) {
        if (const std::string* d = fnd::valueForKey(*v.dictionary(), "detail").string()) details.push_back(*d);
        if (const std::string* a = fnd::valueForKey(*v.dictionary(), "action").string()) actions.push_back(*a);
    }
    for (const char* page : {"LCAppearanceListController", "LCBehaviourListController", "LCAlbumsListController"})
        EXPECT_NE(std::find(details.begin(), details.end(), page), details.end()) << page;
    for (const char* action : {"setPassword", "sendEmail", "openProfile", "respring", "showTutorial"})
        EXPECT_NE(std::find(actions.begin(), actions.end(), action), actions.end()) << action;
}
