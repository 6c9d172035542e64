#include "sim/foundation/BinaryPlistShape.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace fnd {

namespace {

struct Reader {
    std::string_view bytes;

    std::optional<uint64_t> uintAt(uint64_t offset, unsigned size) const {
        if (size == 0 || size > 8 || offset > bytes.size() || bytes.size() - offset < size) return std::nullopt;
        uint64_t v = 0;
        for (unsigned i = 0; i < size; ++i)
            v = (v << 8) | static_cast<unsigned char>(bytes[offset + i]);
        return v;
    }
};

struct Trailer {
    unsigned offsetSize;
    unsigned refSize;
    uint64_t objectCount;
    uint64_t topObject;
    uint64_t offsetTable;
};

std::optional<Trailer> readTrailer(const Reader& r) {
    if (r.bytes.size() < 8 + 32) return std::nullopt;
    uint64_t t = r.bytes.size() - 32;
    Trailer tr{static_cast<unsigned char>(r.bytes[t + 6]), static_cast<unsigned char>(r.bytes[t + 7]), 0, 0, 0};
    auto count = r.uintAt(t + 8, 8), top = r.uintAt(t + 16, 8), table = r.uintAt(t + 24, 8);
    if (!count || !top || !table) return std::nullopt;
    tr.objectCount = *count;
    tr.topObject = *top;
    tr.offsetTable = *table;
    if (tr.offsetSize == 0 || tr.offsetSize > 8 || tr.refSize == 0 || tr.refSize > 8) return std::nullopt;
    if (tr.topObject >= tr.objectCount || tr.offsetTable > t) return std::nullopt;
    if ((t - tr.offsetTable) / tr.offsetSize < tr.objectCount) return std::nullopt;
    return tr;
}

// The children of a container object: the refs of an array or set, or the
// keys and values of a dictionary; and the bytes a string or data object
// holds once read (UTF-16 may take three UTF-8 bytes a unit). Nothing for
// other scalars.
bool childRefs(const Reader& r, const Trailer& tr, uint64_t object, std::vector<uint64_t>& out, uint64_t& payload) {
    out.clear();
    payload = 0;
    auto offset = r.uintAt(tr.offsetTable + object * tr.offsetSize, tr.offsetSize);
    if (!offset || *offset >= tr.offsetTable) return false;
    auto marker = static_cast<unsigned char>(r.bytes[*offset]);
    unsigned type = marker >> 4;
    bool container = type == 0xA || type == 0xC || type == 0xD;
    bool text = type == 0x5 || type == 0x6;
    bool data = type == 0x4;
    if (!container && !text && !data) return true; // other scalars
    uint64_t pos = *offset + 1;
    uint64_t count = marker & 0x0F;
    if (count == 0x0F) { // the count follows as an integer object
        if (pos >= r.bytes.size()) return false;
        auto intMarker = static_cast<unsigned char>(r.bytes[pos]);
        if ((intMarker >> 4) != 0x1) return false;
        unsigned size = 1u << (intMarker & 0x0F);
        auto c = r.uintAt(pos + 1, size);
        if (!c) return false;
        count = *c;
        pos += 1 + size;
    }
    if (data) {
        if (count > r.bytes.size() - pos) return false;
        payload = count;
        return true;
    }
    if (text) {
        // libplist aborts on a string with an embedded NUL: refuse the file.
        uint64_t unit = type == 0x6 ? 2 : 1;
        if (count > (r.bytes.size() - pos) / unit) return false;
        payload = count * (type == 0x6 ? 3 : 1);
        for (uint64_t i = 0; i < count; ++i) {
            bool nul =
                unit == 1 ? r.bytes[pos + i] == '\0' : r.bytes[pos + 2 * i] == '\0' && r.bytes[pos + 2 * i + 1] == '\0';
            if (nul) return false;
        }
        return true;
    }
    uint64_t refs = type == 0xD ? count * 2 : count;
    if (count > r.bytes.size() || refs > (r.bytes.size() - pos) / tr.refSize) return false;
    for (uint64_t i = 0; i < refs; ++i) {
        auto ref = r.uintAt(pos + i * tr.refSize, tr.refSize);
        if (!ref || *ref >= tr.objectCount) return false;
        out.push_back(*ref);
    }
    return true;
}

} // namespace

bool binaryPlistSafeToParse(std::string_view bytes, int maxDepth, uint64_t maxNodes, uint64_t maxExpandedBytes) {
    Reader r{bytes};
    auto tr = readTrailer(r);
    if (!tr) return false;
    // Longest chain of containers, by depth-first search with an explicit
    // stack. Each object's height is computed once; an object met again while
    // it is still on the stack is a cycle, which no valid plist has.
    enum : uint8_t { Unseen, OnStack, Done };
    std::vector<uint8_t> state(tr->objectCount, Unseen);
    std::vector<int> height(tr->objectCount, 0);
    // How many nodes each object expands to once shared references are
    // copied (as libplist copies them), saturated just past the limit: a
    // small file whose objects reference one another many times over can
    // describe a tree of billions of nodes.
    std::vector<uint64_t> expanded(tr->objectCount, 0);
    // And how many bytes of strings and data: one 1 MB string referenced a
    // million times is a terabyte once copied.
    std::vector<uint64_t> expandedBytes(tr->objectCount, 0);
    struct Frame {
        uint64_t object;
        std::vector<uint64_t> children;
        std::size_t next = 0;
        uint64_t payload = 0;
    };
    std::vector<Frame> stack;
    auto push = [&](uint64_t object) -> bool {
        Frame f{object, {}, 0, 0};
        if (!childRefs(r, *tr, object, f.children, f.payload)) return false;
        state[object] = OnStack;
        stack.push_back(std::move(f));
        return static_cast<int>(stack.size()) <= maxDepth + 1;
    };
    if (!push(tr->topObject)) return false;
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.next == f.children.size()) {
            int h = 0;
            uint64_t nodes = 1;
            uint64_t payload = std::min(f.payload, maxExpandedBytes + 1);
            for (uint64_t c : f.children) {
                h = std::max(h, height[c] + 1);
                nodes = std::min(nodes + expanded[c], maxNodes + 1);
                payload = std::min(payload + expandedBytes[c], maxExpandedBytes + 1);
            }
            height[f.object] = h;
            expanded[f.object] = nodes;
            expandedBytes[f.object] = payload;
            if (nodes > maxNodes || payload > maxExpandedBytes) return false;
            state[f.object] = Done;
            stack.pop_back();
            continue;
        }
        uint64_t child = f.children[f.next++];
        if (state[child] == OnStack) return false;
        if (state[child] == Done) {
            if (height[child] + static_cast<int>(stack.size()) > maxDepth + 1) return false;
            continue;
        }
        if (!push(child)) return false;
    }
    return height[tr->topObject] <= maxDepth;
}

} // namespace fnd
