#include "sim/foundation/PropertyList.h"

#include "sim/foundation/BinaryPlistShape.h"
#include "sim/foundation/BinaryPlistWriter.h"
#include "sim/foundation/Files.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <plist/plist.h>

namespace fnd {

namespace {

struct PlistDeleter {
    void operator()(void* p) const { plist_free(static_cast<plist_t>(p)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// A character reference to NUL ("&#0;", "&#x00;"): libplist would decode it
// into a string and then abort on it.
bool nulReferenceAt(std::string_view s, std::size_t i) {
    if (s.substr(i, 2) != "&#") return false;
    std::size_t j = i + 2;
    if (j < s.size() && (s[j] == 'x' || s[j] == 'X')) ++j;
    std::size_t zeros = j;
    while (j < s.size() && s[j] == '0')
        ++j;
    return j > zeros && j < s.size() && s[j] == ';';
}

// libplist builds and frees its trees recursively, so an XML document nested
// past our limit is refused before libplist sees it. Counting opening and
// closing container tags is enough: anything it miscounts is malformed XML
// that libplist refuses anyway. NUL characters, raw or referenced, are
// refused too: libplist aborts on a string that holds one.
bool xmlSafeToParse(std::string_view s, std::uint64_t maxNodes) {
    if (s.find('\0') != std::string_view::npos) return false;
    // Every value opens a tag, so the tags bound the tree (XML has no shared references).
    std::uint64_t tags = 0;
    for (std::size_t i = s.find('<'); i != std::string_view::npos; i = s.find('<', i + 1))
        if (++tags > 4 * maxNodes + 16) return false;
    for (std::size_t i = s.find("&#"); i != std::string_view::npos; i = s.find("&#", i + 1))
        if (nulReferenceAt(s, i)) return false;
    int depth = 0;
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != '<') continue;
        bool closing = s[i + 1] == '/';
        std::string_view rest = s.substr(i + (closing ? 2 : 1));
        bool container = rest.starts_with("array") || rest.starts_with("dict");
        if (!container) continue;
        std::size_t end = s.find('>', i);
        bool selfClosing = end != std::string_view::npos && end > 0 && s[end - 1] == '/';
        if (closing)
            --depth;
        else if (!selfClosing && ++depth > kMaxPlistDepth + 1)
            return false;
    }
    return true;
}

bool toValue(plist_t node, int depth, Value& out) {
    if (depth > kMaxPlistDepth) return false;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        out = Value(b != 0);
        return true;
    }
    case PLIST_UINT: {
        uint64_t u = 0;
        plist_get_uint_val(node, &u);
        out = Value(static_cast<std::int64_t>(u)); // libplist keeps signed integers two's-complement
        return true;
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        out = Value(d);
        return true;
    }
    case PLIST_STRING: {
        char* s = nullptr;
        plist_get_string_val(node, &s);
        out = Value(std::string(s ? s : ""));
        std::free(s);
        return true;
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        // libplist gives the fraction without its sign: a second before
        // 2001 and a half is sec -1, usec 500000. (Within the one second
        // before 2001 the sign is lost to it: sec is 0.)
        out = Value(Date{sec < 0 ? sec - usec / 1e6 : sec + usec / 1e6});
        return true;
    }
    case PLIST_DATA: {
        char* d = nullptr;
        uint64_t len = 0;
        plist_get_data_val(node, &d, &len);
        out = Value(Data(reinterpret_cast<uint8_t*>(d), reinterpret_cast<uint8_t*>(d) + len));
        std::free(d);
        return true;
    }
    case PLIST_ARRAY: {
        // Walked with libplist's iterator: plist_array_get_item(i) walks the
        // array's nodes from the start, so reading by index is quadratic.
        Array a;
        a.reserve(plist_array_get_size(node));
        plist_array_iter it = nullptr;
        plist_array_new_iter(node, &it);
        bool ok = true;
        for (;;) {
            plist_t child = nullptr;
            plist_array_next_item(node, it, &child);
            if (!child) break;
            Value item;
            if (!(ok = toValue(child, depth + 1, item))) break;
            a.push_back(std::move(item));
        }
        std::free(it);
        if (!ok) return false;
        out = Value(std::move(a));
        return true;
    }
    case PLIST_DICT: {
        Dictionary d;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
            char* key = nullptr;
            plist_t val = nullptr;
            plist_dict_next_item(node, it, &key, &val);
            if (!val) {
                std::free(key);
                break;
            }
            Value item;
            bool ok = toValue(val, depth + 1, item);
            if (ok) d.insert_or_assign(std::string(key ? key : ""), std::move(item));
            std::free(key);
            if (!ok) {
                std::free(it);
                return false;
            }
        }
        std::free(it);
        out = Value(std::move(d));
        return true;
    }
    default: // keys outside dictionaries, UIDs: not property-list values
        return false;
    }
}

