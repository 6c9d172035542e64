#include "sim/runtime/Runtime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <shared_mutex>
#include <sstream>
#include <thread>
#include <unordered_map>

namespace rt {

void registerRootClass(Class* root); // RootClass.cpp

namespace {
// The marker a resolved slot holds for a selector that no class in the chain
// implements: a send that finds it is an unknown selector.
Method g_absent{nullptr, nullptr, {nullptr}, nullptr};

// The runtime lock, which knows its holder so that every worker can check
// that it is called with the lock held (objc4's runtimeLock.assertLocked()).
class RuntimeLock {
public:
    void lock() {
        m_mutex.lock();
        m_holder.store(std::this_thread::get_id(), std::memory_order_relaxed);
    }
    void unlock() {
        m_holder.store(std::thread::id(), std::memory_order_relaxed);
        m_mutex.unlock();
    }
    void assertHeld(const char* worker) const {
        if (m_holder.load(std::memory_order_relaxed) != std::this_thread::get_id())
            fatal(std::string(worker) + " called without the runtime lock");
    }

private:
    std::mutex m_mutex;
    std::atomic<std::thread::id> m_holder{};
};
} // namespace

// All mutation of classes, and every resolution of a dispatch slot, happens
// in here under one lock. Workers that need the lock say so with `Locked` in
// their name and check it on entry.
class RuntimeImpl {
public:
    static RuntimeImpl& shared() {
        static auto* r = new RuntimeImpl; // the runtime lives as long as the process
        return *r;
    }

    Class* getClass(std::string_view name) {
        std::shared_lock guard(m_registryLock);
        auto it = m_classes.find(std::string(name));
        return it == m_classes.end() ? nullptr : it->second;
    }

    Class* defineClass(std::string_view name, Class* superclass, Class::Factory factory) {
        std::lock_guard lock(m_lock);
        std::unique_lock guard(m_registryLock);
        if (m_classes.count(std::string(name)))
            fatal("class '" + std::string(name) + "' is defined twice in this process");
        Class* rootMeta = m_root ? m_root->metaclass() : nullptr;
        // The root metaclass is its own class and inherits from the root class.
        Class* meta =
            new Class(rootMeta, std::string(name), superclass ? superclass->metaclass() : m_root, true, nullptr);
        if (!rootMeta) meta->setIsa(meta);
        Class* cls = new Class(meta, std::string(name), superclass, false, factory);
        m_classes.emplace(cls->name(), cls);
        if (!m_root) {
            m_root = cls;
            meta->m_superclass = cls;
        }
        linkSubclassLocked(cls);
        linkSubclassLocked(meta);
        return cls;
    }

    void ensureRoot() {
        std::call_once(m_rootOnce, [this] {
            Class* root = defineClass("NSObject", nullptr, &factoryOf<Object>);
            registerRootClass(root);
        });
    }
    Class* root() { return m_root; }

    bool addMethod(Class* cls, Sel sel, ErasedImp imp, const Signature* sig) {
        std::lock_guard guard(m_lock);
        if (cls->m_methods.count(sel)) return false;
        addMethodLocked(cls, sel, imp, sig);
        return true;
    }

    bool hook(Class* cls, Sel sel, ErasedImp replacement, const Signature* sig, OrigSlot* slot) {
        std::lock_guard guard(m_lock);
        if (auto it = cls->m_methods.find(sel); it != cls->m_methods.end()) {
            Method* own = it->second;
            checkHookSignatureLocked(cls, sel, own, sig);
            // The slot is filled before the replacement becomes visible, so a
            // caller that already sees the hook always finds its original.
            // Dispatch slots point at the Method, so nothing else changes.
            slot->m_imp.store(own->imp.load(std::memory_order_relaxed), std::memory_order_release);
            own->imp.store(replacement, std::memory_order_release);
            return true;
        }
        Method* inherited = cls->superclass() ? findInChainLocked(cls->superclass(), sel) : nullptr;
        if (!inherited) return false;
        checkHookSignatureLocked(cls, sel, inherited, sig);
        slot->m_forwardTo = cls->superclass();
        slot->m_sel = sel;
        addMethodLocked(cls, sel, replacement, sig);
        return true;
    }

