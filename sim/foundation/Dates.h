#pragma once
// Dates as people write them, in UTC, to and from seconds since the
// reference date (2001-01-01, NSDate's).

#include <optional>
#include <string>

namespace fnd {

inline constexpr double kUnixToReferenceDate = 978307200.0;

// "2026-12-08", "2026-12-08T09:30", "2026-12-08 09:30:15", an optional "Z";
// none for anything else (or a day that does not exist).
std::optional<double> parseIsoDate(const std::string& text);
// "2026-12-08 09:30:15".
std::string formatDate(double sinceReferenceDate);
// Now, in seconds since the reference date.
double nowSinceReferenceDate();

} // namespace fnd
