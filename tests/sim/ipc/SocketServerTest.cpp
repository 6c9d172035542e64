// The device socket against peers that misbehave: no hello, garbage, a lying
// length, an unknown operation, frames cut at every byte. A bad peer is
// dropped; everyone else carries on.

#include "sim/ipc/Frame.h"
#include "tests/sim/ipc/TransportHarness.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace ipc;

namespace {

int rawConnect(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// True when the server has closed the connection (read gives end of stream).
bool closedByServer(dsp::RunLoop& loop, int fd) {
    bool closed = false;
    loop.runUntil(
        [&] {
            char c;
            ssize_t n = ::recv(fd, &c, 1, MSG_DONTWAIT);
            closed = n == 0;
            return closed;
        },
        std::chrono::seconds(10));
    return closed;
}

std::string frame(const fnd::Dictionary& d) { return *encodeFrame(d); }

class SocketPeers : public testing::Test {
protected:
    void SetUp() override {
        dsp::RunLoop::setMain(&loop);
        harness = testsupport::makeSocketHarness(loop);
        good = harness->connect(PeerIdentity{900, std::string("com.apple.camera"), true, false});
        good.endpoint->addObserver("alive", Suspension::DeliverImmediately, [this](const std::string&) { ++alive; });
        ASSERT_TRUE(
            loop.runUntil([&] { return harness->hub().observes(good.peer, "alive"); }, std::chrono::seconds(10)));
    }
    void TearDown() override {
        harness.reset();
        dsp::RunLoop::setMain(nullptr);
    }
    // The well-behaved peer still gets its notifications.
    void expectGoodPeerServed() {
        int before = alive;
        good.endpoint->post("alive");
        EXPECT_TRUE(loop.runUntil([&] { return alive == before + 1; }, std::chrono::seconds(10)));
    }
    dsp::RunLoop loop;
    std::unique_ptr<testsupport::TransportHarness> harness;
    testsupport::TestProcess good;
    int alive = 0;
};

} // namespace

TEST_F(SocketPeers, APeerThatSkipsHelloIsDropped) {
    int fd = rawConnect(harness->socketPath());
    writeAll(fd, frame({{"op", fnd::Value("post")}, {"name", fnd::Value("alive")}}));
    EXPECT_TRUE(closedByServer(loop, fd));
    ::close(fd);
    expectGoodPeerServed();
    EXPECT_EQ(alive, 1) << "the dropped peer's post was acted on";
}

TEST_F(SocketPeers, GarbageALyingLengthAndUnknownOperationsDropOnlyThatPeer) {
    const std::string hello = frame({{"op", fnd::Value("hello")}});
    const std::string cases[] = {
        std::string("\x00\x00\x00\x05hello", 9),                         // not a plist
        std::string("\x7f\xff\xff\xff", 4),                              // larger than any frame
        std::string("\x00\x00\x00\x00", 4),                              // empty frame
        frame({{"op", fnd::Value("frobnicate")}}),                       // unknown operation
        frame({{"op", fnd::Value("observe")}, {"name", fnd::Value(3)}}), // wrong field type
        frame({{"op", fnd::Value("send")},
               {"center", fnd::Value("c")},
               {"message", fnd::Value("m")},
               {"userInfo", fnd::Value("not a dictionary")}}),
    };
    for (const auto& bad : cases) {
        int fd = rawConnect(harness->socketPath());
        writeAll(fd, hello + bad);
        EXPECT_TRUE(closedByServer(loop, fd));
        ::close(fd);
        expectGoodPeerServed();
    }
}

TEST_F(SocketPeers, FramesCutAtEveryByteAreReassembled) {
    int fd = rawConnect(harness->socketPath());
    std::string stream = frame({{"op", fnd::Value("hello")}}) +
                         frame({{"op", fnd::Value("post")}, {"name", fnd::Value("alive")}}) +
                         frame({{"op", fnd::Value("post")}, {"name", fnd::Value("alive")}});
    for (char c : stream) {
        writeAll(fd, std::string_view(&c, 1));
        loop.runUntilIdle();
    }
    EXPECT_TRUE(loop.runUntil([&] { return alive == 2; }, std::chrono::seconds(10)));
    ::close(fd);
}

TEST_F(SocketPeers, APeerThatHangsUpIsForgotten) {
    std::size_t before = harness->hub().peerCount();
    int fd = rawConnect(harness->socketPath());
    writeAll(fd, frame({{"op", fnd::Value("hello")}}));
    EXPECT_TRUE(loop.runUntil([&] { return harness->hub().peerCount() == before + 1; }, std::chrono::seconds(10)));
    ::close(fd);
    EXPECT_TRUE(loop.runUntil([&] { return harness->hub().peerCount() == before; }, std::chrono::seconds(10)));
    expectGoodPeerServed();
}

TEST(FrameReader, RandomChunkingAndFuzzedStreamsNeverCrashOrInventFrames) {
    std::mt19937 rng(7);
    std::string stream;
    for (int i = 0; i < 50; ++i)
        stream += *encodeFrame({{"op", fnd::Value("post")}, {"name", fnd::Value("n" + std::to_string(i))}});
    FrameReader r;
    std::size_t pos = 0;
    int frames = 0;
    while (pos < stream.size()) {
        std::size_t n = std::min<std::size_t>(1 + rng() % 40, stream.size() - pos);
        ASSERT_TRUE(r.append(std::string_view(stream).substr(pos, n)));
        pos += n;
        while (auto f = r.next()) {
            EXPECT_EQ(fnd::valueForKey(*f, "name"), fnd::Value("n" + std::to_string(frames)));
            ++frames;
        }
    }
    EXPECT_EQ(frames, 50);

    for (int i = 0; i < 2000; ++i) {
        std::string s = stream.substr(0, 200);
        for (int k = 0; k < 3; ++k)
            s[rng() % s.size()] = static_cast<char>(rng());
        FrameReader fuzz;
        fuzz.append(s);
        while (fuzz.next()) {
        }
    }
}

TEST_F(SocketPeers, AHandlerThatDropsItsOwnConnectionEndsItAndTheFramesQueuedBehindItAreNotHandled) {
    int fd = rawConnect(harness->socketPath());
    // One write, so that all three frames are parsed before any is handled.
    writeAll(fd, frame({{"op", fnd::Value("hello")}}) + frame({{"op", fnd::Value("quit")}}) +
                     frame({{"op", fnd::Value("post")}, {"name", fnd::Value("alive")}}));
    EXPECT_TRUE(closedByServer(loop, fd));
    ::close(fd);
    expectGoodPeerServed();
    EXPECT_EQ(alive, 1) << "a frame queued behind the drop was handled";
}

TEST_F(SocketPeers, PartialFramesFromManyPeersCannotExhaustTheServerThePeersPastTheCapAreDropped) {
    // Each peer announces a frame of 15 MiB (the most the server takes from a
    // peer) and sends 512 KiB of it: 300 of them would hold 150 MiB; the
    // server holds at most 64 MiB for all.
    const std::string hello = frame({{"op", fnd::Value("hello")}});
    const std::string header("\x00\xF0\x00\x00", 4);
    const std::string part(512u << 10, 'x');
    std::vector<int> peers;
    for (int i = 0; i < 300; ++i) {
        int fd = rawConnect(harness->socketPath());
        ASSERT_GE(fd, 0);
        writeAll(fd, hello + header + part);
        peers.push_back(fd);
    }
    expectGoodPeerServed();
    int dropped = 0;
    for (int fd : peers) {
        char c;
        // A dropped peer reads the end of the stream; a kept one has nothing to read.
        loop.runUntil([&] { return ::recv(fd, &c, 1, MSG_DONTWAIT | MSG_PEEK) == 0; }, std::chrono::milliseconds(20));
        dropped += ::recv(fd, &c, 1, MSG_DONTWAIT) == 0;
        ::close(fd);
    }
    EXPECT_GE(dropped, 300 - static_cast<int>(SocketServer::kMaxBufferedInput / part.size()));
    EXPECT_LT(dropped, 300) << "peers within the cap are kept";
    expectGoodPeerServed();
}
