// Replacing methods while keeping the previous implementation, and adding
// methods: the contracts a tweak builds on.

#include "sim/runtime/Runtime.h"

#include <gtest/gtest.h>

using namespace rt;
using namespace rt::literals;

namespace {

std::string baseTitle(Id, Sel) { return "base"; }
std::string subTitle(Id, Sel) { return "sub"; }

Orig<std::string()> g_orig1;
Orig<std::string()> g_orig2;
Orig<std::string()> g_origSuper;

std::string hookA(Id self, Sel cmd) { return "A(" + (g_orig1 ? g_orig1(self, cmd) : "-") + ")"; }
std::string hookB(Id self, Sel cmd) { return "B(" + (g_orig2 ? g_orig2(self, cmd) : "-") + ")"; }
std::string hookSuper(Id self, Sel cmd) { return "S(" + g_origSuper(self, cmd) + ")"; }

int plusOne(Id, Sel, int x) { return x + 1; }
void takesIntAndString(Id, Sel, int, std::string) {}
bool takesBool(Id, Sel, bool b) { return b; }

} // namespace

TEST(Hook, ReplacingKeepsThePreviousImplementationForTheHook) {
    Class* c = defineClass("LCHookReplace");
    addMethod<&baseTitle>(c, "title"_sel);
    auto obj = createInstance(c);
    EXPECT_EQ(send<std::string>(obj, "title"_sel), "base"); // warms the cache first
    ASSERT_TRUE(hookMessage<&hookA>(c, "title"_sel, &g_orig1));
    EXPECT_TRUE(static_cast<bool>(g_orig1));
    // A hook installed after the first dispatch takes effect at once, and the
    // second lookup (a cache hit) agrees with the first.
    EXPECT_EQ(send<std::string>(obj, "title"_sel), "A(base)");
    EXPECT_EQ(send<std::string>(obj, "title"_sel), "A(base)");
}

TEST(Hook, HookingTwiceChainsTheSecondOverTheFirst) {
    Class* c = defineClass("LCHookChain");
    addMethod<&baseTitle>(c, "title"_sel);
    ASSERT_TRUE(hookMessage<&hookA>(c, "title"_sel, &g_orig1));
    ASSERT_TRUE(hookMessage<&hookB>(c, "title"_sel, &g_orig2));
    EXPECT_EQ(send<std::string>(createInstance(c), "title"_sel), "B(A(base))");
}

TEST(Hook, HookingAnInheritedMethodLeavesTheSuperclassUntouched) {
    Class* base = defineClass("LCInhBase");
    Class* sub = defineClass("LCInhSub", base);
    addMethod<&baseTitle>(base, "title"_sel);
    auto b = createInstance(base);
    auto s = createInstance(sub);
    EXPECT_EQ(send<std::string>(s, "title"_sel), "base"); // the subclass cached the inherited entry

    ASSERT_TRUE(hookMessage<&hookA>(sub, "title"_sel, &g_orig1));
    EXPECT_EQ(send<std::string>(s, "title"_sel), "A(base)");
    EXPECT_EQ(send<std::string>(s, "title"_sel), "A(base)");
    EXPECT_EQ(send<std::string>(b, "title"_sel), "base");
    EXPECT_EQ(send<std::string>(b, "title"_sel), "base");

    // The slot reaches the superclass's behaviour as it is when called, so a
    // later hook of the superclass is seen through it.
    ASSERT_TRUE(hookMessage<&hookSuper>(base, "title"_sel, &g_origSuper));
    EXPECT_EQ(send<std::string>(b, "title"_sel), "S(base)");
    EXPECT_EQ(send<std::string>(s, "title"_sel), "A(S(base))");
}

TEST(Hook, MissingClassOrMethodIsSkippedAndTheSlotStaysEmpty) {
    Orig<std::string()> slot;
    EXPECT_FALSE(hookMessage<&hookA>(getClass("CAMBottomBar"), "title"_sel, &slot));
    EXPECT_FALSE(static_cast<bool>(slot));
    Class* c = defineClass("LCHookNoMethod");
    EXPECT_FALSE(hookMessage<&hookA>(c, "title"_sel, &slot));
    EXPECT_FALSE(static_cast<bool>(slot));
    EXPECT_FALSE(respondsTo(createInstance(c), "title"_sel));
    EXPECT_EQ(slot(nullptr, "title"_sel), ""); // an empty slot answers as nil would
}

