#include "sim/ipc/Frame.h"

#include "sim/foundation/PropertyList.h"

namespace ipc {

std::optional<std::string> encodeFrame(const fnd::Dictionary& op) {
    auto body = fnd::serializeBinary(fnd::Value(op));
    if (!body || body->size() > kMaxFrameBytes) return std::nullopt;
    std::string frame;
    frame.reserve(4 + body->size());
    auto n = static_cast<uint32_t>(body->size());
    for (int shift = 24; shift >= 0; shift -= 8)
        frame += static_cast<char>((n >> shift) & 0xFF);
    frame += *body;
    return frame;
}

bool FrameReader::append(std::string_view bytes) {
    if (m_failed) return false;
    m_buffer.append(bytes);
    parse();
    return !m_failed;
}

void FrameReader::parse() {
    for (;;) {
        std::size_t avail = m_buffer.size() - m_offset;
        if (avail < 4) break;
        uint32_t n = 0;
        for (int i = 0; i < 4; ++i)
            n = (n << 8) | static_cast<unsigned char>(m_buffer[m_offset + i]);
        if (n == 0 || n > m_limits.maxBytes) {
            m_failed = true;
            return;
        }
        if (avail < 4 + static_cast<std::size_t>(n)) break; // wait for the rest
        auto v = fnd::parsePlist(std::string_view(m_buffer).substr(m_offset + 4, n), m_limits);
        m_offset += 4 + n;
        if (!v || !v->dictionary()) {
            if (m_unreadable == OnUnreadable::Fail) {
                m_failed = true;
                return;
            }
            ++m_skipped;
            continue;
        }
        m_ready.push_back(std::move(*v->dictionary()));
    }
    // Keep the buffer from growing with consumed bytes.
    if (m_offset > 0 && (m_offset == m_buffer.size() || m_offset > (1u << 20))) {
        m_buffer.erase(0, m_offset);
        m_offset = 0;
    }
}

std::optional<fnd::Dictionary> FrameReader::next() {
    if (m_ready.empty()) return std::nullopt;
    fnd::Dictionary d = std::move(m_ready.front());
    m_ready.pop_front();
    return d;
}

} // namespace ipc
