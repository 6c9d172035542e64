#pragma once
// What a viewer's page asks of the device, one text message each:
//
//   down X Y | move X Y | up X Y     a finger at a point of the screen (points)
//   keys TEXT                        keys pressed, TEXT added where typing goes
//   delete N                         N characters removed from its end (1 to 1000)
//   return                           the return key
//   home                             the home button: the front app to the background
//   background BUNDLE | foreground BUNDLE
//   touch-id enrolled|other          a finger on the Touch ID sensor
//
// The page is another program: anything it sends is read here, and what
// cannot be read is refused with the reason, never acted on in part.

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace lumisim::view {

struct Touch {
    enum class Phase { Down, Move, Up } phase;
    double x, y;
};
struct Keys {
    std::string text;
};
struct Delete {
    int count;
};
struct Return {};
struct Home {};
struct Lifecycle {
    bool toForeground;
    std::string bundle;
};
struct TouchId {
    bool enrolled;
};

using Input = std::variant<Touch, Keys, Delete, Return, Home, Lifecycle, TouchId>;

struct ParsedInput {
    std::optional<Input> input;
    std::string error; // why it was refused, when it was
};

inline constexpr std::size_t kLongestInput = 4096; // bytes of one message

ParsedInput parseInput(std::string_view message);

} // namespace lumisim::view
