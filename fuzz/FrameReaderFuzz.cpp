// The device socket's frame reader, fed the input in the pieces a socket
// might deliver it in (the first byte sets the piece size, its low bit the
// reader: the daemon's, which fails for good on a bad frame, or an app's,
// which skips an unreadable frame and goes on): it waits for partial
// frames and yields whole ones.

#include "sim/ipc/Frame.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::size_t piece = 1 + data[0] * 61u;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    ipc::FrameReader reader = (data[0] & 1) ? ipc::FrameReader(ipc::kFrameLimits, ipc::FrameReader::OnUnreadable::Skip)
                                            : ipc::FrameReader(ipc::kInboundFrameLimits);
    while (!bytes.empty()) {
        std::size_t n = std::min(piece, bytes.size());
        bool ok = reader.append(bytes.substr(0, n));
        bytes.remove_prefix(n);
        while (auto frame = reader.next())
            ipc::encodeFrame(*frame);
        if (!ok) break;
    }
    return 0;
}
