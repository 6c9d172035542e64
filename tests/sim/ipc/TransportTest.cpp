// What every process relies on from Darwin notifications and named messages,
// checked on both transports: delivery on the main thread once per post,
// coalescing for a suspended process, arrival order with the sender stamped,
// and loss without a server.

#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/SystemLog.h"
#include "sim/ipc/MessagingCenter.h"
#include "tests/sim/ipc/TransportHarness.h"

#include <gtest/gtest.h>
#include <thread>

using namespace ipc;
using namespace rt::literals;
using testsupport::TestProcess;

namespace {

ipc::PeerIdentity app(pid_t pid, const char* bundle, bool sandboxed = true) {
    return PeerIdentity{pid, std::string(bundle), sandboxed, false};
}
ipc::PeerIdentity springboard(pid_t pid) {
    return PeerIdentity{pid, std::string("com.apple.springboard"), false, true};
}

// A message handler: records what it was sent and by whom.
struct Received {
    std::string message;
    fnd::Dictionary userInfo;
    std::optional<PeerIdentity> sender;
};
std::vector<Received> g_received;
Endpoint* g_serverEndpoint = nullptr;
void handle(rt::Id, rt::Sel, std::string message, fnd::Dictionary info) {
    g_received.push_back({message, info, g_serverEndpoint->currentSender()});
}
rt::Ref<rt::Object> handler() {
    static rt::Class* cls = [] {
        rt::Class* c = rt::defineClass("LCTestMessageHandler");
        rt::addMethod<&handle>(c, "handleMessageNamed:withUserInfo:"_sel, "v@:@@");
        return c;
    }();
    return rt::createInstance(cls);
}

class Transport : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        dsp::RunLoop::setMain(&loop);
        harness = GetParam() ? testsupport::makeSocketHarness(loop) : testsupport::makeInProcessHarness(loop);
        g_received.clear();
    }
    void TearDown() override {
        harness.reset();
        dsp::RunLoop::setMain(nullptr);
    }
    // Runs the main loop until `done`, for at most ten seconds of real time.
    bool pump(const std::function<bool()>& done) { return loop.runUntil(done, std::chrono::seconds(10)); }
    // Lets everything in flight arrive: a round trip through the hub from
    // every process given.
    void settle(std::initializer_list<TestProcess*> processes) {
        static int round = 0;
        std::string name = "test.settle." + std::to_string(++round);
        int arrived = 0;
        std::vector<int> tokens;
        for (auto* p : processes)
            tokens.push_back(
                p->endpoint->addObserver(name, Suspension::DeliverImmediately, [&](const std::string&) { ++arrived; }));
        for (auto* p : processes)
            ASSERT_TRUE(pump([&] { return harness->hub().observes(p->peer, name); }));
        (*processes.begin())->endpoint->post(name);
        ASSERT_TRUE(pump([&] { return arrived == static_cast<int>(processes.size()); }));
        int i = 0;
        for (auto* p : processes)
            p->endpoint->removeObserver(tokens[i++]);
    }
    void observe(TestProcess& p, const std::string& name, Suspension s, int& count) {
        auto main = std::this_thread::get_id();
        p.endpoint->addObserver(name, s, [&count, main](const std::string&) {
            EXPECT_EQ(std::this_thread::get_id(), main) << "a callback ran off the main thread";
            ++count;
        });
        ASSERT_TRUE(pump([&] { return harness->hub().observes(p.peer, name); }));
    }

    dsp::RunLoop loop;
    std::unique_ptr<testsupport::TransportHarness> harness;
};

} // namespace

