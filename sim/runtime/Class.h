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

#include "sim/runtime/Object.h"
#include "sim/runtime/Signature.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace rt {

using ErasedImp = void (*)();

struct Method {
    Sel sel;
    const Signature* signature;
    std::atomic<ErasedImp> imp;
    Class* owner;
};

// A class's method cache: an open-addressed table from selector to what a
// send needs (the implementation and its signature), filled on misses under
// the runtime lock and read without a lock. An entry is written once, before
// its selector is published with release; it never changes afterwards. Any
// change to any method (an add, a hook) drops every cache, so a cached
// implementation is never stale for long and the probe needs no generation
// check. Dropped caches are kept, never freed: a reader may still be probing.
struct MethodCache {
    struct Entry {
        std::atomic<Sel> sel{nullptr};
        // The class whose cache holds the entry; cleared when the cache is
        // dropped, which is how inline caches at call sites learn of it.
        std::atomic<Class*> owner{nullptr};
        ErasedImp imp = nullptr;
        const Signature* signature = nullptr;
        Method* method = nullptr; // null with a selector set: known to be absent
    };
    static MethodCache* create(uint32_t size);
    static void destroy(MethodCache* c);
    Entry* entries() { return reinterpret_cast<Entry*>(this + 1); }
    uint32_t mask;
    uint32_t used = 0;
};

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

    // Cached lookup along the superclass chain. The entry's method is null
    // when no class in the chain implements the selector. Safe from any thread.
    [[gnu::always_inline]] const MethodCache::Entry* lookupEntry(Sel sel) {
        if (MethodCache* c = m_cache.load(std::memory_order_acquire)) {
            MethodCache::Entry* e = c->entries();
            for (uint32_t i = sel->index & c->mask;; i = (i + 1) & c->mask) {
                Sel s = e[i].sel.load(std::memory_order_acquire);
                if (s == sel) return &e[i];
                if (!s) break;
            }
        }
        return lookupSlow(sel);
    }
    Method* lookup(Sel sel) { return lookupEntry(sel)->method; }

private:
    friend class RuntimeImpl;
    Class(Class* isa, std::string name, Class* superclass, bool isMeta, Factory factory);
    const MethodCache::Entry* lookupSlow(Sel sel);

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
