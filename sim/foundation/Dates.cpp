#include "sim/foundation/Dates.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace fnd {

std::optional<double> parseIsoDate(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char sep = 0;
    int n = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d", &y, &mo, &d, &sep, &h, &mi, &s);
    if (n < 3 || (n > 3 && sep != 'T' && sep != ' ') || (n > 3 && n < 6)) return std::nullopt;
    using namespace std::chrono;
    year_month_day ymd{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
    if (!ymd.ok() || h > 23 || mi > 59 || s > 60) return std::nullopt;
    std::size_t consumed = n == 3 ? 10 : n == 6 ? 16 : 19;
    std::string rest = text.substr(std::min(consumed, text.size()));
    if (!rest.empty() && rest != "Z") return std::nullopt;
    double unix = static_cast<double>(sys_days{ymd}.time_since_epoch().count()) * 86400 + h * 3600 + mi * 60 + s;
    return unix - kUnixToReferenceDate;
}

std::string formatDate(double sinceReference) {
    using namespace std::chrono;
    auto secs = static_cast<int64_t>(std::floor(sinceReference + kUnixToReferenceDate));
    auto dayCount = static_cast<int64_t>(std::floor(secs / 86400.0));
    year_month_day ymd{sys_days{days{dayCount}}};
    int64_t rem = secs - dayCount * 86400;
    char out[64];
    std::snprintf(out, sizeof out, "%04d-%02u-%02u %02lld:%02lld:%02lld", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<long long>(rem / 3600), static_cast<long long>(rem / 60 % 60),
                  static_cast<long long>(rem % 60));
    return out;
}

double nowSinceReferenceDate() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count() - kUnixToReferenceDate;
}

} // namespace fnd