TEST_P(Transport, APostReachesEveryObserverOnceOnTheMainThread) {
    auto a = harness->connect(app(101, "com.apple.camera"));
    auto b = harness->connect(app(102, "com.apple.mobileslideshow"));
    auto c = harness->connect(springboard(103));
    int ca = 0, cb = 0, cc = 0, unrelated = 0;
    observe(a, "com.zel.lumicrate12prefs/reloadPrefs", Suspension::DeliverImmediately, ca);
    observe(b, "com.zel.lumicrate12prefs/reloadPrefs", Suspension::DeliverImmediately, cb);
    observe(c, "com.zel.lumicrate12prefs/reloadPrefs", Suspension::DeliverImmediately, cc);
    observe(c, "other.name", Suspension::DeliverImmediately, unrelated);

    c.endpoint->post("com.zel.lumicrate12prefs/reloadPrefs");
    ASSERT_TRUE(pump([&] { return ca == 1 && cb == 1 && cc == 1; }));
    a.endpoint->post("com.zel.lumicrate12prefs/reloadPrefs");
    ASSERT_TRUE(pump([&] { return ca == 2 && cb == 2 && cc == 2; }));
    settle({&a, &b, &c});
    EXPECT_EQ(ca, 2);
    EXPECT_EQ(cb, 2);
    EXPECT_EQ(unrelated, 0);
}

TEST_P(Transport, AnObserverRemovedHearsNothingMore) {
    auto a = harness->connect(app(111, "com.apple.camera"));
    int count = 0;
    int token = a.endpoint->addObserver("n", Suspension::DeliverImmediately, [&](const std::string&) { ++count; });
    ASSERT_TRUE(pump([&] { return harness->hub().observes(a.peer, "n"); }));
    a.endpoint->post("n");
    ASSERT_TRUE(pump([&] { return count == 1; }));
    a.endpoint->removeObserver(token);
    ASSERT_TRUE(pump([&] { return !harness->hub().observes(a.peer, "n"); }));
    a.endpoint->post("n");
    settle({&a});
    EXPECT_EQ(count, 1);
}

TEST_P(Transport, ASuspendedProcessGetsCoalescedPostsAsOneOnResumeAndImmediateOnesAtOnce) {
    auto photos = harness->connect(app(121, "com.apple.mobileslideshow"));
    auto sb = harness->connect(springboard(122));
    int auth = 0, prefs = 0, held = 0, dropped = 0;
    observe(photos, "com.zel.LCAuthenticate", Suspension::Coalesce, auth);
    observe(photos, "com.zel.lumicrate12prefs/reloadPrefs", Suspension::DeliverImmediately, prefs);
    observe(photos, "held", Suspension::Hold, held);
    observe(photos, "dropped", Suspension::Drop, dropped);

    harness->hub().setSuspended(photos.peer, true);
    for (int i = 0; i < 3; ++i) {
        sb.endpoint->post("com.zel.LCAuthenticate");
        sb.endpoint->post("com.zel.lumicrate12prefs/reloadPrefs");
        sb.endpoint->post("held");
        sb.endpoint->post("dropped");
    }
    ASSERT_TRUE(pump([&] { return prefs == 3; }));
    settle({&sb, &photos});
    EXPECT_EQ(auth, 0) << "a coalesced notification reached a suspended process";
    EXPECT_EQ(held, 0);

    harness->hub().setSuspended(photos.peer, false);
    ASSERT_TRUE(pump([&] { return auth == 1 && held == 3; }));
    settle({&sb, &photos});
    EXPECT_EQ(auth, 1) << "three posts while suspended must arrive as one";
    EXPECT_EQ(held, 3);
    EXPECT_EQ(dropped, 0);

    sb.endpoint->post("com.zel.LCAuthenticate"); // awake again: every post counts
    ASSERT_TRUE(pump([&] { return auth == 2; }));
}

