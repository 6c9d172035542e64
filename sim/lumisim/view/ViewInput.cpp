#include "sim/lumisim/view/ViewInput.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace lumisim::view {

namespace {

// The next word (up to a space) and the rest after that space.
std::pair<std::string_view, std::string_view> word(std::string_view s) {
    std::size_t space = s.find(' ');
    if (space == std::string_view::npos) return {s, {}};
    return {s.substr(0, space), s.substr(space + 1)};
}

std::optional<double> coordinate(std::string_view s) {
    double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    if (v < -100000 || v > 100000) return std::nullopt;
    return v;
}

bool validUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        if (c < 0x20 || c == 0x7F) return false; // control characters are not keys a field takes
        i += n;
    }
    return true;
}

bool isBundleName(std::string_view s) {
    if (s.empty() || s.size() > 255) return false;
    for (char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_')) return false;
    return true;
}

ParsedInput refuse(std::string why) { return {std::nullopt, std::move(why)}; }

} // namespace

ParsedInput parseInput(std::string_view message) {
    if (message.size() > kLongestInput) return refuse("a message longer than 4096 bytes");
    auto [verb, rest] = word(message);
    if (verb == "down" || verb == "move" || verb == "up") {
        auto [xs, ys] = word(rest);
        auto x = coordinate(xs), y = coordinate(ys);
        if (!x || !y) return refuse(std::string(verb) + " needs two numbers, x and y");
        Touch::Phase phase = verb == "down"   ? Touch::Phase::Down
                             : verb == "move" ? Touch::Phase::Move
                                              : Touch::Phase::Up;
        return {Touch{phase, *x, *y}, {}};
    }
    if (verb == "keys") {
        if (rest.empty() || !validUtf8(rest)) return refuse("keys needs text (UTF-8, no control characters)");
        return {Keys{std::string(rest)}, {}};
    }
    if (verb == "delete") {
        int n = 0;
        auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
        if (ec != std::errc() || end != rest.data() + rest.size() || n < 1 || n > 1000)
            return refuse("delete needs a count from 1 to 1000");
        return {Delete{n}, {}};
    }
    if (verb == "return" && rest.empty()) return {Return{}, {}};
    if (verb == "home" && rest.empty()) return {Home{}, {}};
    if (verb == "background" || verb == "foreground") {
        if (!isBundleName(rest)) return refuse(std::string(verb) + " needs an app's bundle identifier");
        return {Lifecycle{verb == "foreground", std::string(rest)}, {}};
    }
    if (verb == "touch-id") {
        if (rest != "enrolled" && rest != "other") return refuse("touch-id needs enrolled or other");
        return {TouchId{rest == "enrolled"}, {}};
    }
    return refuse("unknown request");
}

} // namespace lumisim::view
