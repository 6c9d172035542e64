// Writes the fuzz targets' seed inputs: ordinary files of each reader, and
// the shapes that broke readers before (shared references that expand
// exponentially, long binary arrays, deep nesting, cycles, NUL strings,
// truncation). Usage: lumi_fuzz_seeds DIR (one folder per target below it).

#include "sim/foundation/PropertyList.h"
#include "sim/graphics/Image.h"
#include "sim/graphics/SamplePhoto.h"
#include "sim/ipc/Frame.h"
#include "tests/support/HostilePlists.h"

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
        {"shared-refs-small", hostile::doublingBomb(5)},
        {"shared-refs-bomb", hostile::doublingBomb(30)},
        {"shared-long-string", hostile::sharedLongString(4096, 5000)},
        {"nested-binary", hostile::nestedBinary(300)},
        {"nested-xml", hostile::nestedXml(300)},
        {"cycle", hostile::nestedBinary(2, true)},
        {"far-date", hostile::farDate()},
        {"nul-string", hostile::nulString()},
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
    write(root / "frame", "bomb", std::string(1, 0) + hello + frame(hostile::doublingBomb(30)));
    write(root / "frame", "cycle", std::string(1, 7) + frame(hostile::nestedBinary(2, true)));
    write(root / "frame", "too-long", std::string(1, 1) + std::string("\x7f\xff\xff\xff", 4) + "xx");
    write(root / "frame", "partial", std::string(1, 2) + hello.substr(0, hello.size() - 3));
    // The image decoder: a small JPEG and PNG (the first two bytes ask for
    // a size), a JPEG cut short and one with its header alone.
    gfx::SamplePhotoSpec spec;
    spec.width = 64;
    spec.height = 48;
    gfx::Image sample = gfx::makeSamplePhoto(spec);
    std::string jpeg = sample.jpegBytes(80).value_or(""), png = sample.pngBytes().value_or("");
    write(root / "images", "jpeg-whole", std::string(2, '\0') + jpeg);
    write(root / "images", "jpeg-by-eighths", std::string("\x05\x04", 2) + jpeg);
    write(root / "images", "png", std::string("\x08\x08", 2) + png);
    write(root / "images", "jpeg-cut", std::string("\x02\x02", 2) + jpeg.substr(0, jpeg.size() / 2));
    write(root / "images", "jpeg-header", std::string(2, '\x01') + jpeg.substr(0, 20));
    // The live viewer's input: one message of each kind, and near misses.
    const char* viewer[] = {"down 120.5 300",
                            "move 121 301.5",
                            "up 121 302",
                            "keys 1234",
                            "keys \xc3\xa9",
                            "delete 3",
                            "return",
                            "home",
                            "background com.apple.mobileslideshow",
                            "foreground com.apple.camera",
                            "touch-id enrolled",
                            "touch-id other",
                            "down 1e400 2",
                            "delete 0",
                            "keys \x01"};
    int n = 0;
    for (const char* line : viewer)
        write(root / "viewer", "input-" + std::to_string(n++), line);
    std::printf("seeds written under %s\n", root.c_str());
    return 0;
}
