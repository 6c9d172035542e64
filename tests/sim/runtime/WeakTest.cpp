// Zeroing weak references: what delegates and gesture targets are held by.

#include "sim/runtime/Weak.h"

#include "sim/runtime/Runtime.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace rt;

namespace {
Class* thing() {
    static Class* c = defineClass("WeakTestThing");
    return c;
}
} // namespace

TEST(Weak, LoadsTheObjectWhileItLivesAndNullOnceItIsGone) {
    Ref<Object> obj = createInstance(thing());
    Weak<Object> a(obj), b;
    b = a; // a copy is a reference of its own
    EXPECT_EQ(a.load().get(), obj.get());
    EXPECT_EQ(b.load().get(), obj.get());
    EXPECT_EQ(obj->retainCount(), 1) << "a weak reference does not retain";
    obj = nullptr;
    EXPECT_EQ(a.load(), nullptr);
    EXPECT_EQ(b.load(), nullptr);
}

TEST(Weak, ReassignedOrDestroyedSlotsLeaveNoTraceBehind) {
    Ref<Object> first = createInstance(thing()), second = createInstance(thing());
    Weak<Object> w(first);
    w = second.get();
    first = nullptr; // must not touch the slot, which names `second` now
    EXPECT_EQ(w.load().get(), second.get());
    { Weak<Object> scoped(second); }
    second = nullptr; // the destroyed slot must not be written
    EXPECT_EQ(w.load(), nullptr);
}

TEST(Weak, ALoadRacingTheLastReleaseGetsTheObjectAliveOrNothing) {
    for (int round = 0; round < 200; ++round) {
        Ref<Object> obj = createInstance(thing());
        Weak<Object> w(obj);
        std::thread loader([&w] {
            for (int i = 0; i < 100; ++i) {
                if (Ref<Object> strong = w.load()) {
                    EXPECT_GT(strong->retainCount(), 0);
                }
            }
        });
        obj = nullptr;
        loader.join();
        EXPECT_EQ(w.load(), nullptr);
    }
}
