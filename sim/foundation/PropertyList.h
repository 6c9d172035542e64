#pragma once
// Property lists on disk and on the wire, through libplist.
//
// Readers take anything: absent, empty, truncated, garbage, XML or binary,
// wrong root type, absurdly deep or large. What cannot be read whole reads as
// none; nothing is ever half-applied. Writers produce the platform's XML form
// (files) or its binary form (message frames).

#include "sim/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace fnd {

// Nesting deeper than this is refused: no file of the system nests more than
// a few levels, and the tree is converted recursively.
inline constexpr int kMaxPlistDepth = 256;

std::optional<Value> parsePlist(std::string_view bytes);
// None values inside arrays and dictionaries are left out, as a nil cannot be
// stored in NSArray; a None root cannot be serialised.
std::optional<std::string> serializeXml(const Value& v);
std::optional<std::string> serializeBinary(const Value& v);

std::optional<Value> readPlistFile(std::string_view devicePath);
// NSArray initWithContentsOfFile: none unless the root is an array.
std::optional<Array> readArrayFile(std::string_view devicePath);
// NSDictionary dictionaryWithContentsOfFile: none unless the root is a dictionary.
std::optional<Dictionary> readDictionaryFile(std::string_view devicePath);
// writeToFile:atomically:YES, XML form.
bool writePlistFile(std::string_view devicePath, const Value& v);

} // namespace fnd