TEST_P(Transport, MessagesReachTheServerInArrivalOrderStampedWithTheSender) {
    auto sb = harness->connect(springboard(131));
    auto camera = harness->connect(app(132, "com.apple.camera"));
    g_serverEndpoint = sb.endpoint;
    sb.endpoint->registerHandler("com.zel.lumicrate12", "savearray", handler(), "handleMessageNamed:withUserInfo:"_sel);
    sb.endpoint->runServer("com.zel.lumicrate12");
    ASSERT_TRUE(pump([&] { return sb.endpoint->isServing("com.zel.lumicrate12"); }));

    auto main = std::this_thread::get_id();
    for (int i = 0; i < 300; ++i)
        camera.endpoint->sendMessage("com.zel.lumicrate12", "savearray", fnd::Dictionary{{"seq", fnd::Value(i)}});
    ASSERT_TRUE(pump([&] { return g_received.size() == 300; }));
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(fnd::valueForKey(g_received[i].userInfo, "seq"), fnd::Value(i));
        ASSERT_TRUE(g_received[i].sender);
        EXPECT_EQ(g_received[i].sender->bundleIdentifier, "com.apple.camera");
        EXPECT_EQ(g_received[i].sender->pid, 132);
        EXPECT_TRUE(g_received[i].sender->sandboxed);
    }
    EXPECT_EQ(std::this_thread::get_id(), main);
    EXPECT_FALSE(sb.endpoint->currentSender()) << "the sender is known only inside a handler";
}

TEST_P(Transport, AMessageWhoseHandlerTheTargetCannotTakeIsDroppedWithOneLineAndTheServerCarriesOn) {
    auto sb = harness->connect(springboard(151));
    auto camera = harness->connect(app(152, "com.apple.camera"));
    g_serverEndpoint = sb.endpoint;
    std::vector<std::string> errors;
    fnd::LogSink previous = fnd::setLogSink([&errors](fnd::LogLevel level, const std::string& line) {
        if (level == fnd::LogLevel::Error) errors.push_back(line);
    });
    // A handler the class does not define, and one registered under the
    // wrong selector shape: neither may end the server's process.
    sb.endpoint->registerHandler("com.zel.lumicrate12", "authenticate", handler(), "authenticate:withUserInfo:"_sel);
    sb.endpoint->registerHandler("com.zel.lumicrate12", "count", handler(), "description"_sel);
    sb.endpoint->registerHandler("com.zel.lumicrate12", "savearray", handler(), "handleMessageNamed:withUserInfo:"_sel);
    sb.endpoint->runServer("com.zel.lumicrate12");
    ASSERT_TRUE(pump([&] { return sb.endpoint->isServing("com.zel.lumicrate12"); }));

    camera.endpoint->sendMessage("com.zel.lumicrate12", "authenticate", {{"controller", fnd::Value("x")}});
    camera.endpoint->sendMessage("com.zel.lumicrate12", "count", {});
    camera.endpoint->sendMessage("com.zel.lumicrate12", "savearray", {{"seq", fnd::Value(1)}});
    ASSERT_TRUE(pump([&] { return g_received.size() == 1; }));
    fnd::setLogSink(previous);
    EXPECT_EQ(g_received[0].message, "savearray");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("dropped \"authenticate\" to com.zel.lumicrate12: unrecognized selector: "
                             "-[LCTestMessageHandler authenticate:withUserInfo:]"),
              std::string::npos)
        << errors[0];
    EXPECT_NE(errors[1].find("dropped \"count\""), std::string::npos) << errors[1];
    EXPECT_NE(errors[1].find("signature mismatch"), std::string::npos) << errors[1];
}

TEST_P(Transport, AMessageWithoutAServerIsLostAndTheSenderIsNotTold) {
    auto sb = harness->connect(springboard(141));
    auto camera = harness->connect(app(142, "com.apple.camera"));
    g_serverEndpoint = sb.endpoint;
    sb.endpoint->registerHandler("com.zel.lumicrate12", "savearray", handler(), "handleMessageNamed:withUserInfo:"_sel);
    camera.endpoint->sendMessage("com.zel.lumicrate12", "savearray",
                                 fnd::Dictionary{{"seq", fnd::Value(1)}}); // nobody serves yet
    settle({&camera, &sb});
    sb.endpoint->runServer("com.zel.lumicrate12");
    ASSERT_TRUE(pump([&] { return sb.endpoint->isServing("com.zel.lumicrate12"); }));
    camera.endpoint->sendMessage("com.zel.lumicrate12", "savearray", fnd::Dictionary{{"seq", fnd::Value(2)}});
    camera.endpoint->sendMessage("com.zel.lumicrate12", "unknownName", {});
    ASSERT_TRUE(pump([&] { return !g_received.empty(); }));
    settle({&camera, &sb});
    ASSERT_EQ(g_received.size(), 1u) << "the message sent before the server ran was delivered later";
    EXPECT_EQ(fnd::valueForKey(g_received[0].userInfo, "seq"), fnd::Value(2));
}

