#pragma once
// Value: a property-list value (NSString, NSNumber, NSDate, NSData, NSArray,
// NSDictionary), the currency of preference files, state files and message
// user info.
//
// Numbers keep their kind (integer, real, boolean) as NSNumber does, and the
// readings boolValue and intValue follow NSNumber and NSString: a number reads
// as itself, a string by NSString's rules, and anything else (date, data,
// array, dictionary, none) has no reading and gives off or 0.

#include "sim/runtime/Encoding.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace fnd {

// Seconds since 2001-01-01 00:00:00 UTC, the platform's reference date.
struct Date {
    double sinceReferenceDate = 0;
    bool operator==(const Date&) const = default;
};
using Data = std::vector<std::uint8_t>;

class Value;
using Array = std::vector<Value>;
using Dictionary = std::map<std::string, Value>;

class Value {
public:
    enum class Kind { None, String, Integer, Real, Boolean, Date, Data, Array, Dictionary };

    Value() = default;
    Value(std::string s)
        : m_v(std::move(s)) {}
    Value(const char* s)
        : m_v(std::string(s)) {}
    Value(bool b)
        : m_v(b) {}
    template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>) Value(T i)
        : m_v(static_cast<std::int64_t>(i)) {}
    Value(double d)
        : m_v(d) {}
    Value(Date d)
        : m_v(d) {}
    Value(Data d)
        : m_v(std::move(d)) {}
    Value(Array a)
        : m_v(std::move(a)) {}
    Value(Dictionary d)
        : m_v(std::move(d)) {}

    Kind kind() const { return static_cast<Kind>(m_v.index()); }
    bool isNone() const { return kind() == Kind::None; }

    // Typed access: null when the value is of another kind.
    const std::string* string() const { return std::get_if<std::string>(&m_v); }
    const std::int64_t* integer() const { return std::get_if<std::int64_t>(&m_v); }
    const double* real() const { return std::get_if<double>(&m_v); }
    const bool* boolean() const { return std::get_if<bool>(&m_v); }
    const Date* date() const { return std::get_if<Date>(&m_v); }
    const Data* data() const { return std::get_if<Data>(&m_v); }
    const Array* array() const { return std::get_if<Array>(&m_v); }
    const Dictionary* dictionary() const { return std::get_if<Dictionary>(&m_v); }
    Array* array() { return std::get_if<Array>(&m_v); }
    Dictionary* dictionary() { return std::get_if<Dictionary>(&m_v); }
    // A number, integer or real, as a double; none for any other kind (a
    // request's coordinates and durations, which a sender may write either way).
    std::optional<double> number() const {
        if (const double* d = real()) return *d;
        if (const std::int64_t* i = integer()) return static_cast<double>(*i);
        return std::nullopt;
    }

    // -boolValue and -intValue as NSNumber and NSString answer them.
    bool boolValue() const;
    std::int32_t intValue() const;
    // True when the value has a boolean or integer reading at all (a number
    // or a string).
    bool hasReading() const;

    bool operator==(const Value& o) const { return m_v == o.m_v; }

private:
    std::variant<std::monostate, std::string, std::int64_t, double, bool, Date, Data, Array, Dictionary> m_v;
};

// NSString's readings, usable on plain text.
bool stringBoolValue(const std::string& s);
std::int32_t stringIntValue(const std::string& s);

// Dictionary lookup that yields a None value for a missing key.
const Value& valueForKey(const Dictionary& d, const std::string& key);

} // namespace fnd

namespace rt {
template <> struct Encode<fnd::Value> {
    static std::string code() { return "@\"NSPropertyList\""; }
};
template <> struct Encode<fnd::Array> {
    static std::string code() { return "@\"NSArray\""; }
};
template <> struct Encode<fnd::Dictionary> {
    static std::string code() { return "@\"NSDictionary\""; }
};
template <> struct Encode<fnd::Data> {
    static std::string code() { return "@\"NSData\""; }
};
template <> struct Encode<fnd::Date> {
    static std::string code() { return "@\"NSDate\""; }
};
} // namespace rt
