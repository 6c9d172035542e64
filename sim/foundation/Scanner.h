#pragma once
// Scanner: NSScanner over a string, with its default of skipping white space
// and newlines before each scan, and isAtEnd meaning that only skippable
// characters remain.

#include <cstddef>
#include <optional>
#include <string>

namespace fnd {

class Scanner {
public:
    explicit Scanner(std::string text)
        : m_text(std::move(text)) {}

    // scanFloat: a decimal float with optional sign, fraction and exponent
    // ("-1.5e3", ".5", "2."). On failure nothing is consumed.
    std::optional<float> scanFloat();
    std::optional<int> scanInt();
    bool isAtEnd() const;
    std::size_t location() const { return m_pos; }

private:
    void skip();
    std::string m_text;
    std::size_t m_pos = 0;
};

} // namespace fnd
