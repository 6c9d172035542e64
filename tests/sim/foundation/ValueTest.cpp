// The boolean and integer readings of property-list values, which decide how
// every preference key is read.

#include "sim/foundation/Value.h"

#include <climits>
#include <gtest/gtest.h>

using fnd::Value;

struct Reading {
    Value value;
    bool boolValue;
    int intValue;
};
void PrintTo(const Reading& c, std::ostream* os) { *os << static_cast<int>(c.value.kind()) << "->" << c.intValue; }

class Readings : public testing::TestWithParam<Reading> {};

TEST_P(Readings, AsNSNumberAndNSStringRead) {
    EXPECT_EQ(GetParam().value.boolValue(), GetParam().boolValue);
    EXPECT_EQ(GetParam().value.intValue(), GetParam().intValue);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Readings,
    testing::Values(
        // numbers read as themselves
        Reading{Value(true), true, 1}, Reading{Value(false), false, 0}, Reading{Value(7), true, 7},
        Reading{Value(0), false, 0}, Reading{Value(-3), true, -3}, Reading{Value(2.9), true, 2},
        Reading{Value(-2.9), true, -2}, Reading{Value(0.0), false, 0},
        Reading{Value(0.4), true, 0}, // non-zero is YES even when its integer part is 0
        Reading{Value(1e30), true, INT_MAX}, Reading{Value(-1e30), true, INT_MIN},
        Reading{Value(std::int64_t{1} << 32), true, 0}, // intValue keeps the low 32 bits
        // strings by NSString's rules
        Reading{Value("YES"), true, 0}, Reading{Value("yes"), true, 0}, Reading{Value("true"), true, 0},
        Reading{Value("NO"), false, 0}, Reading{Value("false"), false, 0}, Reading{Value("1"), true, 1},
        Reading{Value("0"), false, 0}, Reading{Value("  42abc"), true, 42}, Reading{Value("-007"), true, -7},
        Reading{Value("+0009"), true, 9}, Reading{Value("000"), false, 0}, Reading{Value("- 5"), false, -5},
        Reading{Value("abc"), false, 0}, Reading{Value(""), false, 0}, Reading{Value("99999999999"), true, INT_MAX},
        Reading{Value("-99999999999"), true, INT_MIN},
        // no reading: off and 0
        Reading{Value(), false, 0}, Reading{Value(fnd::Array{Value(1)}), false, 0},
        Reading{Value(fnd::Dictionary{{"a", Value(1)}}), false, 0}, Reading{Value(fnd::Data{1, 2}), false, 0},
        Reading{Value(fnd::Date{5}), false, 0}));

TEST(Value, KindsAreKeptAndCompared) {
    EXPECT_EQ(Value(3).kind(), Value::Kind::Integer);
    EXPECT_EQ(Value(true).kind(), Value::Kind::Boolean);
    EXPECT_EQ(Value("x").kind(), Value::Kind::String);
    EXPECT_NE(Value(1), Value(true)); // an integer 1 is not the boolean YES
    EXPECT_TRUE(Value().isNone());
    EXPECT_FALSE(Value(fnd::Array{}).hasReading());
    EXPECT_TRUE(Value("x").hasReading());
    fnd::Dictionary d{{"k", Value(1)}};
    EXPECT_EQ(fnd::valueForKey(d, "k"), Value(1));
    EXPECT_TRUE(fnd::valueForKey(d, "missing").isNone());
}
