#pragma once
// Frames on the device socket: a 4-byte big-endian length, then a binary
// property list whose root is a dictionary (one hub operation).
//
// FrameReader takes bytes as they arrive: a partial frame waits for the next
// read. A length past the limit loses the stream's framing: the reader fails
// for good, so that the connection is dropped. A frame of a sound length
// whose body is not a dictionary the limits allow either fails the reader
// (the daemon's, reading a peer: that peer is dropped) or is skipped and
// counted (an app's, reading the device: a frame it cannot read never ends
// the app).
//
// The daemon reads its peers with a little less than the apps' limits, so
// that a message it forwards, with the sender's record added, is always one
// the receiving app can read.

#include "sim/foundation/PropertyList.h"
#include "sim/foundation/Value.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace ipc {

inline constexpr std::size_t kMaxFrameBytes = 16u << 20;
// What one frame may hold: its bytes, and a tree of at most a million values
// (a "savearray" of 100,000 titles is one tenth of that).
inline constexpr fnd::PlistLimits kFrameLimits{kMaxFrameBytes, 1'000'000};
// What the daemon takes from a peer: room is left for the sender's record.
inline constexpr std::size_t kForwardHeadroomBytes = 1u << 20;
inline constexpr std::size_t kForwardHeadroomValues = 1'000;
inline constexpr fnd::PlistLimits kInboundFrameLimits{kMaxFrameBytes - kForwardHeadroomBytes,
                                                      1'000'000 - kForwardHeadroomValues};

std::optional<std::string> encodeFrame(const fnd::Dictionary& op);

class FrameReader {
public:
    enum class OnUnreadable { Fail, Skip };
    explicit FrameReader(fnd::PlistLimits limits = kFrameLimits, OnUnreadable unreadable = OnUnreadable::Fail)
        : m_limits(limits)
        , m_unreadable(unreadable) {}
    // False once the stream is malformed; nothing more is read after that.
    bool append(std::string_view bytes);
    // Frames skipped as unreadable so far (OnUnreadable::Skip).
    std::size_t skipped() const { return m_skipped; }
    std::optional<fnd::Dictionary> next();
    bool failed() const { return m_failed; }
    // The bytes held for frames not yet complete.
    std::size_t bufferedBytes() const { return m_buffer.size() - m_offset; }

private:
    void parse();
    fnd::PlistLimits m_limits;
    OnUnreadable m_unreadable;
    std::size_t m_skipped = 0;
    std::string m_buffer;
    std::size_t m_offset = 0;
    std::deque<fnd::Dictionary> m_ready;
    bool m_failed = false;
};

} // namespace ipc
