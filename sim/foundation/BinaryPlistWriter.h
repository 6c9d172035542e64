#pragma once
// The binary property-list writer (bplist00), in time linear in the value.
//
// libplist's own writer keeps the objects it has written in a hash table of
// a fixed 4,096 buckets to share equal ones, so writing n objects costs about
// n^2 / 4,096 comparisons: a frame of a million values took 54 s, and any app
// could keep the daemon busy that long. This one shares nothing: each value
// is written once, in breadth-first order, so its references are known when
// the container is written. Readers (libplist's, ours) take it unchanged.

#include "sim/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace fnd {

// None for a value no reader here would take back: a None root, a tree
// deeper than kMaxPlistDepth, a NUL in a string or key, a date outside what
// the readers hold. None values inside containers are left out.
std::optional<std::string> writeBinaryPlist(const Value& v);

// The rules every writer follows, so that what is written reads back.
// A date must be finite and within 32-bit seconds of 2001 (about 68 years
// either side), as libplist holds dates.
bool writableDate(double sinceReferenceDate);
// A string (or key) must hold no NUL: the readers refuse such files whole.
bool writableString(std::string_view s);

} // namespace fnd
