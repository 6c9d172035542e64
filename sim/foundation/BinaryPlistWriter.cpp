#include "sim/foundation/BinaryPlistWriter.h"

#include "sim/foundation/PropertyList.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace fnd {

bool writableDate(double t) {
    if (!std::isfinite(t)) return false;
    double sec = t < 0 ? -std::floor(-t) : std::floor(t);
    return sec >= std::numeric_limits<int32_t>::min() && sec <= std::numeric_limits<int32_t>::max();
}

bool writableString(std::string_view s) { return s.find('\0') == std::string_view::npos; }

namespace {

unsigned bytesFor(uint64_t largest) {
    return largest <= 0xFF ? 1 : largest <= 0xFFFF ? 2 : largest <= 0xFFFFFFFFu ? 4 : 8;
}

// The UTF-16 code units of a UTF-8 string; a byte that does not start a
// well-formed sequence becomes U+FFFD, as a lenient decoder reads it.
std::vector<uint16_t> utf16(std::string_view s) {
    std::vector<uint16_t> units;
    units.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        unsigned length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        uint32_t cp = length == 1 ? b : length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = length != 0 && i + length <= s.size();
        for (unsigned k = 1; ok && k < length; ++k) {
            auto c = static_cast<unsigned char>(s[i + k]);
            ok = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
        static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        ok = ok && cp >= kSmallest[length] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        if (!ok) {
            units.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back(static_cast<uint16_t>(0xD800 | (cp >> 10)));
            units.push_back(static_cast<uint16_t>(0xDC00 | (cp & 0x3FF)));
        } else {
            units.push_back(static_cast<uint16_t>(cp));
        }
        i += length;
    }
    return units;
}

// One object to write: a value, or a dictionary's key.
struct Item {
    const Value* value = nullptr;
    const std::string* key = nullptr;
};

class Writer {
public:
    explicit Writer(uint64_t objects)
        : m_refSize(bytesFor(objects)) {
        m_out = "bplist00";
        m_offsets.reserve(objects);
        m_queue.reserve(objects);
    }

    std::string write(const Value& root) {
        m_queue.push_back({&root, nullptr});
        for (std::size_t next = 0; next < m_queue.size(); ++next) {
            m_offsets.push_back(m_out.size());
            Item item = m_queue[next];
            if (item.key)
                string(*item.key);
            else
                value(*item.value);
        }
        uint64_t table = m_out.size();
        unsigned offsetSize = bytesFor(m_offsets.empty() ? 0 : m_offsets.back());
        for (uint64_t o : m_offsets)
            bigEndian(o, offsetSize);
        m_out.append(6, '\0');
        m_out += static_cast<char>(offsetSize);
        m_out += static_cast<char>(m_refSize);
        bigEndian(m_offsets.size(), 8);
        bigEndian(0, 8); // the top object
        bigEndian(table, 8);
        return std::move(m_out);
    }

private:
    void bigEndian(uint64_t v, unsigned bytes) {
        for (int b = static_cast<int>(bytes) - 1; b >= 0; --b)
            m_out += static_cast<char>((v >> (8 * b)) & 0xFF);
    }
    // 1, 2 and 4-byte integers are unsigned; 8-byte ones are signed.
    void integer(int64_t v) {
        unsigned bytes = v < 0 ? 8 : bytesFor(static_cast<uint64_t>(v));
        m_out += static_cast<char>(0x10 | std::countr_zero(bytes));
        bigEndian(static_cast<uint64_t>(v), bytes);
    }
    // A type nibble and a count: in the marker below 15, else an integer after it.
    void marker(uint8_t type, uint64_t count) {
        if (count < 15) {
            m_out += static_cast<char>(type | count);
            return;
        }
        m_out += static_cast<char>(type | 0x0F);
        integer(static_cast<int64_t>(count));
    }
    void real(uint8_t type, double d) {
        m_out += static_cast<char>(type);
        bigEndian(std::bit_cast<uint64_t>(d), 8);
    }
    void string(const std::string& s) {
        bool ascii = true;
        for (char c : s)
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii) {
            marker(0x50, s.size());
            m_out += s;
            return;
        }
        std::vector<uint16_t> units = utf16(s);
        marker(0x60, units.size());
        for (uint16_t u : units)
            bigEndian(u, 2);
    }
    // The references to the next `count` objects queued from here on.
    void children(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            bigEndian(m_queue.size() - count + i, m_refSize);
    }
    void value(const Value& v) {
        switch (v.kind()) {
        case Value::Kind::None: // never queued
            break;
        case Value::Kind::String:
            string(*v.string());
            break;
        case Value::Kind::Integer:
            integer(*v.integer());
            break;
        case Value::Kind::Real:
            real(0x23, *v.real());
            break;
        case Value::Kind::Boolean:
            m_out += static_cast<char>(*v.boolean() ? 0x09 : 0x08);
            break;
        case Value::Kind::Date:
            real(0x33, v.date()->sinceReferenceDate);
            break;
        case Value::Kind::Data:
            marker(0x40, v.data()->size());
            m_out.append(reinterpret_cast<const char*>(v.data()->data()), v.data()->size());
            break;
        case Value::Kind::Array: {
            std::size_t count = 0;
            for (const Value& item : *v.array())
                if (!item.isNone()) {
                    m_queue.push_back({&item, nullptr});
                    ++count;
                }
            marker(0xA0, count);
            children(count);
            break;
        }
        case Value::Kind::Dictionary: {
            std::size_t count = 0;
            for (const auto& [key, item] : *v.dictionary())
                if (!item.isNone()) {
                    m_queue.push_back({nullptr, &key});
                    ++count;
                }
            for (const auto& [key, item] : *v.dictionary())
                if (!item.isNone()) m_queue.push_back({&item, nullptr});
            marker(0xD0, count);
            // Keys first, then the values in the same order.
            for (std::size_t i = 0; i < 2 * count; ++i)
                bigEndian(m_queue.size() - 2 * count + i, m_refSize);
            break;
        }
        }
    }

    std::string m_out;
    unsigned m_refSize;
    std::vector<uint64_t> m_offsets;
    std::vector<Item> m_queue;
};

// The number of objects a value writes (containers, leaves and keys), or
// none if it cannot be written. Without recursion.
std::optional<uint64_t> countObjects(const Value& root) {
    if (root.isNone()) return std::nullopt;
    std::vector<std::pair<const Value*, int>> stack{{&root, 0}};
    uint64_t count = 0;
    while (!stack.empty()) {
        auto [v, depth] = stack.back();
        stack.pop_back();
        if (depth > kMaxPlistDepth) return std::nullopt;
        ++count;
        if (const std::string* s = v->string(); s && !writableString(*s)) return std::nullopt;
        if (const Date* d = v->date(); d && !writableDate(d->sinceReferenceDate)) return std::nullopt;
        if (const Array* a = v->array())
            for (const Value& item : *a)
                if (!item.isNone()) stack.emplace_back(&item, depth + 1);
        if (const Dictionary* d = v->dictionary())
            for (const auto& [key, item] : *d) {
                if (item.isNone()) continue;
                if (!writableString(key)) return std::nullopt;
                ++count;
                stack.emplace_back(&item, depth + 1);
            }
    }
    return count;
}

} // namespace

std::optional<std::string> writeBinaryPlist(const Value& v) {
    std::optional<uint64_t> objects = countObjects(v);
    if (!objects) return std::nullopt;
    return Writer(*objects).write(v);
}

} // namespace fnd