plist_t fromValue(const Value& v, int depth) {
    if (depth > kMaxPlistDepth) return nullptr;
    switch (v.kind()) {
    case Value::Kind::None:
        return nullptr;
    case Value::Kind::String:
        return writableString(*v.string()) ? plist_new_string(v.string()->c_str()) : nullptr;
    case Value::Kind::Integer:
        return plist_new_uint(static_cast<uint64_t>(*v.integer()));
    case Value::Kind::Real:
        return plist_new_real(*v.real());
    case Value::Kind::Boolean:
        return plist_new_bool(*v.boolean() ? 1 : 0);
    case Value::Kind::Date: {
        double t = v.date()->sinceReferenceDate;
        if (!writableDate(t)) return nullptr;
        double sec = t < 0 ? -std::floor(-t) : std::floor(t);
        return plist_new_date(static_cast<int32_t>(sec), static_cast<int32_t>((t - sec) * 1e6));
    }
    case Value::Kind::Data: {
        const Data& d = *v.data();
        return plist_new_data(reinterpret_cast<const char*>(d.data()), d.size());
    }
    case Value::Kind::Array: {
        plist_t a = plist_new_array();
        for (const Value& item : *v.array()) {
            plist_t n = fromValue(item, depth + 1);
            if (n)
                plist_array_append_item(a, n);
            else if (!item.isNone()) { // too deep, or not writable: refuse the whole value
                plist_free(a);
                return nullptr;
            }
        }
        return a;
    }
    case Value::Kind::Dictionary: {
        plist_t d = plist_new_dict();
        for (const auto& [key, item] : *v.dictionary()) {
            plist_t n = writableString(key) ? fromValue(item, depth + 1) : nullptr;
            if (n)
                plist_dict_set_item(d, key.c_str(), n);
            else if (!item.isNone()) {
                plist_free(d);
                return nullptr;
            }
        }
        return d;
    }
    }
    return nullptr;
}

} // namespace

std::optional<Value> parsePlist(std::string_view bytes, const PlistLimits& limits) {
    if (bytes.empty() || bytes.size() > limits.maxBytes || bytes.size() > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    bool binary = plist_is_binary(bytes.data(), static_cast<uint32_t>(bytes.size()));
    bool safe = binary ? binaryPlistSafeToParse(bytes, kMaxPlistDepth, limits.maxNodes, limits.maxBytes)
                       : xmlSafeToParse(bytes, limits.maxNodes);
    if (!safe) return std::nullopt;
    plist_t root = nullptr;
    if (binary)
        plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    else
        plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root) return std::nullopt;
    PlistPtr owner(root);
    Value out;
    if (!toValue(root, 0, out)) return std::nullopt;
    return out;
}

std::optional<std::string> serializeXml(const Value& v) {
    plist_t root = fromValue(v, 0);
    if (!root) return std::nullopt;
    PlistPtr owner(root);
    char* xml = nullptr;
    uint32_t len = 0;
    plist_to_xml(root, &xml, &len);
    if (!xml) return std::nullopt;
    std::string out(xml, len);
    plist_to_xml_free(xml);
    return out;
}

std::optional<std::string> serializeBinary(const Value& v) { return writeBinaryPlist(v); }

std::optional<Value> readPlistFile(std::string_view devicePath, const PlistLimits& limits) {
    auto bytes = readFile(devicePath, limits.maxBytes);
    if (!bytes) return std::nullopt;
    return parsePlist(*bytes, limits);
}

std::optional<Array> readArrayFile(std::string_view devicePath, const PlistLimits& limits) {
    auto v = readPlistFile(devicePath, limits);
    if (!v || !v->array()) return std::nullopt;
    return std::move(*v->array());
}

std::optional<Dictionary> readDictionaryFile(std::string_view devicePath, const PlistLimits& limits) {
    auto v = readPlistFile(devicePath, limits);
    if (!v || !v->dictionary()) return std::nullopt;
    return std::move(*v->dictionary());
}

bool writePlistFile(std::string_view devicePath, const Value& v) {
    auto xml = serializeXml(v);
    return xml && writeFileAtomically(devicePath, *xml);
}

} // namespace fnd
