// Property lists: round trips, and readers that take anything without
// crashing or half-reading it.

#include "sim/foundation/PropertyList.h"

#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>
#include <random>

using namespace fnd;

namespace {

Value sample() {
    Dictionary inner{{"count", Value(3)}, {"ok", Value(true)}};
    return Value(Dictionary{
        {"title", Value("Trips / 2019 & <friends> \"ü\" 😀")},
        {"negative", Value(-12)},
        {"big", Value(std::int64_t{1} << 40)},
        {"real", Value(2.5)},
        {"off", Value(false)},
        {"date", Value(Date{600000000})},
        {"data", Value(Data{0, 1, 2, 255})},
        {"list", Value(Array{Value("a"), Value(1), Value(Array{}), Value(inner)})},
        {"empty", Value(Dictionary{})},
    });
}

// A binary plist of `depth` nested one-element arrays, written by hand: our
// own writer refuses such depth, but a file on disk can hold anything.
std::string deepBinaryPlist(int depth, bool cyclic = false) {
    auto be = [](std::string& s, uint64_t v, int n) {
        for (int i = n - 1; i >= 0; --i)
            s += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    std::string b = "bplist00";
    std::vector<uint64_t> offsets;
    for (int i = 0; i < depth; ++i) {
        offsets.push_back(b.size());
        if (i == depth - 1 && !cyclic)
            b += static_cast<char>(0xA0);
        else {
            b += static_cast<char>(0xA1);
            be(b, i == depth - 1 ? 0 : i + 1, 4);
        }
    }
    uint64_t table = b.size();
    for (uint64_t o : offsets)
        be(b, o, 4);
    b += std::string(6, '\0');
    b += static_cast<char>(4);
    b += static_cast<char>(4);
    be(b, depth, 8);
    be(b, 0, 8);
    be(b, table, 8);
    return b;
}

std::string deepXmlPlist(int depth) {
    std::string s = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < depth; ++i)
        s += "<array>";
    for (int i = 0; i < depth; ++i)
        s += "</array>";
    return s + "</plist>";
}

} // namespace

TEST(PropertyList, XmlAndBinaryRoundTripEveryKind) {
    Value v = sample();
    auto xml = serializeXml(v);
    ASSERT_TRUE(xml);
    EXPECT_NE(xml->find("<?xml"), std::string::npos);
    EXPECT_EQ(parsePlist(*xml), v);
    auto bin = serializeBinary(v);
    ASSERT_TRUE(bin);
    EXPECT_EQ(bin->substr(0, 8), "bplist00");
    EXPECT_EQ(parsePlist(*bin), v);
}

TEST(PropertyList, NoneCannotBeStoredAndIsLeftOutOfContainers) {
    EXPECT_FALSE(serializeXml(Value()));
    auto xml = serializeXml(Value(Array{Value("a"), Value(), Value("b")}));
    ASSERT_TRUE(xml);
    EXPECT_EQ(parsePlist(*xml), Value(Array{Value("a"), Value("b")}));
}

TEST(PropertyList, GarbageEmptyAndTruncatedInputsReadAsNone) {
    for (std::string bad : {std::string(), std::string("garbage"), std::string("\0\0\0", 3),
                            std::string("<plist><dict><key>a</key></plist>"), std::string("bplist00"),
                            std::string("bplist00garbagegarbagegarbage"
                                        "garbagegarbagegarbage")})
        EXPECT_FALSE(parsePlist(bad)) << bad;

    // Every prefix of a valid file reads as none, or as the whole value when
    // only the closing lines were cut: never as a part of it.
    for (const auto& whole : {*serializeXml(sample()), *serializeBinary(sample())}) {
        for (std::size_t n = 0; n < whole.size(); ++n) {
            auto v = parsePlist(whole.substr(0, n));
            if (v) {
                EXPECT_EQ(*v, sample()) << "a truncated file read as a part of itself at " << n;
            }
        }
    }
}

TEST(PropertyList, StringsHoldingNulAreRefusedRatherThanAbortingTheReader) {
    EXPECT_FALSE(parsePlist("<plist><string>a&#0;b</string></plist>"));
    EXPECT_FALSE(parsePlist("<plist><string>a&#x000;b</string></plist>"));
    EXPECT_FALSE(parsePlist(std::string("<plist><string>a\0b</string></plist>", 36)));
    EXPECT_EQ(parsePlist("<plist><string>a&#10;b</string></plist>"), Value("a\nb"));
    std::string bin = *serializeBinary(Value(Array{Value("abc")}));
    auto at = bin.find("abc");
    ASSERT_NE(at, std::string::npos);
    bin[at + 1] = '\0';
    EXPECT_FALSE(parsePlist(bin));
}

TEST(PropertyList, NestingPastTheLimitIsRefusedNotOverflowed) {
    EXPECT_TRUE(parsePlist(deepXmlPlist(50)));
    EXPECT_FALSE(parsePlist(deepXmlPlist(100000)));
    EXPECT_TRUE(parsePlist(deepBinaryPlist(50)));
    EXPECT_FALSE(parsePlist(deepBinaryPlist(100000)));
    EXPECT_FALSE(parsePlist(deepBinaryPlist(10, /*cyclic=*/true)));
}

