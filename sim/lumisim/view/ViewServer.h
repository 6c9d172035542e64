#pragma once
// The live viewer's web server (libwebsockets), on 127.0.0.1 only: the page
// (its three files, built into lumisim), and one WebSocket per viewer
// ("lumi-view"). Every viewer gets the latest status and the latest frame,
// each as soon as it can take it: a viewer that reads slowly skips frames
// rather than holding back the others or piling them up. What a viewer
// sends goes to the input callback, one message at a time.
//
// Only pages served from this server's own address may open the socket
// (the Origin and Host headers must name it), so that a web page elsewhere
// in the person's browser cannot drive the device.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct lws_context;
struct lws;

namespace lumisim::view {

struct Frame {
    std::string meta;                // JSON: width, height, scale, app
    std::vector<std::string> layers; // binary messages, each a layer byte and a PNG (none: cleared)
};

class ViewServer {
public:
    using OnInput = std::function<void(std::string message)>; // on the server's thread
    // Listening on 127.0.0.1:port (0: any free port); null, with the reason, when it cannot.
    static std::unique_ptr<ViewServer> start(int port, OnInput onInput, std::string& error);
    ~ViewServer();
    int port() const { return m_port; }

    // Thread-safe.
    void publishStatus(std::string json);
    void publishFrame(Frame frame);
    std::size_t viewerCount() const { return m_viewers.load(); }

private:
    ViewServer() = default;
    static int httpCallback(lws* wsi, int reason, void* user, void* in, std::size_t len);
    static int viewCallback(lws* wsi, int reason, void* user, void* in, std::size_t len);
    bool originAllowed(lws* wsi) const;
    bool hostAllowed(lws* wsi) const;
    void serve();

    struct Viewer;
    lws_context* m_context = nullptr;
    int m_port = 0;
    OnInput m_onInput;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<std::size_t> m_viewers{0};
    std::mutex m_lock; // what is published
    std::uint64_t m_statusGeneration = 0, m_frameGeneration = 0;
    std::shared_ptr<const std::string> m_status;
    std::shared_ptr<const Frame> m_frame;
};

} // namespace lumisim::view
