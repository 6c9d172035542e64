#pragma once
// Class: a runtime class, itself an object whose class is its metaclass.
//
// A class holds its own methods (selector -> Method) and a dispatch table
// from selector to the Method that a send to an instance reaches, found
// along the superclass chain. Methods are never freed or moved, and a
// dispatch slot points at the Method itself, not at a copy of its
// implementation; so replacing an implementation (a hook of a method the
// class owns) is one atomic store into the Method and needs no flush.
// Adding a method may shadow an inherited one or fill a selector known to be
// absent: it resets that selector's slot in the class and every subclass,
// and the next send resolves it again.
//
// The dispatch table is a two-level sparse array indexed by the selector's
// dense index (libobjc2's dtable): pages of slots are only ever added, never
// replaced, so a reader never holds memory that the runtime frees, and the
// read path takes no lock. Each slot records the class it belongs to, which
// is what a selector literal's inline cache (Runtime.h) compares with the
// receiver's class.
//
// Locking: every mutation, and every resolution of a slot, runs under the
// runtime lock (Runtime.cpp).

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
    // Null only for the runtime's marker of a selector that no class in the
    // chain implements.
    const Signature* signature;
    std::atomic<ErasedImp> imp;
    Class* owner;
};

// One selector's entry in one class's dispatch table. `method` is null until
// a send resolves it (or after an add reset it), then the Method found along
// the chain, or the absent marker (Runtime.cpp), whose signature is null.
struct DispatchSlot {
    Class* owner = nullptr; // the class whose table holds the slot; never changes
    std::atomic<Method*> method{nullptr};
};

class Class final : public Object {
public:
    using Factory = Object* (*)(Class*);

    static constexpr uint32_t kPageBits = 6;
    static constexpr uint32_t kPageSize = 1u << kPageBits;
    static constexpr uint32_t kPageCount = 1024; // up to 65,536 selectors in a process
    struct DispatchPage {
        DispatchSlot slots[kPageSize];
    };

    const std::string& name() const { return m_name; }
    Class* superclass() const { return m_superclass; }
    bool isMetaclass() const { return m_isMeta; }
    // For a class: its metaclass. For a metaclass: the root metaclass.
    Class* metaclass() const { return isa(); }
    // The factory that makes instances, inherited from the nearest ancestor
    // that has one; null only for classes whose instances the runtime cannot
    // make (none, once NSObject's is set).
    Factory factory() const;

    // The class's dispatch slot for the selector, made if need be: what a
    // call site's inline cache keeps. Its method may be unresolved (null)
    // by the time the caller reads it, as an add on another thread resets
    // it; read the method through methodFor, never twice from the slot.
    [[gnu::always_inline]] const DispatchSlot* slotFor(Sel sel) {
        if (std::atomic<DispatchPage*>* table = m_table.load(std::memory_order_acquire))
            if (DispatchPage* page = table[sel->index >> kPageBits].load(std::memory_order_acquire))
                return &page->slots[sel->index & (kPageSize - 1)];
        return resolveSlot(sel).slot;
    }
    // The method a send of `sel` reaches, or the absent marker (whose
    // signature is null): the one value read and checked, so an add that
    // resets the slot meanwhile cannot hand the caller a null. Safe from
    // any thread.
    [[gnu::always_inline]] Method* methodFor(Sel sel) {
        if (std::atomic<DispatchPage*>* table = m_table.load(std::memory_order_acquire))
            if (DispatchPage* page = table[sel->index >> kPageBits].load(std::memory_order_acquire))
                if (Method* m = page->slots[sel->index & (kPageSize - 1)].method.load(std::memory_order_acquire))
                    return m;
        return resolveSlot(sel).method;
    }
    // The method a send of `sel` reaches; null when none does.
    Method* lookup(Sel sel) {
        Method* m = methodFor(sel);
        return m->signature ? m : nullptr;
    }

private:
    friend class RuntimeImpl;
    Class(Class* isa, std::string name, Class* superclass, bool isMeta, Factory factory);
    struct Resolved {
        const DispatchSlot* slot;
        Method* method; // as resolved under the runtime lock
    };
    Resolved resolveSlot(Sel sel);

    std::string m_name;
    Class* m_superclass;
    bool m_isMeta;
    Factory m_factory;
    // Guarded by the runtime lock.
    std::unordered_map<Sel, Method*> m_methods;
    std::vector<std::unique_ptr<Method>> m_methodStorage;
    std::vector<Class*> m_subclasses; // direct ones, metaclasses included
    // The dispatch table: kPageCount page pointers, made on the first send;
    // pages are made as selectors are resolved. Neither is ever freed.
    std::atomic<std::atomic<DispatchPage*>*> m_table{nullptr};
};

} // namespace rt
