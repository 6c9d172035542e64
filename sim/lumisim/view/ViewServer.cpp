#include "sim/lumisim/view/ViewServer.h"

#include "sim/lumisim/view/PageAssets.h"
#include "sim/lumisim/view/ViewInput.h"

#include <cstdio>
#include <cstring>
#include <libwebsockets.h>
#include <map>

namespace lumisim::view {

// What the server knows of one viewer (its thread only).
struct ViewServer::Viewer {
    std::uint64_t statusSent = 0, frameSent = 0;
    std::shared_ptr<const Frame> sending; // the frame being sent, message by message
    std::size_t nextLayer = 0;
    bool metaSent = false;
    std::string incoming;  // a message arriving in fragments
    bool overlong = false; // the message arriving is past kLongestInput: dropped whole
};

namespace {

struct HttpSession {
    const PageAsset* asset;
    bool headersSent;
};

// Per-context: the server, and its viewers by connection.
struct Context {
    ViewServer* server;
    std::map<lws*, std::shared_ptr<void>> viewers;
};

std::string header(lws* wsi, lws_token_indexes token) {
    int n = lws_hdr_total_length(wsi, token);
    if (n <= 0 || n > 1024) return {};
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    if (lws_hdr_copy(wsi, out.data(), n + 1, token) < 0) return {};
    out.resize(static_cast<std::size_t>(n));
    return out;
}

void logLine(int level, const char* line) {
    if (level & LLL_ERR) std::fprintf(stderr, "lumisim view: %s", line);
}

// The page's headers: nothing from elsewhere may run in it or be fetched by it.
constexpr const char* kPolicy = "default-src 'self'; img-src 'self' blob:; connect-src 'self'; "
                                "style-src 'self'; script-src 'self'; frame-ancestors 'none'";

} // namespace

bool ViewServer::hostAllowed(lws* wsi) const {
    std::string host = header(wsi, WSI_TOKEN_HOST), port = ":" + std::to_string(m_port);
    return host == "127.0.0.1" + port || host == "localhost" + port;
}

bool ViewServer::originAllowed(lws* wsi) const {
    std::string origin = header(wsi, WSI_TOKEN_ORIGIN), port = ":" + std::to_string(m_port);
    return origin == "http://127.0.0.1" + port || origin == "http://localhost" + port;
}

int ViewServer::httpCallback(lws* wsi, int reason, void* user, void* in, std::size_t) {
    auto* ctx = static_cast<Context*>(lws_context_user(lws_get_context(wsi)));
    auto* session = static_cast<HttpSession*>(user);
    switch (reason) {
    case LWS_CALLBACK_HTTP: {
        std::string path = in ? static_cast<const char*>(in) : "";
        if (path.empty()) path = "/";
        const PageAsset* asset = nullptr;
        for (const auto& a : pageAssets())
            if (a.path == path || (a.path == "/" && path == "/index.html")) asset = &a;
        if (!ctx->server->hostAllowed(wsi)) {
            if (lws_return_http_status(wsi, HTTP_STATUS_FORBIDDEN, nullptr)) return -1;
            return lws_http_transaction_completed(wsi) ? -1 : 0;
        }
        if (!asset) {
            if (lws_return_http_status(wsi, HTTP_STATUS_NOT_FOUND, nullptr)) return -1;
            return lws_http_transaction_completed(wsi) ? -1 : 0;
        }
        session->asset = asset;
        unsigned char buffer[LWS_PRE + 2048];
        unsigned char *start = buffer + LWS_PRE, *p = start, *end = buffer + sizeof buffer;
        if (lws_add_http_common_headers(wsi, HTTP_STATUS_OK, std::string(asset->type).c_str(), asset->body.size(), &p,
                                        end) ||
            lws_add_http_header_by_name(wsi, reinterpret_cast<const unsigned char*>("content-security-policy:"),
                                        reinterpret_cast<const unsigned char*>(kPolicy),
                                        static_cast<int>(std::strlen(kPolicy)), &p, end) ||
            lws_add_http_header_by_name(wsi, reinterpret_cast<const unsigned char*>("x-content-type-options:"),
                                        reinterpret_cast<const unsigned char*>("nosniff"), 7, &p, end) ||
            lws_add_http_header_by_name(wsi, reinterpret_cast<const unsigned char*>("referrer-policy:"),
                                        reinterpret_cast<const unsigned char*>("no-referrer"), 11, &p, end) ||
            lws_add_http_header_by_name(wsi, reinterpret_cast<const unsigned char*>("cache-control:"),
                                        reinterpret_cast<const unsigned char*>("no-store"), 8, &p, end) ||
            lws_finalize_write_http_header(wsi, start, &p, end))
            return 1;
        lws_callback_on_writable(wsi);
        return 0;
    }
    case LWS_CALLBACK_HTTP_WRITEABLE: {
        if (!session || !session->asset) break;
        std::string body(LWS_PRE, '\0');
        body += session->asset->body;
        session->asset = nullptr;
        if (lws_write(wsi, reinterpret_cast<unsigned char*>(body.data()) + LWS_PRE, body.size() - LWS_PRE,
                      LWS_WRITE_HTTP_FINAL) < 0)
            return 1;
        return lws_http_transaction_completed(wsi) ? -1 : 0;
    }
    default:
        break;
    }
    return lws_callback_http_dummy(wsi, static_cast<lws_callback_reasons>(reason), user, in, 0);
}

int ViewServer::viewCallback(lws* wsi, int reason, void*, void* in, std::size_t len) {
    auto* ctx = static_cast<Context*>(lws_context_user(lws_get_context(wsi)));
    ViewServer* self = ctx->server;
    auto viewerOf = [&]() -> Viewer* {
        auto it = ctx->viewers.find(wsi);
        return it == ctx->viewers.end() ? nullptr : static_cast<Viewer*>(it->second.get());
    };
    switch (reason) {
    case LWS_CALLBACK_FILTER_PROTOCOL_CONNECTION:
        // Nonzero refuses the connection before it is one.
        return self->hostAllowed(wsi) && self->originAllowed(wsi) ? 0 : 1;
    case LWS_CALLBACK_ESTABLISHED:
        ctx->viewers[wsi] = std::make_shared<Viewer>();
        ++self->m_viewers;
        lws_callback_on_writable(wsi);
        return 0;
    case LWS_CALLBACK_CLOSED:
        if (ctx->viewers.erase(wsi)) --self->m_viewers;
        return 0;
    case LWS_CALLBACK_EVENT_WAIT_CANCELLED:
        // Something was published: every viewer is asked whether it can take it.
        lws_callback_on_writable_all_protocol(lws_get_context(wsi), lws_get_protocol(wsi));
        return 0;
    case LWS_CALLBACK_RECEIVE: {
        Viewer* v = viewerOf();
        if (!v) return 0;
        if (lws_frame_is_binary(wsi))
            v->overlong = true; // the page speaks text; binary is dropped whole
        else if (!v->overlong) {
            if (v->incoming.size() + len > kLongestInput) {
                v->overlong = true;
                v->incoming.clear();
            } else
                v->incoming.append(static_cast<const char*>(in), len);
        }
        if (lws_is_final_fragment(wsi) && !lws_remaining_packet_payload(wsi)) {
            if (!v->overlong && self->m_onInput) self->m_onInput(std::move(v->incoming));
            v->incoming.clear();
            v->overlong = false;
        }
        return 0;
    }
    case LWS_CALLBACK_SERVER_WRITEABLE: {
        Viewer* v = viewerOf();
        if (!v) return 0;
        std::shared_ptr<const std::string> status;
        std::uint64_t statusGeneration = 0;
        {
            std::lock_guard guard(self->m_lock);
            if (!v->sending && v->frameSent != self->m_frameGeneration && self->m_frame) {
                v->sending = self->m_frame;
                v->frameSent = self->m_frameGeneration;
                v->nextLayer = 0;
                v->metaSent = false;
            }
            if (v->statusSent != self->m_statusGeneration) {
                status = self->m_status;
                statusGeneration = self->m_statusGeneration;
            }
        }
        // One message per callback: the status first, then a frame's parts in order.
        std::string message;
        lws_write_protocol kind = LWS_WRITE_TEXT;
        if (status) {
            message = *status;
            v->statusSent = statusGeneration;
        } else if (v->sending && !v->metaSent) {
            message = v->sending->meta;
            v->metaSent = true;
        } else if (v->sending && v->nextLayer < v->sending->layers.size()) {
            message = v->sending->layers[v->nextLayer++];
            kind = LWS_WRITE_BINARY;
        } else {
            v->sending.reset();
            return 0;
        }
        if (v->sending && v->metaSent && v->nextLayer >= v->sending->layers.size()) v->sending.reset();
        std::string buffer(LWS_PRE, '\0');
        buffer += message;
        if (lws_write(wsi, reinterpret_cast<unsigned char*>(buffer.data()) + LWS_PRE, message.size(), kind) <
            static_cast<int>(message.size()))
            return -1;                 // the viewer is gone: lws closes it
        lws_callback_on_writable(wsi); // more may be waiting
        return 0;
    }
    default:
        break;
    }
    return 0;
}

std::unique_ptr<ViewServer> ViewServer::start(int port, OnInput onInput, std::string& error) {
    std::unique_ptr<ViewServer> server(new ViewServer());
    server->m_onInput = std::move(onInput);
    lws_set_log_level(LLL_ERR, logLine);
    static const lws_protocols protocols[] = {
        {"http", reinterpret_cast<lws_callback_function*>(&ViewServer::httpCallback), sizeof(HttpSession), 0, 0,
         nullptr, 0},
        {"lumi-view", reinterpret_cast<lws_callback_function*>(&ViewServer::viewCallback), 0, kLongestInput, 0, nullptr,
         65536},
        {nullptr, nullptr, 0, 0, 0, nullptr, 0},
    };
    auto* ctx = new Context{server.get(), {}};
    lws_context_creation_info info{};
    info.port = port;
    info.iface = "127.0.0.1";
    info.protocols = protocols;
    info.user = ctx;
    info.options = LWS_SERVER_OPTION_DISABLE_IPV6;
    info.timeout_secs = 10;
    server->m_context = lws_create_context(&info);
    if (!server->m_context) {
        delete ctx;
        error = "cannot listen on 127.0.0.1:" + std::to_string(port);
        return nullptr;
    }
    server->m_port = lws_get_vhost_listen_port(lws_get_vhost_by_name(server->m_context, "default"));
    server->m_thread = std::thread([s = server.get()] { s->serve(); });
    return server;
}

void ViewServer::serve() {
    while (!m_stopping.load())
        if (lws_service(m_context, 0) < 0) break;
}

ViewServer::~ViewServer() {
    m_stopping = true;
    if (m_context) lws_cancel_service(m_context);
    if (m_thread.joinable()) m_thread.join();
    if (m_context) {
        auto* ctx = static_cast<Context*>(lws_context_user(m_context));
        lws_context_destroy(m_context);
        delete ctx;
    }
}

void ViewServer::publishStatus(std::string json) {
    {
        std::lock_guard guard(m_lock);
        m_status = std::make_shared<const std::string>(std::move(json));
        ++m_statusGeneration;
    }
    lws_cancel_service(m_context);
}

void ViewServer::publishFrame(Frame frame) {
    {
        std::lock_guard guard(m_lock);
        m_frame = std::make_shared<const Frame>(std::move(frame));
        ++m_frameGeneration;
    }
    lws_cancel_service(m_context);
}

} // namespace lumisim::view
