#pragma once
// Property lists on disk and on the wire, through libplist.
//
// Readers take anything: absent, empty, truncated, garbage, XML or binary,
// wrong root type, absurdly deep or large. What cannot be read whole reads as
// none; nothing is ever half-applied. Writers produce the platform's XML form
// (files) or its binary form (message frames).

#include "sim/foundation/Value.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fnd {

// Nesting deeper than this is refused: no file of the system nests more than
// a few levels, and the tree is converted recursively.
inline constexpr int kMaxPlistDepth = 256;

// What a reader accepts: at most `maxBytes` of input, and a tree of at most
// `maxNodes` values and `maxBytes` of strings and data, counted with shared
// references copied, as a binary plist's readers copy them. The defaults take anything a device file or
// message holds; readers that know their domain (a state file, a frame)
// give tighter ones.
struct PlistLimits {
    std::size_t maxBytes = 16u << 20;
    std::uint64_t maxNodes = 1'000'000;
};

std::optional<Value> parsePlist(std::string_view bytes, const PlistLimits& limits = {});
// None values inside arrays and dictionaries are left out, as a nil cannot be
// stored in NSArray; a None root cannot be serialised, nor a value that would
// not read back (see BinaryPlistWriter.h: too deep, a NUL in a string, a date
// out of range). XML through libplist; binary through our own linear writer.
std::optional<std::string> serializeXml(const Value& v);
std::optional<std::string> serializeBinary(const Value& v);

std::optional<Value> readPlistFile(std::string_view devicePath, const PlistLimits& limits = {});
// NSArray initWithContentsOfFile: none unless the root is an array.
std::optional<Array> readArrayFile(std::string_view devicePath, const PlistLimits& limits = {});
// NSDictionary dictionaryWithContentsOfFile: none unless the root is a dictionary.
std::optional<Dictionary> readDictionaryFile(std::string_view devicePath, const PlistLimits& limits = {});
// writeToFile:atomically:YES, XML form.
bool writePlistFile(std::string_view devicePath, const Value& v);

} // namespace fnd
