// The property-list reader, XML and binary: any bytes give a value or none,
// within the reader's limits, never a crash, a hang or an explosion. A value
// read must also write and read back.

#include "sim/foundation/PropertyList.h"
#include "sim/ipc/Frame.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const fnd::PlistLimits& limits : {fnd::PlistLimits{}, ipc::kFrameLimits}) {
        auto value = fnd::parsePlist(bytes, limits);
        if (!value) continue;
        for (auto written : {fnd::serializeBinary(*value), fnd::serializeXml(*value)})
            if (written) fnd::parsePlist(*written);
    }
    return 0;
}