TEST_P(Transport, OnlyASystemProcessMayServeANameAndOnlyOneAtATime) {
    auto camera = harness->connect(app(151, "com.apple.camera"));
    auto settings = harness->connect(app(152, "com.apple.Preferences", /*sandboxed=*/false));
    auto sb = harness->connect(springboard(153));
    auto sb2 = harness->connect(springboard(154));
    camera.endpoint->runServer("com.zel.lumicrate12");
    settings.endpoint->runServer("com.zel.lumicrate12");
    settle({&camera, &settings});
    EXPECT_FALSE(camera.endpoint->isServing("com.zel.lumicrate12"));
    EXPECT_FALSE(settings.endpoint->isServing("com.zel.lumicrate12"));
    EXPECT_FALSE(harness->hub().ownerOf("com.zel.lumicrate12"));

    sb.endpoint->runServer("com.zel.lumicrate12");
    ASSERT_TRUE(pump([&] { return sb.endpoint->isServing("com.zel.lumicrate12"); }));
    sb2.endpoint->runServer("com.zel.lumicrate12");
    settle({&sb2});
    EXPECT_FALSE(sb2.endpoint->isServing("com.zel.lumicrate12"));
    EXPECT_EQ(harness->hub().ownerOf("com.zel.lumicrate12"), sb.peer);

    harness->disconnect(sb); // the owner leaves: the name is free again
    EXPECT_FALSE(harness->hub().ownerOf("com.zel.lumicrate12"));
    sb2.endpoint->runServer("com.zel.lumicrate12");
    ASSERT_TRUE(pump([&] { return sb2.endpoint->isServing("com.zel.lumicrate12"); }));
}

TEST_P(Transport, TheMessagingCentreFaceNeedsTheBootstrapStepInASandbox) {
    auto sb = harness->connect(springboard(161));
    auto camera = harness->connect(app(162, "com.apple.camera"));
    g_serverEndpoint = sb.endpoint;
    Endpoint::setShared(sb.endpoint);
    auto server = MessagingCenter::centerNamed("com.zel.lumicrate12");
    rocketbootstrap_distributedmessagingcenter_apply(server.get());
    server->runServerOnCurrentThread();
    server->registerForMessageName("savearray", handler(), "handleMessageNamed:withUserInfo:"_sel);
    ASSERT_TRUE(pump([&] { return sb.endpoint->isServing("com.zel.lumicrate12"); }));

    Endpoint::setShared(camera.endpoint);
    fnd::setProcessIdentity({"com.apple.camera", true, "/var/mobile/Containers/Data/camera"});
    auto client = MessagingCenter::centerNamed("com.zel.lumicrate12");
    client->sendMessageName("savearray", {{"n", fnd::Value(1)}}); // refused by the sandbox
    rocketbootstrap_distributedmessagingcenter_apply(client.get());
    client->sendMessageName("savearray", {{"n", fnd::Value(2)}});
    ASSERT_TRUE(pump([&] { return !g_received.empty(); }));
    settle({&camera, &sb});
    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(fnd::valueForKey(g_received[0].userInfo, "n"), fnd::Value(2));
    Endpoint::setShared(nullptr);
}

INSTANTIATE_TEST_SUITE_P(BothTransports, Transport, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& i) { return i.param ? "Socket" : "InProcess"; });
