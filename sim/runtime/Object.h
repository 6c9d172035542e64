#pragma once
// Object: the root of every runtime object (NSObject's storage).
//
// An object knows its class (isa) and carries an atomic reference count. Its
// class decides which messages it answers; the C++ type only holds the
// instance variables. Associated values let classes made at run time (the
// products' own subclasses of host classes) keep state without a C++ type.

#include "sim/runtime/Ref.h"

#include <atomic>
#include <memory>

namespace rt {

class Class;

class Object {
public:
    explicit Object(Class* isa)
        : m_isa(isa) {}
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object();

    Class* isa() const { return m_isa.load(std::memory_order_relaxed); }
    // object_setClass: used by the runtime for class objects only.
    void setIsa(Class* cls) { m_isa.store(cls, std::memory_order_relaxed); }

    void retain() const { m_refs.fetch_add(1, std::memory_order_relaxed); }
    void release() const {
        if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    int retainCount() const { return m_refs.load(std::memory_order_relaxed); }
    // A retain that fails once the last reference is gone (for Weak).
    bool tryRetain() const {
        int n = m_refs.load(std::memory_order_relaxed);
        while (n > 0)
            if (m_refs.compare_exchange_weak(n, n + 1, std::memory_order_relaxed)) return true;
        return false;
    }
    void markWeaklyReferenced() { m_weaklyReferenced.store(true, std::memory_order_relaxed); }

    // objc_setAssociatedObject with a strong, nonatomic-in-spirit policy; the
    // storage itself is locked so that any thread may use it.
    void setAssociated(const void* key, Ref<Object> value);
    Ref<Object> associated(const void* key) const;

private:
    struct Associations;
    void clearWeakReferences(); // Weak.cpp
    std::atomic<Class*> m_isa;
    mutable std::atomic<int> m_refs{1};
    mutable std::atomic<Associations*> m_associations{nullptr};
    std::atomic<bool> m_weaklyReferenced{false};
};

// A borrowed object pointer: the receiver of a message, `self`.
using Id = Object*;

} // namespace rt
