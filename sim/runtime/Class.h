#pragma once
// Class: a runtime class, itself an object whose class is its metaclass.
//
// A class holds its own methods (selector -> Method) and a per-class cache
// from selector to the Method found along the superclass chain. Method
// entries are never freed or moved, so replacing an implementation is an
// atomic store into the entry and needs no cache flush; only adding a method
// (which may shadow an inherited one) bumps the global cache generation.
//
// Locking: every mutation, and every cache miss, runs under the runtime lock
// (Runtime.cpp). The cache probe of a send takes no lock.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "sim/runtime/Object.h"
#include "sim/runtime/Signature.h"

namespace rt {

using ErasedImp = void (*)();

struct Method {
    Sel sel;
    const Signature* signature;
    std::atomic<ErasedImp> imp;
    Class* owner;
};

struct MethodCache {
    struct Entry {
        std::atomic<Sel> sel{nullptr};
        std::atomic<Method*> method{nullptr}; // null with a selector set: known absent
    };
    MethodCache(uint64_t gen, uint32_t size)
        : generation(gen), mask(size - 1), entries(new Entry[size]) {}
    uint64_t generation;
    uint32_t mask;
    uint32_t used = 0;
    std::unique_ptr<Entry[]> entries;
};

namespace detail {
extern std::atomic<uint64_t> g_cacheGeneration;
}

class Class final : public Object {
public:
    using Factory = Object* (*)(Class*);

    const std::string& name() const { return m_name; }
    Class* superclass() const { return m_superclass; }
    bool isMetaclass() const { return m_isMeta; }
    // For a class: its metaclass. For a metaclass: the root metaclass.
    Class* metaclass() const { return isa(); }
    // The factory that makes instances, inherited from the nearest ancestor
    // that has one; null only for classes whose instances the runtime cannot
    // make (none, once NSObject's is set).
    Factory factory() const;

    // Cached lookup along the superclass chain; null when no class in the
    // chain implements the selector. Safe from any thread.
    Method* lookup(Sel sel) {
        MethodCache* c = m_cache.load(std::memory_order_acquire);
        if (c && c->generation == detail::g_cacheGeneration.load(std::memory_order_acquire)) {
            for (uint32_t i = sel->index & c->mask;; i = (i + 1) & c->mask) {
                Sel s = c->entries[i].sel.load(std::memory_order_acquire);
                if (s == sel) return c->entries[i].method.load(std::memory_order_relaxed);
                if (!s) break;
            }
        }
        return lookupSlow(sel);
    }

private:
    friend class RuntimeImpl;
    Class(Class* isa, std::string name, Class* superclass, bool isMeta, Factory factory);
    Method* lookupSlow(Sel sel);

    std::string m_name;
    Class* m_superclass;
    bool m_isMeta;
    Factory m_factory;
    // Guarded by the runtime lock.
    std::unordered_map<Sel, Method*> m_methods;
    std::vector<std::unique_ptr<Method>> m_methodStorage;
    std::atomic<MethodCache*> m_cache{nullptr};
};

} // namespace rt
