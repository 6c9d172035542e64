#pragma once
// Frames on the device socket: a 4-byte big-endian length, then a binary
// property list whose root is a dictionary (one hub operation).
//
// FrameReader takes bytes as they arrive: a partial frame waits for the next
// read, and a frame that is too large, not a property list, or not a
// dictionary makes the reader fail for good, so that the connection is dropped.

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

std::optional<std::string> encodeFrame(const fnd::Dictionary& op);

class FrameReader {
public:
    // False once the stream is malformed; nothing more is read after that.
    bool append(std::string_view bytes);
    std::optional<fnd::Dictionary> next();
    bool failed() const { return m_failed; }
    // The bytes held for frames not yet complete.
    std::size_t bufferedBytes() const { return m_buffer.size() - m_offset; }

private:
    void parse();
    std::string m_buffer;
    std::size_t m_offset = 0;
    std::deque<fnd::Dictionary> m_ready;
    bool m_failed = false;
};

} // namespace ipc