    std::vector<MethodDescription> methods(Class* cls) {
        std::lock_guard guard(m_lock);
        std::vector<MethodDescription> out;
        for (const auto& m : cls->m_methodStorage)
            out.push_back({m->sel, m->signature, m->imp.load(std::memory_order_relaxed)});
        std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.sel->name < b.sel->name; });
        return out;
    }

    Class::Resolved resolveSlot(Class* cls, Sel sel) {
        std::lock_guard guard(m_lock);
        DispatchSlot* slot = slotLocked(cls, sel);
        Method* m = slot->method.load(std::memory_order_relaxed);
        if (!m) {
            Method* found = findInChainLocked(cls, sel);
            m = found ? found : &g_absent;
            slot->method.store(m, std::memory_order_release);
        }
        return {slot, m};
    }

    // Lookup from a forwarding slot: always from the given class, so the
    // superclass's current implementation is the one called.
    ErasedImp resolveForward(Class* from, Sel sel) {
        Method* m = from->lookup(sel);
        return m ? m->imp.load(std::memory_order_acquire) : nullptr;
    }

private:
    Method* findInChainLocked(Class* cls, Sel sel) const {
        m_lock.assertHeld("findInChainLocked");
        for (Class* c = cls; c; c = c->m_superclass)
            if (auto it = c->m_methods.find(sel); it != c->m_methods.end()) return it->second;
        return nullptr;
    }

    void linkSubclassLocked(Class* cls) {
        m_lock.assertHeld("linkSubclassLocked");
        if (Class* super = cls->m_superclass) super->m_subclasses.push_back(cls);
    }

    void addMethodLocked(Class* cls, Sel sel, ErasedImp imp, const Signature* sig) {
        m_lock.assertHeld("addMethodLocked");
        auto m = std::make_unique<Method>();
        m->sel = sel;
        m->signature = sig;
        m->imp.store(imp, std::memory_order_relaxed);
        m->owner = cls;
        cls->m_methods.emplace(sel, m.get());
        cls->m_methodStorage.push_back(std::move(m));
        // The new method may shadow an inherited one that the class or its
        // subclasses resolved, or fill a slot resolved as absent.
        resetSlotsLocked(cls, sel);
    }

    // objc4's flushCaches(cls), for one selector: the class and its
    // subclasses resolve it again at their next send. Call sites whose inline
    // cache points at one of these slots see it unresolved and resolve it.
    void resetSlotsLocked(Class* cls, Sel sel) {
        m_lock.assertHeld("resetSlotsLocked");
        std::vector<Class*> pending{cls};
        while (!pending.empty()) {
            Class* c = pending.back();
            pending.pop_back();
            if (std::atomic<Class::DispatchPage*>* table = c->m_table.load(std::memory_order_relaxed))
                if (Class::DispatchPage* page = table[sel->index >> Class::kPageBits].load(std::memory_order_relaxed))
                    page->slots[sel->index & (Class::kPageSize - 1)].method.store(nullptr, std::memory_order_release);
            pending.insert(pending.end(), c->m_subclasses.begin(), c->m_subclasses.end());
        }
    }

    // The class's slot for the selector, making the table and the page when
    // they do not exist yet. Each is published complete, with release.
    DispatchSlot* slotLocked(Class* cls, Sel sel) {
        m_lock.assertHeld("slotLocked");
        if (sel->index >= Class::kPageCount * Class::kPageSize)
            fatal("more than " + std::to_string(Class::kPageCount * Class::kPageSize) + " selectors in one process");
        std::atomic<Class::DispatchPage*>* table = cls->m_table.load(std::memory_order_relaxed);
        if (!table) {
            table = new std::atomic<Class::DispatchPage*>[Class::kPageCount]();
            cls->m_table.store(table, std::memory_order_release);
        }
        std::atomic<Class::DispatchPage*>& pageRef = table[sel->index >> Class::kPageBits];
        Class::DispatchPage* page = pageRef.load(std::memory_order_relaxed);
        if (!page) {
            page = new Class::DispatchPage;
            for (DispatchSlot& s : page->slots)
                s.owner = cls;
            pageRef.store(page, std::memory_order_release);
        }
        return &page->slots[sel->index & (Class::kPageSize - 1)];
    }

    void checkHookSignatureLocked(Class* cls, Sel sel, Method* existing, const Signature* sig) const {
        m_lock.assertHeld("checkHookSignatureLocked");
        if (existing->signature == sig) return;
        fatal("hook of " + std::string(cls->isMetaclass() ? "+[" : "-[") + cls->name() + " " + sel->name +
              "]: the replacement's signature " + sig->full + " differs from the method's " +
              existing->signature->full);
    }

    std::shared_mutex m_registryLock;
    std::unordered_map<std::string, Class*> m_classes;
    Class* m_root = nullptr;
    std::once_flag m_rootOnce;
    mutable RuntimeLock m_lock;
};

