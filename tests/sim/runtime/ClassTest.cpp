// Classes, metaclasses, instances and lookups by name.

#include "sim/runtime/Runtime.h"

#include <gtest/gtest.h>

using namespace rt;
using namespace rt::literals;

namespace {

struct Counter : Object {
    using Object::Object;
    int value = 0;
    static int live;
    ~Counter() override { --live; }
};
int Counter::live = 0;
Object* makeCounter(Class* c) {
    ++Counter::live;
    return new Counter(c);
}

int valueOf(Counter* self, Sel) { return self->value; }
void setValue(Counter* self, Sel, int v) { self->value = v; }
std::string kindName(Id, Sel) { return "base"; }
std::string classGreeting(Id self, Sel) { return "class " + static_cast<Class*>(self)->name(); }

} // namespace

TEST(Class, LookupByNameIsNullForAClassTheProcessLacks) {
    EXPECT_EQ(getClass("PUAlbumListViewController"), nullptr);
    Class* c = defineClass("LCThing");
    EXPECT_EQ(getClass("LCThing"), c);
    EXPECT_EQ(getClass("LCThing"), c); // twice: the registry is stable
    EXPECT_EQ(c->name(), "LCThing");
    EXPECT_EQ(c->superclass(), rootClass());
    EXPECT_EQ(rootClass()->name(), "NSObject");
}

TEST(Class, MetaclassHoldsClassMethodsAndChainsLikeObjC) {
    Class* base = defineClass("LCBase");
    Class* sub = defineClass("LCSub", base);
    EXPECT_TRUE(objectGetClass(base)->isMetaclass());
    EXPECT_EQ(objectGetClass(sub)->superclass(), objectGetClass(base));
    // The root metaclass inherits from the root class, so class objects answer
    // NSObject's instance methods.
    EXPECT_EQ(objectGetClass(rootClass())->superclass(), rootClass());

    ASSERT_TRUE(addMethod<&classGreeting>(objectGetClass(base), "greeting"_sel));
    EXPECT_EQ(sendClass<std::string>(base, "greeting"_sel), "class LCBase");
    EXPECT_EQ(sendClass<std::string>(sub, "greeting"_sel), "class LCSub"); // inherited class method
    EXPECT_FALSE(respondsTo(createInstance(base).get(), "greeting"_sel));  // not an instance method
    EXPECT_TRUE(respondsTo(base, "respondsToSelector:"_sel));
}

TEST(Class, InstancesComeFromTheInheritedFactoryAndDieWithTheLastReference) {
    Class* base = defineClass("LCCounter", nullptr, &makeCounter);
    Class* sub = defineClass("LCSubCounter", base); // a class made at run time, no factory of its own
    addMethod<&valueOf>(base, "value"_sel);
    addMethod<&setValue>(base, "setValue:"_sel);
    {
        Ref<Object> obj = sendClass<Ref<Object>>(sub, "new"_sel);
        EXPECT_EQ(Counter::live, 1);
        EXPECT_EQ(obj->isa(), sub);
        EXPECT_EQ(className(obj), "LCSubCounter");
        send(obj, "setValue:"_sel, 41);
        EXPECT_EQ(send<int>(obj, "value"_sel), 41);
        EXPECT_EQ(refCast<Counter>(obj)->value, 41);
        Ref<Object> second = obj;
        EXPECT_EQ(obj->retainCount(), 2);
    }
    EXPECT_EQ(Counter::live, 0);
}

TEST(Class, KindAndResponseQueries) {
    Class* base = defineClass("LCKindBase");
    Class* sub = defineClass("LCKindSub", base);
    Class* other = defineClass("LCKindOther");
    addMethod<&kindName>(base, "kindName"_sel);
    auto obj = createInstance(sub);
    EXPECT_TRUE(isKindOf(obj, sub));
    EXPECT_TRUE(isKindOf(obj, base));
    EXPECT_TRUE(isKindOf(obj, rootClass()));
    EXPECT_FALSE(isKindOf(obj, other));
    EXPECT_FALSE(isKindOf(nullptr, base));
    EXPECT_TRUE(send<bool>(obj, "isKindOfClass:"_sel, base));
    EXPECT_TRUE(respondsTo(obj, "kindName"_sel));
    EXPECT_TRUE(respondsTo(obj, "kindName"_sel)); // a cache hit answers the same
    EXPECT_FALSE(respondsTo(obj, "noSuchThing"_sel));
    EXPECT_FALSE(respondsTo(obj, "noSuchThing"_sel)); // negative entry cached
    EXPECT_TRUE(send<bool>(obj, "respondsToSelector:"_sel, sel("kindName")));
    EXPECT_EQ(send<Class*>(obj, "class"_sel), sub);
    EXPECT_EQ(sendClass<Class*>(sub, "class"_sel), sub);
}

TEST(Class, AssociatedValuesAreKeptAndReleasedWithTheirObject) {
    Class* holder = defineClass("LCHolder");
    Class* counter = defineClass("LCAssocCounter", nullptr, &makeCounter);
    static const char key = 0;
    {
        auto obj = createInstance(holder);
        obj->setAssociated(&key, createInstance(counter));
        EXPECT_EQ(Counter::live, 1);
        EXPECT_EQ(className(obj->associated(&key)), "LCAssocCounter");
        obj->setAssociated(&key, nullptr);
        EXPECT_EQ(Counter::live, 0);
        obj->setAssociated(&key, createInstance(counter));
    }
    EXPECT_EQ(Counter::live, 0);
}

TEST(ClassDeathTest, DefiningANameTwiceIsFatal) {
    defineClass("LCTwice");
    EXPECT_DEATH(defineClass("LCTwice"), "class 'LCTwice' is defined twice");
}
