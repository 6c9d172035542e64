// NSScanner's float scan and isAtEnd, on which the "is this subtitle a photo
// count" test rests.

#include "sim/foundation/Scanner.h"

#include <gtest/gtest.h>

struct ScanCase {
    std::string text;
    bool scans;
    bool atEndAfter;
    float value;
};
void PrintTo(const ScanCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class FloatScan : public testing::TestWithParam<ScanCase> {};

TEST_P(FloatScan, MatchesNSScanner) {
    fnd::Scanner s(GetParam().text);
    auto v = s.scanFloat();
    ASSERT_EQ(v.has_value(), GetParam().scans);
    if (v) {
        EXPECT_FLOAT_EQ(*v, GetParam().value);
    }
    EXPECT_EQ(s.isAtEnd(), GetParam().atEndAfter);
}

INSTANTIATE_TEST_SUITE_P(Texts, FloatScan,
                         testing::Values(ScanCase{"12", true, true, 12}, ScanCase{"3.25", true, true, 3.25f},
                                         ScanCase{"-4", true, true, -4}, ScanCase{"+4", true, true, 4},
                                         ScanCase{".5", true, true, 0.5f}, ScanCase{"2.", true, true, 2},
                                         ScanCase{"1e3", true, true, 1000}, ScanCase{"1.5E-1", true, true, 0.15f},
                                         ScanCase{"  7  ", true, true, 7}, // white space is skipped on both sides
                                         ScanCase{"12 photos", true, false, 12}, ScanCase{"1e", true, false, 1},
                                         ScanCase{"12abc", true, false, 12}, ScanCase{"", false, true, 0},
                                         ScanCase{"   ", false, true, 0}, ScanCase{"abc", false, false, 0},
                                         ScanCase{"-", false, false, 0}, ScanCase{".", false, false, 0}));

TEST(Scanner, AFailedScanConsumesNothing) {
    fnd::Scanner s("  x1");
    EXPECT_FALSE(s.scanFloat());
    EXPECT_EQ(s.location(), 0u);
    EXPECT_FALSE(s.scanInt());
    fnd::Scanner t(" 17 rest");
    EXPECT_EQ(t.scanInt(), 17);
    EXPECT_FALSE(t.isAtEnd());
}
