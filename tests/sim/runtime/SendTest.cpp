// Typed sends: nil receivers, argument conversions, super sends, blocks,
// the fatal errors of a wrong send, and sends from several threads at once.

#include "sim/runtime/Runtime.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <utility>
#include <vector>

using namespace rt;
using namespace rt::literals;

namespace {

struct Album : Object {
    using Object::Object;
    std::string title;
};

Ref<Album> makeAlbum(Class* cls, const std::string& title) {
    auto a = createInstance<Album>(cls);
    a->title = title;
    return a;
}

std::string titleOf(Album* self, Sel) { return self->title; }
std::string describeAlbum(Id, Sel, Ref<Album> album) { return album ? "album " + album->title : "none"; }
Ref<Album> echoAlbum(Id, Sel, Ref<Album> album) { return album; }
int answer(Id, Sel) { return 42; }
int childAnswer(Id self, Sel cmd);
Class* g_child = nullptr;
int childAnswer(Id self, Sel cmd) { return 1 + sendSuper<int>(g_child, self, cmd); }

void callWithYes(Id, Sel, Block<void(bool)> completion) { completion(true); }
int addAll(Id, Sel, int a, long long b, double c) { return a + static_cast<int>(b) + static_cast<int>(c); }

} // namespace

TEST(Send, MessagesToNilAnswerZeroFalseNilOrEmpty) {
    Id nil = nullptr;
    EXPECT_EQ(send<int>(nil, "count"_sel), 0);
    EXPECT_FALSE(send<bool>(nil, "isHidden"_sel));
    EXPECT_EQ(send<double>(nil, "alpha"_sel), 0.0);
    EXPECT_EQ(send<std::string>(nil, "title"_sel), "");
    EXPECT_EQ(send<Ref<Object>>(nil, "firstObject"_sel), nullptr);
    EXPECT_TRUE(send<std::vector<Ref<Object>>>(nil, "fetchedObjects"_sel).empty());
    send(nil, "doSomething:"_sel, 3); // goes nowhere
    Ref<Object> none;
    EXPECT_EQ(send<int>(none, "count"_sel), 0);
}

TEST(Send, ObjectArgumentsAndResultsKeepTheirTypesAcrossTheBoundary) {
    Class* cls = defineClass("LCAlbum", nullptr, &factoryOf<Album>);
    addMethod<&titleOf>(cls, "title"_sel);
    addMethod<&describeAlbum>(cls, "describe:"_sel);
    addMethod<&echoAlbum>(cls, "echo:"_sel);
    Ref<Album> trips = makeAlbum(cls, "Trips");
    EXPECT_EQ(send<std::string>(trips, "title"_sel), "Trips");
    // Ref<Album>, Ref<Object>, a raw pointer and nil all travel as "@".
    EXPECT_EQ(send<std::string>(trips, "describe:"_sel, trips), "album Trips");
    EXPECT_EQ(send<std::string>(trips, "describe:"_sel, Ref<Object>(trips)), "album Trips");
    EXPECT_EQ(send<std::string>(trips, "describe:"_sel, trips.get()), "album Trips");
    EXPECT_EQ(send<std::string>(trips, "describe:"_sel, nullptr), "none");
    Ref<Album> back = send<Ref<Album>>(trips, "echo:"_sel, trips);
    EXPECT_EQ(back.get(), trips.get());
    EXPECT_EQ(trips->retainCount(), 2); // no reference leaked by the conversions
}

TEST(Send, FundamentalArgumentsConvertOnlyWithinTheirEncoding) {
    Class* cls = defineClass("LCMath");
    addMethod<&addAll>(cls, "add:to:and:"_sel);
    auto obj = createInstance(cls);
    EXPECT_EQ(send<int>(obj, "add:to:and:"_sel, 1, 2LL, 3.0), 6);
    EXPECT_EQ(send<int>(obj, "add:to:and:"_sel, 1, 2L, 3.5), 6); // long and long long are both "q"
}

TEST(Send, SuperSendsReachTheSuperclassImplementation) {
    Class* parent = defineClass("LCParent");
    g_child = defineClass("LCChild", parent);
    addMethod<&answer>(parent, "answer"_sel);
    addMethod<&childAnswer>(g_child, "answer"_sel);
    EXPECT_EQ(send<int>(createInstance(g_child), "answer"_sel), 43);
    EXPECT_EQ(send<int>(createInstance(parent), "answer"_sel), 42);
}

