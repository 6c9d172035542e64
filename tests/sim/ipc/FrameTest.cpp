// Frames on the device socket: an app's reader skips a frame it cannot read
// and goes on (a peer's message never ends the app); the daemon's reader
// fails on one (that peer is dropped); and what the daemon takes from a peer
// still reads at the app's end once the sender's record is added.

#include "sim/ipc/Frame.h"

#include "sim/ipc/PeerIdentity.h"

#include <gtest/gtest.h>

using fnd::Dictionary;
using fnd::Value;
using ipc::FrameReader;

namespace {

std::string rawFrame(const Value& root) {
    auto body = fnd::serializeBinary(root).value();
    std::string f;
    for (int shift = 24; shift >= 0; shift -= 8)
        f += static_cast<char>((body.size() >> shift) & 0xFF);
    return f + body;
}

} // namespace

TEST(Frames, AnAppSkipsAFrameItCannotReadTheDaemonDropsThePeerThatSentIt) {
    std::string stream = rawFrame(Value(Dictionary{{"op", Value("one")}})) +
                         rawFrame(Value(fnd::Array{Value("not a dictionary")})) +
                         rawFrame(Value(Dictionary{{"op", Value("two")}}));
    FrameReader app(ipc::kFrameLimits, FrameReader::OnUnreadable::Skip);
    EXPECT_TRUE(app.append(stream));
    EXPECT_EQ(fnd::valueForKey(app.next().value(), "op"), Value("one"));
    EXPECT_EQ(fnd::valueForKey(app.next().value(), "op"), Value("two"));
    EXPECT_EQ(app.skipped(), 1u);

    FrameReader daemon(ipc::kInboundFrameLimits);
    EXPECT_FALSE(daemon.append(stream));
    EXPECT_TRUE(daemon.failed());
}

// The largest message the daemon takes, forwarded with the sender's record,
// is one the receiving app reads.
TEST(Frames, TheLargestMessageTheDaemonTakesStillReadsOnceItsSenderIsAdded) {
    fnd::Array titles;
    for (std::size_t i = 0; i + 10 < ipc::kInboundFrameLimits.maxNodes; ++i)
        titles.push_back(Value(std::string(1, static_cast<char>('a' + i % 26))));
    Dictionary sent{{"op", Value("send")}, {"userInfo", Value(Dictionary{{"array", Value(titles)}})}};
    FrameReader daemon(ipc::kInboundFrameLimits);
    ASSERT_TRUE(daemon.append(rawFrame(Value(sent))));
    Dictionary taken = daemon.next().value();

    ipc::PeerIdentity sender{412, std::string("com.apple.camera"), true, false};
    Dictionary forwarded{{"op", Value("message")},
                         {"center", Value("com.zel.lumicrate12")},
                         {"message", Value("savearray")},
                         {"userInfo", fnd::valueForKey(taken, "userInfo")},
                         {"sender", Value(sender.toDictionary())}};
    auto frame = ipc::encodeFrame(forwarded);
    ASSERT_TRUE(frame);
    FrameReader app(ipc::kFrameLimits, FrameReader::OnUnreadable::Skip);
    ASSERT_TRUE(app.append(*frame));
    EXPECT_TRUE(app.next()) << "read, not skipped";
    EXPECT_EQ(app.skipped(), 0u);
}
