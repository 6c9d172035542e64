// The device socket's frame reader, fed the input in the pieces a socket
// might deliver it in (the first byte sets the piece size): it waits for
// partial frames, yields whole ones, and fails for good on a bad one.

#include "sim/ipc/Frame.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::size_t piece = 1 + data[0] * 61u;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    ipc::FrameReader reader;
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