TEST(Send, BlocksCrossTheBoundaryAndAnEmptyBlockDoesNothing) {
    Class* cls = defineClass("LCBlocks");
    addMethod<&callWithYes>(cls, "performWithCompletion:"_sel);
    auto obj = createInstance(cls);
    int calls = 0;
    bool got = false;
    send(obj, "performWithCompletion:"_sel, Block<void(bool)>([&](bool b) {
             ++calls;
             got = b;
         }));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(got);
    send(obj, "performWithCompletion:"_sel, Block<void(bool)>());
}

TEST(SendDeathTest, AnUnknownSelectorNamesTheClassTheSelectorAndTheEncoding) {
    Class* cls = defineClass("LCUnknown");
    auto obj = createInstance(cls);
    EXPECT_DEATH(send<int>(obj, "frobnicate:"_sel, 1),
                 "unrecognized selector: -\\[LCUnknown frobnicate:\\] sent to instance .*i@:i");
    EXPECT_DEATH(sendClass(cls, "frobnicate"_sel),
                 "unrecognized selector: \\+\\[LCUnknown frobnicate\\] sent to class");
}

TEST(SendDeathTest, AWrongSignatureNamesBothEncodingsInsteadOfCorruptingMemory) {
    Class* cls = defineClass("LCWrongSend", nullptr, &factoryOf<Album>);
    addMethod<&titleOf>(cls, "title"_sel);
    auto obj = createInstance(cls);
    EXPECT_DEATH(send<int>(obj, "title"_sel),
                 "signature mismatch: -\\[LCWrongSend title\\].*has @\"NSString\"@:, the call "
                 "site sends i@:");
    // A string where an album is expected.
    addMethod<&describeAlbum>(cls, "describe:"_sel);
    EXPECT_DEATH(send<std::string>(obj, "describe:"_sel, "Trips"), "call site sends "
                                                                   "@\"NSString\"@:@\"NSString\"");
}

namespace {
int readCount(Id, Sel, int x) { return x * 2; }
} // namespace

