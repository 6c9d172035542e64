#pragma once
// A structural pre-check of binary property lists.
//
// libplist parses and frees binary plists recursively, so a small file whose
// containers nest tens of thousands deep overflows the stack. Before a binary
// plist goes to libplist, this walks its object graph from the trailer and
// offset table without recursion and answers whether every reference is in
// bounds, no chain of containers nests deeper than the limit, no string
// holds a NUL character (on which libplist asserts and aborts the process),
// and the tree, with every shared reference copied as libplist copies it,
// has no more than `maxNodes` nodes (a 522-byte file can otherwise describe
// billions) and no more than `maxExpandedBytes` of strings and data (a 1 MB
// string shared a million times is a terabyte). Linear in the file's objects
// and references.

#include <cstdint>
#include <string_view>

namespace fnd {

bool binaryPlistSafeToParse(std::string_view bytes, int maxDepth, uint64_t maxNodes, uint64_t maxExpandedBytes);

} // namespace fnd
