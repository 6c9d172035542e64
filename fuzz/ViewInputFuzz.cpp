// What a viewer's page sends the live viewer, one message at a time: every
// input is either one request, whole, or refused with a reason.

#include "sim/lumisim/view/ViewInput.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view message(reinterpret_cast<const char*>(data), size);
    auto parsed = lumisim::view::parseInput(message);
    if (parsed.input.has_value() == !parsed.error.empty()) std::abort(); // one or the other, never both
    if (auto* keys = parsed.input ? std::get_if<lumisim::view::Keys>(&*parsed.input) : nullptr)
        if (keys->text.empty() || keys->text.size() > lumisim::view::kLongestInput) std::abort();
    return 0;
}
