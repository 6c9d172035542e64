#include "sim/runtime/Runtime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <shared_mutex>
#include <sstream>
#include <unordered_map>

namespace rt {

MethodCache* MethodCache::create(uint32_t size) {
    void* mem = ::operator new(sizeof(MethodCache) + size * sizeof(Entry));
    auto* c = new (mem) MethodCache;
    c->mask = size - 1;
    for (uint32_t i = 0; i < size; ++i)
        new (&c->entries()[i]) Entry;
    return c;
}

void MethodCache::destroy(MethodCache* c) {
    for (uint32_t i = 0; i <= c->mask; ++i)
        c->entries()[i].~Entry();
    c->~MethodCache();
    ::operator delete(c);
}

void registerRootClass(Class* root); // RootClass.cpp

// All mutation of classes, and every cache miss, happens in here under one
// lock. Workers that need the lock say so with `Locked` in their name.
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
        Class* cls;
        {
            std::unique_lock guard(m_registryLock);
            if (m_classes.count(std::string(name)))
                fatal("class '" + std::string(name) + "' is defined twice in this process");
            Class* rootMeta = m_root ? m_root->metaclass() : nullptr;
            // The root metaclass is its own class and inherits from the root class.
            Class* meta =
                new Class(rootMeta, std::string(name), superclass ? superclass->metaclass() : m_root, true, nullptr);
            if (!rootMeta) meta->setIsa(meta);
            cls = new Class(meta, std::string(name), superclass, false, factory);
            m_classes.emplace(cls->name(), cls);
            if (!m_root) {
                m_root = cls;
                meta->m_superclass = cls;
            }
        }
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
            slot->m_imp.store(own->imp.load(std::memory_order_relaxed), std::memory_order_release);
            own->imp.store(replacement, std::memory_order_release);
            dropAllCachesLocked();
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

    const MethodCache::Entry* lookupSlow(Class* cls, Sel sel) {
        std::lock_guard guard(m_lock);
        return cacheInsertLocked(cls, sel, findInChainLocked(cls, sel));
    }

    // Lookup from a forwarding slot: always walks from the given class, so the
    // superclass's current implementation is the one called.
    ErasedImp resolveForward(Class* from, Sel sel) {
        Method* m = from->lookup(sel);
        return m ? m->imp.load(std::memory_order_acquire) : nullptr;
    }

private:
    static Method* findInChainLocked(Class* cls, Sel sel) {
        for (Class* c = cls; c; c = c->m_superclass)
            if (auto it = c->m_methods.find(sel); it != c->m_methods.end()) return it->second;
        return nullptr;
    }

    void addMethodLocked(Class* cls, Sel sel, ErasedImp imp, const Signature* sig) {
        auto m = std::make_unique<Method>();
        m->sel = sel;
        m->signature = sig;
        m->imp.store(imp, std::memory_order_relaxed);
        m->owner = cls;
        cls->m_methods.emplace(sel, m.get());
        cls->m_methodStorage.push_back(std::move(m));
        // The new method may shadow an inherited one that subclasses cached, or
        // fill an entry cached as absent.
        dropAllCachesLocked();
    }

    void dropAllCachesLocked() {
        std::shared_lock registry(m_registryLock);
        for (auto& [name, cls] : m_classes) {
            for (Class* c : {cls, cls->metaclass()})
                retire(c->m_cache.exchange(nullptr, std::memory_order_acq_rel));
        }
    }

    static void checkHookSignatureLocked(Class* cls, Sel sel, Method* existing, const Signature* sig) {
        if (existing->signature == sig) return;
        fatal("hook of " + std::string(cls->isMetaclass() ? "+[" : "-[") + cls->name() + " " + sel->name +
              "]: the replacement's signature " + sig->full + " differs from the method's " +
              existing->signature->full);
    }

    const MethodCache::Entry* cacheInsertLocked(Class* cls, Sel sel, Method* m) {
        MethodCache* c = cls->m_cache.load(std::memory_order_relaxed);
        if (!c) {
            c = MethodCache::create(16);
            cls->m_cache.store(c, std::memory_order_release);
        } else if ((c->used + 1) * 2 > c->mask + 1) {
            MethodCache* bigger = MethodCache::create((c->mask + 1) * 2);
            for (uint32_t i = 0; i <= c->mask; ++i) {
                MethodCache::Entry& e = c->entries()[i];
                if (Sel s = e.sel.load(std::memory_order_relaxed)) insertEntry(cls, bigger, s, e.method);
            }
            cls->m_cache.store(bigger, std::memory_order_release);
            retire(c);
            c = bigger;
        }
        return insertEntry(cls, c, sel, m);
    }

    static const MethodCache::Entry* insertEntry(Class* cls, MethodCache* c, Sel sel, Method* m) {
        MethodCache::Entry* e = c->entries();
        for (uint32_t i = sel->index & c->mask;; i = (i + 1) & c->mask) {
            Sel s = e[i].sel.load(std::memory_order_relaxed);
            if (s == sel) return &e[i];
            if (!s) {
                // Everything is written before the selector that publishes it.
                e[i].method = m;
                e[i].imp = m ? m->imp.load(std::memory_order_relaxed) : nullptr;
                e[i].signature = m ? m->signature : nullptr;
                e[i].owner.store(cls, std::memory_order_relaxed);
                e[i].sel.store(sel, std::memory_order_release);
                ++c->used;
                return &e[i];
            }
        }
    }

    // A probing reader may still hold a replaced cache, so none is freed.
    void retire(MethodCache* c) {
        if (!c) return;
        for (uint32_t i = 0; i <= c->mask; ++i)
            c->entries()[i].owner.store(nullptr, std::memory_order_release);
        m_retired.push_back(c);
    }

    std::shared_mutex m_registryLock;
    std::unordered_map<std::string, Class*> m_classes;
    Class* m_root = nullptr;
    std::once_flag m_rootOnce;
    std::mutex m_lock;
    std::vector<MethodCache*> m_retired; // never freed: see MethodCache
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

const MethodCache::Entry* Class::lookupSlow(Sel sel) { return RuntimeImpl::shared().lookupSlow(this, sel); }

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
