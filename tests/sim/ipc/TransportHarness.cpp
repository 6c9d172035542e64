#include "tests/sim/ipc/TransportHarness.h"

#include <filesystem>
#include <future>
#include <unistd.h>

namespace testsupport {

namespace {

class InProcessHarness final : public TransportHarness {
public:
    explicit InProcessHarness(dsp::RunLoop& main)
        : m_main(main) {}
    TestProcess connect(ipc::PeerIdentity identity) override {
        auto p = m_device.connect(identity, &m_main);
        TestProcess t{p.endpoint.get(), p.peer, identity};
        m_processes.push_back(std::move(p));
        return t;
    }
    void disconnect(TestProcess& t) override {
        for (auto& p : m_processes)
            if (p.peer == t.peer) m_device.disconnect(p);
    }
    ipc::Hub& hub() override { return m_device.hub(); }
    const char* name() const override { return "in-process"; }

private:
    dsp::RunLoop& m_main;
    ipc::InProcessDevice m_device;
    std::vector<ipc::InProcessDevice::Process> m_processes;
};

// The server trusts the identity a test connection claims in its hello: one
// test process plays several. The device daemon never does this; it takes
// identities from the processes it spawned.
class SocketHarness final : public TransportHarness {
public:
    explicit SocketHarness(dsp::RunLoop& main)
        : m_main(main) {
        char tmpl[] = "/tmp/lumi-ipc-XXXXXX";
        m_dir = ::mkdtemp(tmpl);
        m_path = m_dir + "/deviced.sock";
        std::promise<void> ready;
        m_thread = std::thread([this, &ready] {
            dsp::RunLoop loop;
            m_loop = &loop;
            ipc::SocketServer* self = nullptr;
            ipc::SocketServer server(
                loop, m_hub,
                [](ipc::SocketServer::ConnectionId, const fnd::Dictionary& hello) {
                    const auto* claim = fnd::valueForKey(hello, "claim").dictionary();
                    auto id = claim ? ipc::PeerIdentity::fromDictionary(*claim) : std::nullopt;
                    return id ? *id : ipc::PeerIdentity{};
                },
                // The device's own operations: "quit" drops the asker's own
                // connection from inside its handler; nothing else is known.
                [&self](ipc::SocketServer::ConnectionId id, const ipc::PeerIdentity&, const fnd::Dictionary& op) {
                    if (fnd::valueForKey(op, "op") != fnd::Value("quit")) return false;
                    self->drop(id);
                    return true;
                });
            self = &server;
            m_server = &server;
            bool ok = server.listen(m_path);
            ready.set_value();
            if (ok) loop.run();
            m_server = nullptr;
        });
        ready.get_future().wait();
    }
    ~SocketHarness() override {
        m_transports.clear();
        m_loop->post([loop = m_loop] { loop->stop(); });
        m_thread.join();
        std::filesystem::remove_all(m_dir);
    }
    TestProcess connect(ipc::PeerIdentity identity) override {
        auto t = ipc::SocketTransport::connect(m_path, m_main,
                                               fnd::Dictionary{{"claim", fnd::Value(identity.toDictionary())}});
        if (!t) throw std::runtime_error("cannot connect to the socket server");
        // The peer exists once the server has read the hello.
        std::optional<ipc::Hub::PeerId> peer;
        m_main.runUntil([&] { return (peer = m_hub.peerWithPid(identity.pid)).has_value(); }, std::chrono::seconds(10));
        if (!peer) throw std::runtime_error("the socket server never saw the hello");
        TestProcess p{&t->endpoint(), *peer, identity};
        m_transports.push_back(std::move(t));
        return p;
    }
    void disconnect(TestProcess& p) override {
        std::erase_if(m_transports, [&](auto& t) { return &t->endpoint() == p.endpoint; });
        m_main.runUntil([&] { return !m_hub.identity(p.peer); }, std::chrono::seconds(10));
    }
    ipc::Hub& hub() override { return m_hub; }
    const char* name() const override { return "socket"; }
    std::string socketPath() const override { return m_path; }

private:
    dsp::RunLoop& m_main;
    std::string m_dir, m_path;
    ipc::Hub m_hub;
    std::thread m_thread;
    dsp::RunLoop* m_loop = nullptr;
    ipc::SocketServer* m_server = nullptr;
    std::vector<std::unique_ptr<ipc::SocketTransport>> m_transports;
};

} // namespace

std::unique_ptr<TransportHarness> makeInProcessHarness(dsp::RunLoop& main) {
    return std::make_unique<InProcessHarness>(main);
}
std::unique_ptr<TransportHarness> makeSocketHarness(dsp::RunLoop& main) {
    return std::make_unique<SocketHarness>(main);
}

} // namespace testsupport