Class::Class(Class* isa, std::string name, Class* superclass, bool isMeta, Factory factory)
    : Object(isa)
    , m_name(std::move(name))
    , m_superclass(superclass)
    , m_isMeta(isMeta)
    , m_factory(factory) {
    retain(); // classes are immortal: the registry's reference is never dropped
}

Class::Factory Class::factory() const {
    for (const Class* c = this; c; c = c->m_superclass)
        if (c->m_factory) return c->m_factory;
    return nullptr;
}

Class::Resolved Class::resolveSlot(Sel sel) { return RuntimeImpl::shared().resolveSlot(this, sel); }

ErasedImp OrigSlot::resolveForward() const {
    return m_forwardTo ? RuntimeImpl::shared().resolveForward(m_forwardTo, m_sel) : nullptr;
}

Class* getClass(std::string_view name) {
    RuntimeImpl::shared().ensureRoot();
    return RuntimeImpl::shared().getClass(name);
}

Class* rootClass() {
    RuntimeImpl::shared().ensureRoot();
    return RuntimeImpl::shared().root();
}

Class* defineClass(std::string_view name, Class* superclass, Class::Factory factory) {
    Class* root = rootClass();
    return RuntimeImpl::shared().defineClass(name, superclass ? superclass : root, factory);
}

Ref<Object> createInstanceErased(Class* cls) {
    if (!cls) return nullptr;
    Class::Factory f = cls->factory();
    if (!f) fatal("class '" + cls->name() + "' cannot make instances");
    return Ref<Object>::adopt(f(cls));
}

const Signature* methodSignature(Class* cls, Sel sel) {
    Method* m = cls ? cls->lookup(sel) : nullptr;
    return m ? m->signature : nullptr;
}

bool respondsTo(Id obj, Sel sel) { return obj && obj->isa()->lookup(sel) != nullptr; }

bool classIsSubclassOf(Class* cls, Class* ancestor) {
    for (Class* c = cls; c; c = c->superclass())
        if (c == ancestor) return true;
    return false;
}

bool isKindOf(Id obj, Class* cls) { return obj && cls && classIsSubclassOf(obj->isa(), cls); }

const std::string& className(Id obj) {
    static const std::string nil = "nil";
    return obj ? obj->isa()->name() : nil;
}

bool addMethodErased(Class* cls, Sel sel, ErasedImp imp, const Signature* sig) {
    return RuntimeImpl::shared().addMethod(cls, sel, imp, sig);
}

void checkTypeString(Class* cls, Sel sel, const Signature* sig, std::string_view types) {
    if (sig->reduced == types) return;
    fatal("addMethod -[" + cls->name() + " " + sel->name + "]: type encoding \"" + std::string(types) +
          "\" does not match the implementation's \"" + sig->reduced + "\" (" + sig->full + ")");
}

std::vector<MethodDescription> copyMethodList(Class* cls) {
    return cls ? RuntimeImpl::shared().methods(cls) : std::vector<MethodDescription>{};
}

bool hookMessageErased(Class* cls, Sel sel, ErasedImp replacement, const Signature* sig, OrigSlot* slot) {
    return RuntimeImpl::shared().hook(cls, sel, replacement, sig, slot);
}

namespace {
std::string describeSend(Id self, Class* cls, Sel sel) {
    std::ostringstream out;
    bool classMessage = cls->isMetaclass();
    out << (classMessage ? "+[" : "-[") << cls->name() << " " << sel->name << "] sent to "
        << (classMessage ? "class " : "instance ") << static_cast<const void*>(self);
    return out.str();
}
} // namespace

std::optional<std::string> whyNotSendable(Id self, Sel sel, const Signature* callSite) {
    Class* cls = self->isa();
    Method* m = cls->lookup(sel);
    if (!m) return "unrecognized selector: " + describeSend(self, cls, sel);
    if (m->signature != callSite)
        return "signature mismatch: " + describeSend(self, cls, sel) + ": the method has " + m->signature->full +
               ", the message carries " + callSite->full;
    return std::nullopt;
}

namespace detail {
void unknownSelector(Id self, Class* cls, Sel sel, const Signature* callSite) {
    fatal("unrecognized selector: " + describeSend(self, cls, sel) + " (call site signature " + callSite->full + ")");
}
void signatureMismatch(Id self, Method* m, Sel sel, const Signature* callSite) {
    fatal("signature mismatch: " + describeSend(self, self->isa(), sel) + ": the method of " + m->owner->name() +
          " has " + m->signature->full + ", the call site sends " + callSite->full);
}
} // namespace detail

void fatal(const std::string& message) {
    std::fprintf(stderr, "runtime: %s\n", message.c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace rt