TEST(Hook, AddRefusesAnExistingMethodAndShadowsAnInheritedOne) {
    Class* base = defineClass("LCAddBase");
    Class* sub = defineClass("LCAddSub", base);
    ASSERT_TRUE(addMethod<&baseTitle>(base, "title"_sel));
    EXPECT_FALSE(addMethod<&subTitle>(base, "title"_sel));
    auto s = createInstance(sub);
    auto b = createInstance(base);
    EXPECT_EQ(send<std::string>(s, "title"_sel), "base");
    EXPECT_EQ(send<std::string>(b, "title"_sel), "base"); // after the refusal, the old one stays

    ASSERT_TRUE(addMethod<&subTitle>(sub, "title"_sel)); // shadows: the cached entry must go stale
    EXPECT_EQ(send<std::string>(s, "title"_sel), "sub");
    EXPECT_EQ(send<std::string>(s, "title"_sel), "sub");
    EXPECT_EQ(send<std::string>(b, "title"_sel), "base");
}

TEST(Hook, AddFillsASelectorThatWasCachedAsAbsent) {
    Class* c = defineClass("LCAddLate");
    auto obj = createInstance(c);
    EXPECT_FALSE(respondsTo(obj, "movePhoto"_sel));
    ASSERT_TRUE(addMethod<&baseTitle>(c, "movePhoto"_sel));
    EXPECT_TRUE(respondsTo(obj, "movePhoto"_sel));
}

TEST(Hook, TypeStringsMatchingTheImplementationAreAccepted) {
    Class* c = defineClass("LCTypes");
    EXPECT_TRUE(addMethod<&takesIntAndString>(c, "unlockAlbum:withAlbum:"_sel, "v@:i@"));
    EXPECT_TRUE(addMethod<&takesBool>(c, "returnSelectedPhotos:"_sel, "B@:B"));
    EXPECT_TRUE(addMethod<&plusOne>(c, "requestPassword:"_sel, "i@:i"));
    EXPECT_EQ(send<int>(createInstance(c), "requestPassword:"_sel, 4), 5);
}

TEST(HookDeathTest, AWrongTypeStringFailsLoudlyNamingBothEncodings) {
    Class* c = defineClass("LCWrongTypes");
    EXPECT_DEATH(addMethod<&takesIntAndString>(c, "unlockAlbum:withAlbum:"_sel, "v@:@"),
                 "LCWrongTypes unlockAlbum:withAlbum:.*\"v@:@\".*\"v@:i@\"");
}

TEST(HookDeathTest, AReplacementWithAnotherSignatureIsFatal) {
    Class* c = defineClass("LCHookWrongSig");
    addMethod<&baseTitle>(c, "title"_sel);
    static Orig<int(int)> slot;
    EXPECT_DEATH(hookMessage<&plusOne>(c, "title"_sel, &slot),
                 "hook of -\\[LCHookWrongSig title\\].*i@:i.*@\"NSString\"@:");
}

TEST(Hook, TheMethodListIsTheClassesOwnWithTheCurrentImplementations) {
    Class* base = defineClass("LCListBase");
    addMethod<&baseTitle>(base, "title"_sel);
    Class* sub = defineClass("LCListSub", base);
    addMethod<&plusOne>(sub, "next:"_sel);
    addMethod<&takesBool>(sub, "answer:"_sel);
    addMethod<&baseTitle>(sub->metaclass(), "classTitle"_sel);
    auto names = [](Class* c) {
        std::vector<std::string> out;
        for (const auto& m : copyMethodList(c))
            out.push_back(m.sel->name + " " + m.signature->reduced);
        return out;
    };
    // Inherited methods are not listed; class methods are the metaclass's.
    EXPECT_EQ(names(sub), (std::vector<std::string>{"answer: B@:B", "next: i@:i"}));
    EXPECT_EQ(names(sub->metaclass()), (std::vector<std::string>{"classTitle @@:"}));
    EXPECT_TRUE(copyMethodList(nullptr).empty());
    // A hook shows as the implementation, in the class that was hooked.
    static Orig<std::string()> orig;
    ASSERT_TRUE(hookMessage<&subTitle>(base, "title"_sel, &orig));
    auto list = copyMethodList(base);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].imp, reinterpret_cast<ErasedImp>(ImpTraits<&subTitle>::erased()));
}
