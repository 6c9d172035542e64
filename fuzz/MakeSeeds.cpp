// Writes the fuzz targets' seed inputs: ordinary files of each reader, and
// the shapes that broke readers before (shared references that expand
// exponentially, long binary arrays, deep nesting, cycles, NUL strings,
// truncation). Usage: lumi_fuzz_seeds DIR (one folder per target below it).

#include "sim/foundation/PropertyList.h"
#include "sim/ipc/Frame.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using fnd::Array;
using fnd::Dictionary;
using fnd::Value;

// A binary plist of `count` objects from `objects` (each already encoded,
// holding one-byte references) with object 0 at the top.
std::string binaryPlist(const std::vector<std::string>& objects) {
    std::string body = "bplist00";
    std::vector<uint64_t> offsets;
    for (const auto& o : objects) {
        offsets.push_back(body.size());
        body += o;
    }
    uint64_t table = body.size();
    unsigned offsetSize = table < 256 ? 1 : table < 65536 ? 2 : 4;
    for (uint64_t o : offsets)
        for (int b = static_cast<int>(offsetSize) - 1; b >= 0; --b)
            body += static_cast<char>((o >> (8 * b)) & 0xFF);
    std::string trailer(32, '\0');
    trailer[6] = static_cast<char>(offsetSize);
    trailer[7] = 2; // two-byte references
    for (int b = 0; b < 8; ++b) {
        trailer[8 + 7 - b] = static_cast<char>((objects.size() >> (8 * b)) & 0xFF);
        trailer[24 + 7 - b] = static_cast<char>((table >> (8 * b)) & 0xFF);
    }
    return body + trailer;
}
std::string ref(unsigned r) { return {static_cast<char>(r >> 8), static_cast<char>(r & 0xFF)}; }
std::string array2(unsigned a, unsigned b) { return "\xA2" + ref(a) + ref(b); }
std::string array1(unsigned a) { return "\xA1" + ref(a); }

// Object i holds object i + 1 twice: 2^(levels + 1) nodes once expanded.
std::string doubling(int levels) {
    std::vector<std::string> o;
    for (int i = 0; i < levels; ++i)
        o.push_back(array2(i + 1, i + 1));
    o.push_back("\x51x");
    return binaryPlist(o);
}
std::string nested(int depth) {
    std::vector<std::string> o;
    for (int i = 0; i < depth; ++i)
        o.push_back(array1(i + 1));
    o.push_back("\x51x");
    return binaryPlist(o);
}
std::string cycle() { return binaryPlist({array1(1), array1(0)}); }
// A date far outside what the format's writer holds (found by the frame target).
std::string farDate() {
    double when = -3e9;
    uint64_t bits;
    std::memcpy(&bits, &when, sizeof bits);
    std::string date = "\x33";
    for (int b = 7; b >= 0; --b)
        date += static_cast<char>((bits >> (8 * b)) & 0xFF);
    return binaryPlist({array1(1), date});
}
std::string nulString() {
    return binaryPlist({array1(1), std::string("\x53"
                                               "a\0b",
                                               4)});
}
std::string xmlNested(int depth) {
    std::string s = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < depth; ++i)
        s += "<array>";
    for (int i = 0; i < depth; ++i)
        s += "</array>";
    return s + "</plist>";
}
Array titles(int n) {
    Array a;
    for (int i = 0; i < n; ++i)
        a.push_back(Value("Album " + std::to_string(i)));
    return a;
}
std::string frame(const std::string& body) {
    std::string f;
    auto n = static_cast<uint32_t>(body.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        f += static_cast<char>((n >> shift) & 0xFF);
    return f + body;
}

void write(const fs::path& dir, const std::string& name, const std::string& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    fs::path root = argv[1];
    Dictionary prefs{{"enabled", Value(true)},          {"passOption", Value(1)},       {"showHidden", Value(false)},
                     {"albumNameTrips", Value(false)},  {"albumNameRome", Value(true)}, {"photoWidth", Value(163.0)},
                     {"hideLockedFromApps", Value("1")}};
    Dictionary result{{"id", Value("com.apple.mobileslideshow")},
                      {"method", Value(0)},
                      {"albumName", Value("Trips")},
                      {"controller", Value("PUAlbumListViewController")},
                      {"authenticated", Value(true)}};
    std::vector<std::pair<std::string, std::string>> shapes{
        {"xml-dict", *fnd::serializeXml(Value(prefs))},
        {"binary-dict", *fnd::serializeBinary(Value(result))},
        {"xml-titles", *fnd::serializeXml(Value(titles(50)))},
        {"binary-long-array", *fnd::serializeBinary(Value(titles(20000)))},
        {"shared-refs-small", doubling(5)},
        {"shared-refs-bomb", doubling(30)},
        {"nested-binary", nested(300)},
        {"nested-xml", xmlNested(300)},
        {"cycle", cycle()},
        {"far-date", farDate()},
        {"nul-string", nulString()},
        {"truncated", fnd::serializeBinary(Value(titles(10)))->substr(0, 40)},
    };
    for (const auto& [name, bytes] : shapes) {
        write(root / "plist", name, bytes);
        write(root / "preferences", name, bytes);
        for (char which = 0; which < 4; ++which)
            write(root / "state", name + "-" + std::to_string(which), std::string(1, which) + bytes);
    }
    write(root / "state", "password", std::string(1, 2) + "hunter2\n");
    Dictionary save{{"op", Value("send")},
                    {"center", Value("com.zel.lumicrate12")},
                    {"message", Value("savearray")},
                    {"userInfo", Value(Dictionary{{"array", Value(titles(1000))}, {"path", Value("/x")}})}};
    std::string hello = frame(*fnd::serializeBinary(Value(Dictionary{{"op", Value("hello")}})));
    write(root / "frame", "hello-and-savearray", std::string(1, 3) + hello + frame(*fnd::serializeBinary(Value(save))));
    write(root / "frame", "bomb", std::string(1, 0) + hello + frame(doubling(30)));
    write(root / "frame", "cycle", std::string(1, 7) + frame(cycle()));
    write(root / "frame", "too-long", std::string(1, 1) + std::string("\x7f\xff\xff\xff", 4) + "xx");
    write(root / "frame", "partial", std::string(1, 2) + hello.substr(0, hello.size() - 3));
    std::printf("seeds written under %s\n", root.c_str());
    return 0;
}