TEST(PropertyList, FuzzedBytesAndMutatedFilesNeverCrashTheReader) {
    std::mt19937 rng(20261208);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 3000; ++i) {
        std::string s(static_cast<std::size_t>(rng() % 200), '\0');
        for (char& c : s)
            c = static_cast<char>(byte(rng));
        if (i % 3 == 0) s = "bplist00" + s;
        if (i % 3 == 1) s = "<?xml version=\"1.0\"?><plist>" + s;
        (void)parsePlist(s);
    }
    const std::string bases[] = {*serializeXml(sample()), *serializeBinary(sample())};
    for (const auto& base : bases) {
        for (int i = 0; i < 3000; ++i) {
            std::string s = base;
            for (int k = 0; k < 1 + static_cast<int>(rng() % 4); ++k)
                s[rng() % s.size()] = static_cast<char>(byte(rng));
            auto v = parsePlist(s);
            if (v) (void)serializeXml(*v); // whatever was read is a whole value again
        }
    }
    SUCCEED();
}

TEST(PropertyList, ALargeFileReadsWhole) {
    testsupport::TempDeviceRoot root;
    Array titles;
    for (int i = 0; i < 20000; ++i)
        titles.push_back(Value("album number " + std::to_string(i)));
    ASSERT_TRUE(writePlistFile("/var/mobile/Library/big.plist", Value(titles)));
    auto back = readArrayFile("/var/mobile/Library/big.plist");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), 20000u);
    EXPECT_EQ((*back)[19999], Value("album number 19999"));
}

TEST(PropertyList, FileReadersAskForTheirRootType) {
    testsupport::TempDeviceRoot root;
    EXPECT_FALSE(readArrayFile("/var/mobile/Library/absent.plist"));
    ASSERT_TRUE(writePlistFile("/var/mobile/Library/list.plist", Value(Array{Value("Trips")})));
    ASSERT_TRUE(writePlistFile("/var/mobile/Library/dict.plist", Value(Dictionary{{"a", Value(1)}})));
    EXPECT_EQ(readArrayFile("/var/mobile/Library/list.plist"), (Array{Value("Trips")}));
    EXPECT_FALSE(readDictionaryFile("/var/mobile/Library/list.plist"));
    EXPECT_FALSE(readArrayFile("/var/mobile/Library/dict.plist"));
    EXPECT_TRUE(readDictionaryFile("/var/mobile/Library/dict.plist"));
    // "/private/var" and "/var" are one folder.
    EXPECT_TRUE(readArrayFile("/private/var/mobile/Library/list.plist"));
}

namespace {
// A binary plist whose object i (for i < levels) is an array holding object
// i + 1 twice, and whose last object is a one-letter string: a few bytes
// per level that expand to 2^(levels + 1) - 1 nodes once the shared
// references are copied.
std::string doublingBomb(int levels) {
    std::string body = "bplist00";
    std::vector<uint8_t> offsets;
    for (int i = 0; i < levels; ++i) {
        offsets.push_back(static_cast<uint8_t>(body.size()));
        body += static_cast<char>(0xA2);
        body += static_cast<char>(i + 1);
        body += static_cast<char>(i + 1);
    }
    offsets.push_back(static_cast<uint8_t>(body.size()));
    body += "\x51x";
    auto table = static_cast<uint8_t>(body.size());
    for (uint8_t o : offsets)
        body += static_cast<char>(o);
    std::string trailer(32, '\0');
    trailer[6] = 1; // offset size
    trailer[7] = 1; // reference size
    trailer[15] = static_cast<char>(levels + 1);
    trailer[31] = static_cast<char>(table);
    return body + trailer;
}
} // namespace

TEST(PropertyList, SharedReferencesThatExpandPastTheLimitAreRefusedAndSmallerOnesRead) {
    std::string bomb = doublingBomb(24);
    EXPECT_LT(bomb.size(), 200u);
    EXPECT_FALSE(parsePlist(bomb)) << "2^25 nodes from a few bytes";
    auto small = parsePlist(doublingBomb(6), {1024, 200});
    ASSERT_TRUE(small) << "127 nodes, under the limit";
    EXPECT_EQ(small->array()->size(), 2u);
    EXPECT_FALSE(parsePlist(doublingBomb(7), {1024, 200})) << "255 nodes, over";
}

TEST(PropertyList, LongBinaryArraysReadWholeAndTheLimitsOfTheReaderHold) {
    Array titles;
    for (int i = 0; i < 80000; ++i)
        titles.push_back(Value("Album " + std::to_string(i)));
    auto binary = serializeBinary(Value(titles));
    ASSERT_TRUE(binary);
    auto read = parsePlist(*binary);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read->array(), titles);
    EXPECT_FALSE(parsePlist(*binary, {binary->size() - 1, 1'000'000})) << "more bytes than the reader takes";
    EXPECT_FALSE(parsePlist(*binary, {binary->size(), 80000})) << "80,001 values with the array itself";
    EXPECT_TRUE(parsePlist(*binary, {binary->size(), 80001}));
    auto xml = serializeXml(Value(titles));
    ASSERT_TRUE(xml);
    EXPECT_FALSE(parsePlist(*xml, {xml->size(), 1000}));
    EXPECT_TRUE(parsePlist(*xml, {xml->size(), 80001}));
}

TEST(PropertyList, ADateTheFormatCannotHoldIsNotWrittenRatherThanOverflowing) {
    // libplist keeps 32-bit seconds: about 68 years either side of 2001.
    EXPECT_TRUE(serializeBinary(Value(Array{Value(Date{1e9})})));
    for (double far : {-3e9, 3e9, std::numeric_limits<double>::infinity(), std::nan("")}) {
        EXPECT_FALSE(serializeBinary(Value(Array{Value(Date{far})}))) << far;
        EXPECT_FALSE(serializeXml(Value(Dictionary{{"when", Value(Date{far})}}))) << far;
    }
}
