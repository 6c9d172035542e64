#include "sim/foundation/Scanner.h"

#include "sim/foundation/Value.h"

#include <cctype>
#include <cstdlib>

namespace fnd {

namespace {
bool skippable(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
} // namespace

void Scanner::skip() {
    while (m_pos < m_text.size() && skippable(m_text[m_pos]))
        ++m_pos;
}

bool Scanner::isAtEnd() const {
    for (std::size_t i = m_pos; i < m_text.size(); ++i)
        if (!skippable(m_text[i])) return false;
    return true;
}

std::optional<float> Scanner::scanFloat() {
    std::size_t start = m_pos;
    skip();
    std::size_t i = m_pos;
    if (i < m_text.size() && (m_text[i] == '+' || m_text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < m_text.size() && digit(m_text[i]))
        ++i, ++digits;
    if (i < m_text.size() && m_text[i] == '.') {
        ++i;
        while (i < m_text.size() && digit(m_text[i]))
            ++i, ++digits;
    }
    if (digits == 0) {
        m_pos = start;
        return std::nullopt;
    }
    // An exponent counts only when digits follow it; "1e" scans as 1.
    if (i < m_text.size() && (m_text[i] == 'e' || m_text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < m_text.size() && (m_text[j] == '+' || m_text[j] == '-')) ++j;
        if (j < m_text.size() && digit(m_text[j])) {
            while (j < m_text.size() && digit(m_text[j]))
                ++j;
            i = j;
        }
    }
    std::string number = m_text.substr(m_pos, i - m_pos);
    m_pos = i;
    return std::strtof(number.c_str(), nullptr);
}

std::optional<int> Scanner::scanInt() {
    std::size_t start = m_pos;
    skip();
    std::size_t i = m_pos;
    if (i < m_text.size() && (m_text[i] == '+' || m_text[i] == '-')) ++i;
    std::size_t firstDigit = i;
    while (i < m_text.size() && digit(m_text[i]))
        ++i;
    if (i == firstDigit) {
        m_pos = start;
        return std::nullopt;
    }
    int value = stringIntValue(m_text.substr(m_pos, i - m_pos));
    m_pos = i;
    return value;
}

} // namespace fnd
