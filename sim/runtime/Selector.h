#pragma once
// Selectors: method names interned once per process and compared by pointer.
//
// sel("name") interns at run time (a hash lookup under a lock); "name"_sel
// interns once per distinct literal and then costs a guard check, which is what
// every hot call site uses. Each selector gets a dense index, which indexes
// the classes' dispatch tables directly (no hashing on a send).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rt {

struct SelectorInfo {
    std::string name;
    uint32_t index;
};
using Sel = const SelectorInfo*;

Sel sel(std::string_view name);
inline const std::string& selName(Sel s) { return s->name; }
// How many arguments a method of this name takes: one per ':' in it, as in
// Objective-C ("handle" none, "handle:" one, "a:b:" two). Senders that may
// be given either kind of target-action selector (timers, gesture
// recognisers, buttons) decide by it whether to pass their argument.
inline std::size_t argumentCount(Sel s) {
    std::size_t n = 0;
    for (char c : s->name)
        n += c == ':';
    return n;
}

template <std::size_t N> struct FixedString {
    char data[N]{};
    constexpr FixedString(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i)
            data[i] = s[i];
    }
    constexpr std::string_view view() const { return {data, N - 1}; }
};

// A selector written as a literal. It converts to Sel wherever one is
// wanted, and lets a send keep an inline cache per literal (Runtime.h).
template <FixedString S> struct SelLiteral {
    [[gnu::always_inline]] operator Sel() const {
        static const Sel s = sel(S.view());
        return s;
    }
};

namespace literals {
template <FixedString S> constexpr SelLiteral<S> operator""_sel() { return {}; }
} // namespace literals

} // namespace rt