TEST(SendConcurrency, SendsFromManyThreadsWhileCachesFill) {
    Class* base = defineClass("LCThreadBase");
    // Many selectors, so that caches grow and are replaced while other threads probe them.
    std::vector<Sel> sels;
    for (int i = 0; i < 64; ++i) {
        sels.push_back(sel("m" + std::to_string(i) + ":"));
        addMethod<&readCount>(base, sels.back());
    }
    std::vector<Class*> subs;
    for (int i = 0; i < 4; ++i)
        subs.push_back(defineClass("LCThreadSub" + std::to_string(i), base));

    std::atomic<long> total{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            long sum = 0;
            for (int round = 0; round < 50; ++round) {
                for (Class* c : subs) {
                    auto obj = createInstance(c);
                    for (std::size_t i = 0; i < sels.size(); ++i)
                        sum += send<int>(obj, sels[(i + t) % sels.size()], 1);
                    sum += respondsTo(obj, "absent"_sel) ? 1000 : 0;
                }
            }
            total += sum;
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(total.load(), 4L * 50 * 4 * 64 * 2);
}

namespace {
int doubled(Id, Sel, int x) { return x * 2; }
constinit Orig<int(int)> g_stressOrig[200];
template <int I> int hookedDoubled(Id self, Sel cmd, int x) { return g_stressOrig[I](self, cmd, x); }
template <int... I> void hookEach(std::integer_sequence<int, I...>, const std::vector<Class*>& chain, Sel s) {
    (hookMessage<&hookedDoubled<I>>(chain[I + 1], s, &g_stressOrig[I]), ...);
}
} // namespace

// Each add (and each hook of an inherited method, which adds one) resets the
// selector's slot in the leaf class that other threads keep sending to; a
// send must never read the slot it checked a second time and find it empty.
TEST(SendConcurrency, SendsWhileMethodsAreAddedAndHookedAlongTheChain) {
    std::vector<Class*> chain{defineClass("LCResetBase")};
    Sel viaSel = sel("resetStress:");
    addMethod<&doubled>(chain[0], viaSel);
    addMethod<&doubled>(chain[0], "resetStressLiteral:"_sel);
    for (int i = 1; i <= 400; ++i)
        chain.push_back(defineClass("LCReset" + std::to_string(i), chain.back()));
    Ref<Object> leaf = createInstance(chain.back());

    std::atomic<bool> done{false};
    std::atomic<long> wrong{0}, sent{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 3; ++t)
        senders.emplace_back([&] {
            while (!done.load(std::memory_order_acquire)) {
                if (send<int>(leaf, viaSel, 3) != 6) ++wrong;
                if (send<int>(leaf, "resetStressLiteral:"_sel, 4) != 8) ++wrong;
                ++sent;
            }
        });
    while (sent.load() < 3)
        std::this_thread::yield();
    for (int i = 1; i < 200; ++i) // adds that shadow, one class down the chain at a time
        addMethod<&doubled>(chain[i], viaSel);
    hookEach(std::make_integer_sequence<int, 199>{}, chain, "resetStressLiteral:"_sel);
    for (int i = 200; i < 400; ++i)
        addMethod<&doubled>(chain[i], "resetStressLiteral:"_sel);
    done.store(true, std::memory_order_release);
    for (auto& th : senders)
        th.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GT(sent.load(), 0);
    EXPECT_EQ(send<int>(leaf, "resetStressLiteral:"_sel, 5), 10);
}

namespace {
std::string nameA(Id, Sel) { return "A"; }
std::string nameB(Id, Sel) { return "B"; }
} // namespace

TEST(Send, OneLiteralSentToObjectsOfManyClassesReachesEachClassesMethod) {
    Class* a = defineClass("LCPolyA");
    Class* b = defineClass("LCPolyB");
    Class* c = defineClass("LCPolyC", a); // inherits A's
    addMethod<&nameA>(a, "polyName"_sel);
    addMethod<&nameB>(b, "polyName"_sel);
    std::vector<Ref<Object>> objs{createInstance(a), createInstance(b), createInstance(c)};
    std::string seen;
    for (int round = 0; round < 3; ++round)
        for (auto& o : objs)
            seen += send<std::string>(o, "polyName"_sel); // one call site, three classes
    EXPECT_EQ(seen, "ABAABAABA");
    // The same literal through the Sel overload agrees.
    EXPECT_EQ(send<std::string>(objs[1].get(), sel("polyName")), "B");
}

TEST(CheckedSend, SaysWhyAMessageCannotBeSentAndSendsNothing) {
    Class* cls = defineClass("LCCheckedAlbum", nullptr, &factoryOf<Album>);
    addMethod<&titleOf>(cls, "title"_sel);
    addMethod<&answer>(cls, "answer"_sel);
    Ref<Album> album = makeAlbum(cls, "Trips");

    auto unknown = trySend(album, sel("authenticate:withUserInfo:"), std::string("authenticate"), 1);
    EXPECT_FALSE(unknown.ok());
    EXPECT_NE(unknown.error().find("unrecognized selector: -[LCCheckedAlbum authenticate:withUserInfo:]"),
              std::string::npos)
        << unknown.error();

    auto wrong = trySend<int>(album, sel("title"));
    EXPECT_FALSE(wrong.ok());
    EXPECT_NE(wrong.error().find("signature mismatch"), std::string::npos) << wrong.error();
    EXPECT_NE(wrong.error().find("@\"NSString\"@:"), std::string::npos) << wrong.error();

    auto right = trySend<std::string>(album, sel("title"));
    ASSERT_TRUE(right.ok()) << right.error();
    EXPECT_EQ(right.value(), "Trips");
    EXPECT_EQ(trySend<int>(album, "answer"_sel).value(), 42);
    // nil takes any message, as a plain send to nil does.
    EXPECT_TRUE(trySend<int>(Ref<Object>(), sel("anything")).ok());
}

TEST(Send, ASubclassSeesAMethodAddedToItsSuperclassAfterItsCallSiteCachedTheInheritedOne) {
    Class* base = defineClass("LCSlotBase");
    Class* mid = defineClass("LCSlotMid", base);
    Class* leaf = defineClass("LCSlotLeaf", mid);
    addMethod<&answer>(base, "answer"_sel);
    Ref<Object> obj = createInstance(leaf);
    auto ask = [&] { return send<int>(obj, "answer"_sel); }; // one call site, one inline cache
    EXPECT_EQ(ask(), 42);
    EXPECT_EQ(ask(), 42); // the cached slot
    addMethod<&childAnswer>(mid, "answer"_sel);
    g_child = mid;
    EXPECT_EQ(ask(), 43); // the slot was reset: mid's method, which calls base's
    EXPECT_EQ(send<int>(createInstance(base), "answer"_sel), 42);
}
