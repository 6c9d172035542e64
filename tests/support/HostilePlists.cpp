#include "tests/support/HostilePlists.h"

#include <cstring>

namespace hostile {

namespace {
void bigEndian(std::string& out, std::uint64_t v, unsigned bytes) {
    for (int b = static_cast<int>(bytes) - 1; b >= 0; --b)
        out += static_cast<char>((v >> (8 * b)) & 0xFF);
}
unsigned bytesFor(std::uint64_t largest) {
    return largest < 256 ? 1 : largest < 65536 ? 2 : largest < (1ull << 32) ? 4 : 8;
}
} // namespace

std::string binaryPlist(const std::vector<PlistObject>& objects) {
    unsigned refSize = bytesFor(objects.size());
    std::string body = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const auto& o : objects) {
        offsets.push_back(body.size());
        if (!o.encoded.empty()) {
            body += o.encoded;
            continue;
        }
        std::size_t n = o.arrayOf.size();
        if (n < 15) {
            body += static_cast<char>(0xA0 | n);
        } else {
            body += static_cast<char>(0xAF);
            body += static_cast<char>(0x13); // an 8-byte integer count follows
            bigEndian(body, n, 8);
        }
        for (std::uint64_t r : o.arrayOf)
            bigEndian(body, r, refSize);
    }
    std::uint64_t table = body.size();
    unsigned offsetSize = bytesFor(table);
    for (std::uint64_t o : offsets)
        bigEndian(body, o, offsetSize);
    body += std::string(6, '\0');
    body += static_cast<char>(offsetSize);
    body += static_cast<char>(refSize);
    bigEndian(body, objects.size(), 8);
    bigEndian(body, 0, 8); // the top object
    bigEndian(body, table, 8);
    return body;
}

std::string doublingBomb(int levels) {
    std::vector<PlistObject> o;
    for (int i = 0; i < levels; ++i)
        o.push_back({{static_cast<std::uint64_t>(i + 1), static_cast<std::uint64_t>(i + 1)}, {}});
    o.push_back({{}, "\x51x"});
    return binaryPlist(o);
}

std::string nestedBinary(int depth, bool cyclic) {
    std::vector<PlistObject> o;
    for (int i = 0; i + 1 < depth; ++i)
        o.push_back({{static_cast<std::uint64_t>(i + 1)}, {}});
    o.push_back(cyclic ? PlistObject{{0}, {}} : PlistObject{{}, std::string(1, '\xA0')});
    return binaryPlist(o);
}

std::string sharedLongString(std::size_t length, std::size_t times) {
    std::string text(1, '\x5F'); // an ASCII string with its length after it
    text += '\x13';
    bigEndian(text, length, 8);
    text += std::string(length, 's');
    return binaryPlist({{std::vector<std::uint64_t>(times, 1), {}}, {{}, text}});
}

std::string nestedXml(int depth) {
    std::string s = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < depth; ++i)
        s += "<array>";
    for (int i = 0; i < depth; ++i)
        s += "</array>";
    return s + "</plist>";
}

std::string farDate() {
    double when = -3e9;
    std::uint64_t bits;
    std::memcpy(&bits, &when, sizeof bits);
    std::string date = "\x33";
    bigEndian(date, bits, 8);
    return binaryPlist({{{1}, {}}, {{}, date}});
}

std::string nulString() {
    return binaryPlist({{{1}, {}},
                        {{},
                         std::string("\x53"
                                     "a\0b",
                                     4)}});
}

} // namespace hostile
