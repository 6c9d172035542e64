// Type encodings: what each C++ type encodes as, and the reduced form that a
// hand-written type string is checked against.

#include "sim/runtime/Runtime.h"

#include <gtest/gtest.h>

using namespace rt;

struct EncodingCase {
    std::string actual;
    std::string expected;
};
void PrintTo(const EncodingCase& c, std::ostream* os) { *os << '"' << c.expected << '"'; }

class MethodEncoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(MethodEncoding, Matches) { EXPECT_EQ(GetParam().actual, GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Types, MethodEncoding,
    testing::Values(EncodingCase{methodEncoding<void>(), "v@:"},
                    EncodingCase{methodEncoding<void, int, std::string>(), "v@:i@\"NSString\""},
                    EncodingCase{methodEncoding<void, Ref<Object>>(), "v@:@"},
                    EncodingCase{methodEncoding<void, bool>(), "v@:B"},
                    EncodingCase{methodEncoding<void, Ref<Object>, Ref<Object>>(), "v@:@@"},
                    EncodingCase{methodEncoding<bool, Sel, Class*>(), "B@::#"},
                    EncodingCase{methodEncoding<double, float, long, unsigned long>(), "d@:fqQ"},
                    EncodingCase{methodEncoding<long long, short, unsigned short, char>(), "q@:sSc"},
                    EncodingCase{methodEncoding<unsigned char, unsigned int>(), "C@:I"},
                    EncodingCase{methodEncoding<std::vector<Ref<Object>>>(), "@\"NSArray<id>\"@:"},
                    EncodingCase{methodEncoding<void, Block<void(bool, Ref<Object>)>>(), "v@:@?<v@?B@>"}));

struct ReduceCase {
    std::string full;
    std::string reduced;
};
void PrintTo(const ReduceCase& c, std::ostream* os) { *os << '"' << c.full << '"'; }
class Reduce : public testing::TestWithParam<ReduceCase> {};
TEST_P(Reduce, StripsTags) { EXPECT_EQ(reduceEncoding(GetParam().full), GetParam().reduced); }
INSTANTIATE_TEST_SUITE_P(Encodings, Reduce,
                         testing::Values(ReduceCase{"v@:", "v@:"}, ReduceCase{"v@:i@\"NSString\"", "v@:i@"},
                                         ReduceCase{"@\"NSArray<id>\"@:@", "@@:@"}, ReduceCase{"v@:@?<v@?B>", "v@:@?"},
                                         ReduceCase{"v@:@?<v@?@?<v@?i>>B", "v@:@?B"},
                                         ReduceCase{"v@:@\"unterminated", "v@:@"}));

TEST(Signature, EqualEncodingsShareOneInternedSignature) {
    const Signature* a = signatureOf<void, int, std::string>();
    const Signature* b = internSignature("v@:i@\"NSString\"");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->reduced, "v@:i@");
    // Object refs of any class encode alike, and so share the ABI.
    EXPECT_EQ((signatureOf<Ref<Object>, Ref<Class>>()), (signatureOf<Ref<Object>, Ref<Object>>()));
    EXPECT_NE((signatureOf<void, int>()), (signatureOf<void, bool>()));
}
