#include "sim/runtime/Selector.h"

#include <deque>
#include <mutex>
#include <unordered_map>

namespace rt {

namespace {
struct SelectorTable {
    std::mutex lock;
    std::deque<SelectorInfo> storage; // stable addresses
    std::unordered_map<std::string_view, Sel> byName;
};
SelectorTable& table() {
    static auto* t = new SelectorTable; // lives as long as the process: selectors never die
    return *t;
}
} // namespace

Sel sel(std::string_view name) {
    SelectorTable& t = table();
    std::lock_guard guard(t.lock);
    if (auto it = t.byName.find(name); it != t.byName.end()) return it->second;
    t.storage.push_back(SelectorInfo{std::string(name), static_cast<uint32_t>(t.storage.size())});
    Sel s = &t.storage.back();
    t.byName.emplace(s->name, s);
    return s;
}

} // namespace rt
