#pragma once
// Property lists written by hand in the shapes that broke readers before:
// shared references that expand exponentially, deep nesting, cycles, dates
// the format cannot hold, NUL characters in strings. Our own writer refuses
// most of these, but a file on disk or a frame on a socket can hold
// anything. The tests, the fuzz targets' seeds and the benchmarks share them.

#include <cstdint>
#include <string>
#include <vector>

namespace hostile {

// One object of a hand-written binary plist: an array of references to other
// objects, or (when `encoded` is set) a leaf already in the format's bytes.
struct PlistObject {
    std::vector<std::uint64_t> arrayOf;
    std::string encoded;
};

// A binary plist of these objects, object 0 at the top; references and
// offsets take as few bytes as the objects' count and the file's size allow.
std::string binaryPlist(const std::vector<PlistObject>& objects);

// `levels` arrays, each holding the next twice, then a one-letter string: a
// few bytes per level that expand to 2^(levels + 1) - 1 nodes.
std::string doublingBomb(int levels);
// `depth` one-element arrays nested in each other; `cyclic`: the innermost
// holds the outermost instead of being empty.
std::string nestedBinary(int depth, bool cyclic = false);
std::string nestedXml(int depth);
// An array that references one string of `length` bytes `times` times:
// small on disk, length x times once the references are copied.
std::string sharedLongString(std::size_t length, std::size_t times);
// An array holding a date far outside what the format's writers hold.
std::string farDate();
// An array holding the string "a\0b".
std::string nulString();

} // namespace hostile
