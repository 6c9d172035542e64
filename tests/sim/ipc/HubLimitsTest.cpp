// What one peer may hold in the hub: names past 4096 bytes, more names than
// its share, one name observed past 1,024 times, and more centres than its
// share are refused; the peer is kept, and each cap it meets is logged once.

#include "sim/foundation/SystemLog.h"
#include "sim/ipc/Hub.h"
#include "sim/ipc/Operations.h"

#include <gtest/gtest.h>

using fnd::Dictionary;
using fnd::Value;
using ipc::Hub;

namespace {

struct HubLimits : ::testing::Test {
    Hub hub;
    std::vector<Dictionary> delivered;
    std::vector<std::string> errors;
    fnd::LogSink previous;
    Hub::PeerId attacker = 0, springboard = 0;

    void SetUp() override {
        previous = fnd::setLogSink([this](fnd::LogLevel level, const std::string& line) {
            if (level == fnd::LogLevel::Error) errors.push_back(line);
        });
        attacker = hub.addPeer({412, std::string("com.apple.camera"), true, false},
                               [this](const Dictionary& op) { delivered.push_back(op); });
        springboard = hub.addPeer({101, std::string("com.apple.springboard"), false, true}, [](const Dictionary&) {});
    }
    void TearDown() override { fnd::setLogSink(previous); }

    bool observe(Hub::PeerId peer, const std::string& name) {
        return hub.handle(
            peer, {{ipc::op::kKey, Value(ipc::op::kObserve)}, {"name", Value(name)}, {"behavior", Value("immediate")}});
    }
    std::size_t notified(const std::string& name) {
        delivered.clear();
        hub.handle(springboard, {{ipc::op::kKey, Value(ipc::op::kPost)}, {"name", Value(name)}});
        return delivered.size();
    }
};

} // namespace

TEST_F(HubLimits, NamesPastTheirSizeOrShareAreRefusedAndThePeerIsKept) {
    std::string huge(Hub::kMaxNameBytes + 1, 'n');
    EXPECT_TRUE(observe(attacker, huge)) << "refused, not dropped";
    EXPECT_FALSE(hub.observes(attacker, huge));

    // Names of 4 KiB: the byte share (1 MiB) runs out at 256 of them.
    std::size_t kept = 0;
    for (int i = 0; i < 400; ++i) {
        std::string name = std::to_string(i) + std::string(Hub::kMaxNameBytes - 8, 'x');
        ASSERT_TRUE(observe(attacker, name));
        kept += hub.observes(attacker, name);
    }
    EXPECT_EQ(kept, Hub::kMaxObservedBytes / Hub::kMaxNameBytes);
    EXPECT_FALSE(hub.observes(attacker, "com.zel.lumicrate12prefs/reloadPrefs")) << "nothing more";

    // Unobserving gives the share back.
    hub.handle(attacker, {{ipc::op::kKey, Value(ipc::op::kUnobserve)},
                          {"name", Value("0" + std::string(Hub::kMaxNameBytes - 8, 'x'))},
                          {"behavior", Value("immediate")}});
    EXPECT_TRUE(observe(attacker, "com.zel.lumicrate12prefs/reloadPrefs"));
    EXPECT_EQ(notified("com.zel.lumicrate12prefs/reloadPrefs"), 1u);

    ASSERT_EQ(errors.size(), 2u) << "one line per cap met";
    EXPECT_NE(errors[0].find("refused an observation of a name past 4096 bytes from pid 412 (com.apple.camera)"),
              std::string::npos)
        << errors[0];
    EXPECT_NE(errors[1].find("observations past its share of names"), std::string::npos) << errors[1];
}

TEST_F(HubLimits, OneNameObservedPastItsCountAndCentresPastTheShareAreRefused) {
    for (int i = 0; i < 5000; ++i)
        ASSERT_TRUE(observe(attacker, "com.example.name"));
    EXPECT_EQ(notified("com.example.name"), 1u) << "delivered once per post, whatever the count";

    std::size_t served = 0;
    std::vector<Dictionary> answers;
    Hub::PeerId system = hub.addPeer({102, std::string("com.apple.springboard"), false, true},
                                     [&](const Dictionary& op) { answers.push_back(op); });
    for (int i = 0; i < 100; ++i)
        hub.handle(system, {{ipc::op::kKey, Value(ipc::op::kRegister)}, {"center", Value("c" + std::to_string(i))}});
    for (const auto& a : answers)
        served += fnd::valueForKey(a, "ok").boolValue();
    EXPECT_EQ(served, Hub::kMaxCentres);
    EXPECT_EQ(hub.centres().size(), Hub::kMaxCentres);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("more observations of one name"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("registrations past its share of centres"), std::string::npos) << errors[1];
}
