#include "sim/runtime/Object.h"

#include <mutex>
#include <unordered_map>

namespace rt {

struct Object::Associations {
    std::mutex lock;
    std::unordered_map<const void*, Ref<Object>> values;
};

Object::~Object() {
    if (m_weaklyReferenced.load(std::memory_order_relaxed)) clearWeakReferences();
    delete m_associations.load(std::memory_order_acquire);
}

void Object::setAssociated(const void* key, Ref<Object> value) {
    Associations* a = m_associations.load(std::memory_order_acquire);
    if (!a) {
        auto* fresh = new Associations;
        if (m_associations.compare_exchange_strong(a, fresh, std::memory_order_acq_rel))
            a = fresh;
        else
            delete fresh; // another thread won; `a` now holds its table
    }
    Ref<Object> old;
    {
        std::lock_guard guard(a->lock);
        auto& slot = a->values[key];
        old = std::move(slot);
        slot = std::move(value);
    }
    // `old` is released outside the lock: its destructor may touch this object.
}

Ref<Object> Object::associated(const void* key) const {
    Associations* a = m_associations.load(std::memory_order_acquire);
    if (!a) return nullptr;
    std::lock_guard guard(a->lock);
    auto it = a->values.find(key);
    return it == a->values.end() ? nullptr : it->second;
}

} // namespace rt
