#include "sim/foundation/Value.h"

#include <cctype>
#include <climits>
#include <cmath>

namespace fnd {

namespace {
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::int32_t realToInt(double d) {
    // A C cast of an out-of-range double is undefined; the platform saturates.
    if (std::isnan(d)) return 0;
    if (d >= 2147483647.0) return INT32_MAX;
    if (d <= -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(d);
}
} // namespace

// YES on "Y", "y", "T", "t" or a digit 1-9 after leading white space and an
// optional sign with zeros; trailing characters are ignored.
bool stringBoolValue(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && isSpace(s[i]))
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    while (i < s.size() && s[i] == '0')
        ++i;
    if (i >= s.size()) return false;
    char c = s[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

// Decimal, after leading white space and an optional sign (white space may
// follow the sign); INT_MAX or INT_MIN on overflow; 0 when no digits.
std::int32_t stringIntValue(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && isSpace(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
        while (i < s.size() && isSpace(s[i]))
            ++i;
    }
    std::int64_t value = 0;
    bool overflow = false;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        if (!overflow) {
            value = value * 10 + (s[i] - '0');
            if (value > static_cast<std::int64_t>(INT32_MAX) + 1) overflow = true;
        }
    }
    if (negative) {
        if (overflow || -value < INT32_MIN) return INT32_MIN;
        return static_cast<std::int32_t>(-value);
    }
    if (overflow || value > INT32_MAX) return INT32_MAX;
    return static_cast<std::int32_t>(value);
}

bool Value::hasReading() const {
    switch (kind()) {
    case Kind::String:
    case Kind::Integer:
    case Kind::Real:
    case Kind::Boolean:
        return true;
    default:
        return false;
    }
}

bool Value::boolValue() const {
    if (auto* b = boolean()) return *b;
    if (auto* i = integer()) return *i != 0;
    if (auto* r = real()) return *r != 0.0;
    if (auto* s = string()) return stringBoolValue(*s);
    return false;
}

std::int32_t Value::intValue() const {
    if (auto* b = boolean()) return *b ? 1 : 0;
    if (auto* i = integer()) return static_cast<std::int32_t>(*i); // NSNumber truncates to 32 bits
    if (auto* r = real()) return realToInt(*r);
    if (auto* s = string()) return stringIntValue(*s);
    return 0;
}

const Value& valueForKey(const Dictionary& d, const std::string& key) {
    static const Value none;
    auto it = d.find(key);
    return it == d.end() ? none : it->second;
}

} // namespace fnd
