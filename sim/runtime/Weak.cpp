#include "sim/runtime/Weak.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace rt {

namespace {
// Which slots name each weakly referenced object. One lock for all: weak
// references are few (delegates, targets) and their operations short.
struct Table {
    std::mutex lock;
    std::unordered_map<Object*, std::vector<Object**>> slots;
};
Table& table() {
    static Table* t = new Table; // outlives every object, also at exit
    return *t;
}

void unlinkLocked(Table& t, Object** slot) {
    if (!*slot) return;
    auto it = t.slots.find(*slot);
    if (it != t.slots.end()) {
        auto& list = it->second;
        list.erase(std::remove(list.begin(), list.end(), slot), list.end());
        if (list.empty()) t.slots.erase(it);
    }
    *slot = nullptr;
}
} // namespace

namespace detail {

void weakRegister(Object** slot, Object* obj) {
    Table& t = table();
    std::lock_guard guard(t.lock);
    unlinkLocked(t, slot);
    // An object already on its way out is not referenced any more.
    if (!obj || obj->retainCount() == 0) return;
    *slot = obj;
    t.slots[obj].push_back(slot);
    obj->markWeaklyReferenced();
}

void weakUnregister(Object** slot) {
    Table& t = table();
    std::lock_guard guard(t.lock);
    unlinkLocked(t, slot);
}

Object* weakLoad(Object* const* slot) {
    Table& t = table();
    std::lock_guard guard(t.lock);
    Object* obj = *slot;
    return obj && obj->tryRetain() ? obj : nullptr;
}

} // namespace detail

void Object::clearWeakReferences() {
    Table& t = table();
    std::lock_guard guard(t.lock);
    auto it = t.slots.find(this);
    if (it == t.slots.end()) return;
    for (Object** slot : it->second)
        *slot = nullptr;
    t.slots.erase(it);
}

} // namespace rt
