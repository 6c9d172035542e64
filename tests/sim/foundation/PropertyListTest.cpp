// Property lists: round trips, and readers that take anything without
// crashing or half-reading it.

#include "sim/foundation/PropertyList.h"

#include "tests/support/HostilePlists.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>
#include <limits>
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

namespace {
// A random value of every kind, with the edges of the binary format: counts
// past 15 (the marker's nibble), integers at every width and negative ones,
// strings beyond ASCII (two, three and four-byte characters), nesting.
Value randomValue(std::mt19937& rng, int depth) {
    static const std::string pieces[] = {"a", "Trips", " ", "é", "日本", "😀", "\t", "<&>", "z"};
    static const std::int64_t integers[] = {0,
                                            1,
                                            255,
                                            256,
                                            65535,
                                            65536,
                                            4294967295LL,
                                            4294967296LL,
                                            -1,
                                            -256,
                                            std::numeric_limits<std::int64_t>::min(),
                                            std::numeric_limits<std::int64_t>::max()};
    int kind = static_cast<int>(rng() % (depth < 4 ? 8 : 6));
    std::size_t count = rng() % 3 == 0 ? 15 + rng() % 40 : rng() % 5;
    switch (kind) {
    case 0: {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += pieces[rng() % std::size(pieces)];
        return Value(text);
    }
    case 1:
        return Value(integers[rng() % std::size(integers)] ^
                     static_cast<std::int64_t>(rng() % 2)); // flips the low bit, never overflows
    case 2:
        return Value(static_cast<double>(rng()) / 7.0 - 1e6);
    case 3:
        return Value(rng() % 2 == 0);
    case 4:
        return Value(Date{static_cast<double>(rng() % 2000000000) - 1e9 + 0.5});
    case 5: {
        Data bytes(count);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(rng());
        return Value(bytes);
    }
    case 6: {
        Array a;
        for (std::size_t i = 0; i < count; ++i)
            a.push_back(randomValue(rng, depth + 1));
        return Value(a);
    }
    default: {
        Dictionary d;
        for (std::size_t i = 0; i < count; ++i)
            d["key " + std::to_string(i) + pieces[rng() % std::size(pieces)]] = randomValue(rng, depth + 1);
        return Value(d);
    }
    }
}
} // namespace

// Our binary writer against libplist's reader: every value reads back equal.
TEST(PropertyList, RandomValuesWrittenInBinaryReadBackEqual) {
    std::mt19937 rng(20261209);
    for (int i = 0; i < 400; ++i) {
        Value v = randomValue(rng, 0);
        auto bin = serializeBinary(v);
        ASSERT_TRUE(bin) << i;
        auto back = parsePlist(*bin);
        ASSERT_TRUE(back) << i;
        EXPECT_EQ(*back, v) << i;
    }
    // Enough objects that references and offsets need more than two bytes.
    Array many;
    for (int i = 0; i < 70000; ++i)
        many.push_back(Value(i % 2 ? Value("t" + std::to_string(i)) : Value(i)));
    auto bin = serializeBinary(Value(many));
    ASSERT_TRUE(bin);
    EXPECT_EQ(parsePlist(*bin), Value(many));
}

TEST(PropertyList, WhatCouldNotReadBackIsNotWritten) {
    Value nul(Array{Value(std::string("a\0b", 3))});
    Value nulKey(Dictionary{{std::string("k\0", 2), Value(1)}});
    for (const Value& v : {nul, nulKey}) {
        EXPECT_FALSE(serializeBinary(v));
        EXPECT_FALSE(serializeXml(v));
    }
    Value deep("leaf");
    for (int i = 0; i < kMaxPlistDepth + 1; ++i)
        deep = Value(Array{deep});
    EXPECT_FALSE(serializeBinary(deep));
    EXPECT_FALSE(serializeXml(deep));
    // Bytes that are not UTF-8 are written as U+FFFD rather than lost or passed on.
    auto bin = serializeBinary(Value(Array{Value(std::string("a\xff"
                                                             "b\xc3"))}));
    ASSERT_TRUE(bin);
    EXPECT_EQ(parsePlist(*bin), Value(Array{Value("a\xef\xbf\xbd"
                                                  "b\xef\xbf\xbd")}));
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
    EXPECT_TRUE(parsePlist(hostile::nestedXml(50)));
    EXPECT_FALSE(parsePlist(hostile::nestedXml(100000)));
    EXPECT_TRUE(parsePlist(hostile::nestedBinary(50)));
    EXPECT_FALSE(parsePlist(hostile::nestedBinary(100000)));
    EXPECT_FALSE(parsePlist(hostile::nestedBinary(10, /*cyclic=*/true)));
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

TEST(PropertyList, SharedReferencesThatExpandPastTheLimitAreRefusedAndSmallerOnesRead) {
    std::string bomb = hostile::doublingBomb(24);
    EXPECT_LT(bomb.size(), 200u);
    EXPECT_FALSE(parsePlist(bomb)) << "2^25 nodes from a few bytes";
    auto small = parsePlist(hostile::doublingBomb(6), {1024, 200});
    ASSERT_TRUE(small) << "127 nodes, under the limit";
    EXPECT_EQ(small->array()->size(), 2u);
    EXPECT_FALSE(parsePlist(hostile::doublingBomb(7), {1024, 200})) << "255 nodes, over";
}

TEST(PropertyList, ALongStringSharedManyTimesIsRefusedPastTheReadersBytes) {
    std::string bomb = hostile::sharedLongString(1 << 20, 100000);
    EXPECT_LT(bomb.size(), 2u << 20);
    EXPECT_FALSE(parsePlist(bomb)) << "100 GB of copies of one string";
    std::string fits = hostile::sharedLongString(1000, 60);
    auto read = parsePlist(fits, {70000, 100});
    ASSERT_TRUE(read) << "60,000 bytes of text once copied, under 70,000";
    EXPECT_EQ(read->array()->size(), 60u);
    EXPECT_FALSE(parsePlist(fits, {50000, 100})) << "60,000 bytes of text, over";
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
