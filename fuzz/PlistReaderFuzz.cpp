// The property-list reader, XML and binary: any bytes give a value or none,
// within the reader's limits, never a crash, a hang or an explosion. A value
// read must also write and read back.

#include "sim/foundation/PropertyList.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Limits a tenth of the device's: the same code refuses past them, and
    // each input stays cheap enough under ASan to try many (what reading at
    // the device's own limits costs is in the benchmarks).
    constexpr fnd::PlistLimits kLimits{1u << 20, 100'000};
    auto value = fnd::parsePlist(bytes, kLimits);
    if (!value) return 0;
    for (auto written : {fnd::serializeBinary(*value), fnd::serializeXml(*value)})
        if (written) fnd::parsePlist(*written, {64u << 20, kLimits.maxNodes});
    return 0;
}
