#pragma once
// The object runtime: classes by name, typed message sends, and the two ways
// a library changes a host class at run time: replacing a method while keeping
// the previous implementation (hookMessage, the Substrate call) and adding a
// method under a fixed name and type encoding (addMethod).
//
// Implementations are plain functions `R imp(Self* self, Sel cmd, A... args)`.
// Their signature is encoded at compile time; a send compares the call site's
// interned signature with the method's by pointer, and a mismatch or an
// unknown selector ends the process with one message that names the class,
// the selector and the encodings. A message to nil does nothing and answers
// zero, false, nil or an empty value.

#include "sim/runtime/Class.h"
#include "sim/runtime/Encoding.h"
#include "sim/runtime/Object.h"
#include "sim/runtime/Selector.h"
#include "sim/runtime/Signature.h"

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace rt {

using namespace rt::literals;

// ---- classes ---------------------------------------------------------------------

// objc_getClass: null for a class this process does not have.
Class* getClass(std::string_view name);
// object_getClass: the class of an object; for a class, its metaclass.
inline Class* objectGetClass(Id obj) { return obj ? obj->isa() : nullptr; }
// Defines and registers a class and its metaclass. A null superclass means a
// subclass of NSObject. Defining a name twice is a programming error (fatal).
Class* defineClass(std::string_view name, Class* superclass = nullptr, Class::Factory factory = nullptr);
Class* rootClass(); // NSObject

template <class T> Object* factoryOf(Class* cls) { return new T(cls); }

// Makes an instance through the class's factory (what +alloc does).
Ref<Object> createInstanceErased(Class* cls);
template <class T = Object> Ref<T> createInstance(Class* cls) { return refCast<T>(createInstanceErased(cls)); }

bool respondsTo(Id obj, Sel sel);
bool isKindOf(Id obj, Class* cls);
// The object as the C++ type of its class's instances, when it is of the
// class (or a subclass); null for nil, another kind, or a class not defined yet.
template <class T> T* objectAs(Id obj, Class* cls) {
    return obj && cls && isKindOf(obj, cls) ? static_cast<T*>(obj) : nullptr;
}
bool classIsSubclassOf(Class* cls, Class* ancestor);
const std::string& className(Id obj); // "nil" for nil

// ---- implementations ----------------------------------------------------------------

template <auto F> struct ImpTraits;
template <class S, class R, class... A, R (*F)(S*, Sel, A...)> struct ImpTraits<F> {
    static_assert(std::is_base_of_v<Object, S>, "self must be a runtime object pointer");
    using Result = R;
    static const Signature* signature() { return signatureOf<R, A...>(); }

    static AbiOf<R> thunk(Id self, Sel cmd, AbiOf<A>... a) {
        S* typedSelf = static_cast<S*>(self);
        if constexpr (std::is_void_v<R>)
            F(typedSelf, cmd, AbiMap<A>::from(std::move(a))...);
        else
            return AbiMap<R>::to(F(typedSelf, cmd, AbiMap<A>::from(std::move(a))...));
    }
    static constexpr bool kIsAbi =
        std::is_same_v<S, Object> && std::is_same_v<AbiOf<R>, R> && (std::is_same_v<AbiOf<A>, A> && ...);
    static ErasedImp erased() {
        if constexpr (kIsAbi)
            return reinterpret_cast<ErasedImp>(F);
        else
            return reinterpret_cast<ErasedImp>(&thunk);
    }
};

// ---- previous-implementation slots ----------------------------------------------------

// Where hookMessage keeps the implementation it replaced. When the hooked
// class only inherited the method, the slot forwards to the superclass's
// implementation as it is at call time, so the superclass stays untouched and
// a later hook of the superclass is still reached.
class OrigSlot {
public:
    explicit operator bool() const {
        return m_imp.load(std::memory_order_acquire) != nullptr || m_forwardTo != nullptr;
    }

protected:
    [[gnu::always_inline]] ErasedImp resolve() const {
        if (ErasedImp imp = m_imp.load(std::memory_order_acquire)) return imp;
        return resolveForward();
    }
    ErasedImp resolveForward() const;

private:
    friend class RuntimeImpl;
    std::atomic<ErasedImp> m_imp{nullptr};
    Class* m_forwardTo = nullptr;
    Sel m_sel = nullptr;
};

template <class F> class Orig;
template <class R, class... A> class Orig<R(A...)> : public OrigSlot {
public:
    using Signature = R(A...);
    R operator()(Id self, Sel cmd, A... a) const {
        ErasedImp imp = resolve();
        if (!imp) { // an empty slot: answer as a message to nil would
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R{};
        }
        auto fn = reinterpret_cast<AbiOf<R> (*)(Id, Sel, AbiOf<A>...)>(imp);
        if constexpr (std::is_void_v<R>)
            fn(self, cmd, AbiMap<A>::to(std::move(a))...);
        else
            return AbiMap<R>::from(fn(self, cmd, AbiMap<A>::to(std::move(a))...));
    }
    static const rt::Signature* signature() { return signatureOf<R, A...>(); }
};

// ---- adding and replacing --------------------------------------------------------------

// class_copyMethodList: the methods the class itself holds (not inherited),
// by selector name, each with its current implementation. For class
// methods, pass the metaclass.
struct MethodDescription {
    Sel sel;
    const Signature* signature;
    ErasedImp imp;
};
std::vector<MethodDescription> copyMethodList(Class* cls);

bool addMethodErased(Class* cls, Sel sel, ErasedImp imp, const Signature* sig);
// Checks a hand-written type string against the implementation's reduced
// encoding; a mismatch is fatal, so a wrong hook table fails at start-up.
void checkTypeString(Class* cls, Sel sel, const Signature* sig, std::string_view types);
bool hookMessageErased(Class* cls, Sel sel, ErasedImp replacement, const Signature* sig, OrigSlot* slot);

// class_addMethod: false when the class itself already has the method; an
// inherited one is shadowed.
template <auto F> bool addMethod(Class* cls, Sel sel) {
    if (!cls) return false;
    return addMethodErased(cls, sel, ImpTraits<F>::erased(), ImpTraits<F>::signature());
}
template <auto F> bool addMethod(Class* cls, Sel sel, std::string_view types) {
    if (!cls) return false;
    checkTypeString(cls, sel, ImpTraits<F>::signature(), types);
    return addMethodErased(cls, sel, ImpTraits<F>::erased(), ImpTraits<F>::signature());
}

// MSHookMessageEx: replaces the implementation and stores the previous one in
// `orig`. A null class is skipped (false, slot left empty), and so is a class
// that neither has nor inherits the method. Hooking twice chains: the second
// hook's slot holds the first hook.
template <auto F, class Sig> bool hookMessage(Class* cls, Sel sel, Orig<Sig>* orig) {
    if (!cls) return false;
    return hookMessageErased(cls, sel, ImpTraits<F>::erased(), ImpTraits<F>::signature(), orig);
}

// ---- sends ---------------------------------------------------------------------------------

namespace detail {
[[noreturn]] void unknownSelector(Id self, Class* cls, Sel sel, const Signature* callSite);
[[noreturn]] void signatureMismatch(Id self, Method* m, Sel sel, const Signature* callSite);

template <class T> decltype(auto) toCall(T&& v) {
    using C = CallType<T>;
    if constexpr (std::is_same_v<std::decay_t<T>, C>)
        return std::forward<T>(v);
    else
        return C(std::forward<T>(v));
}

template <class R, class... A> [[gnu::always_inline]] inline R invoke(ErasedImp imp, Id self, Sel sel, A&&... args) {
    auto fn = reinterpret_cast<AbiOf<R> (*)(Id, Sel, AbiOf<CallType<A>>...)>(imp);
    if constexpr (std::is_void_v<R>)
        fn(self, sel, AbiMap<CallType<A>>::to(toCall(std::forward<A>(args)))...);
    else
        return AbiMap<R>::from(fn(self, sel, AbiMap<CallType<A>>::to(toCall(std::forward<A>(args)))...));
}

template <class R> R nilResult() {
    if constexpr (!std::is_void_v<R>) return R{};
}
} // namespace detail

namespace detail {
// The checked entry for a send of `sig`: fatal when the class has no such
// method or the method has another signature.
[[gnu::always_inline]] inline const MethodCache::Entry* entryForSend(Id self, Class* cls, Sel sel,
                                                                     const Signature* sig) {
    const MethodCache::Entry* e = cls->lookupEntry(sel);
    if (e->signature != sig) [[unlikely]] {
        if (!e->method) unknownSelector(self, cls, sel, sig);
        signatureMismatch(self, e->method, sel, sig);
    }
    return e;
}
} // namespace detail

template <class R = void, class... A> [[gnu::always_inline]] inline R send(Id self, Sel sel, A&&... args) {
    if (!self) return detail::nilResult<R>();
    const MethodCache::Entry* e = detail::entryForSend(self, self->isa(), sel, signatureOf<R, CallType<A>...>());
    return detail::invoke<R>(e->imp, self, sel, std::forward<A>(args)...);
}

// A send to a selector literal keeps a one-entry inline cache for the literal
// and signature: a hit costs one compare against the receiver's class. The
// cached entry was checked when it was stored; it goes stale (owner cleared)
// when the runtime drops the class caches after an add or a hook.
template <class R = void, FixedString S, class... A>
[[gnu::always_inline]] inline R send(Id self, SelLiteral<S> literal, A&&... args) {
    if (!self) return detail::nilResult<R>();
    static std::atomic<const MethodCache::Entry*> site{nullptr};
    Class* cls = self->isa();
    const MethodCache::Entry* e = site.load(std::memory_order_acquire);
    if (!e || e->owner.load(std::memory_order_acquire) != cls) [[unlikely]] {
        e = detail::entryForSend(self, cls, literal, signatureOf<R, CallType<A>...>());
        site.store(e, std::memory_order_release);
    }
    return detail::invoke<R>(e->imp, self, e->sel.load(std::memory_order_relaxed), std::forward<A>(args)...);
}

template <class R = void, class T, class S, class... A>
[[gnu::always_inline]] inline R send(const Ref<T>& self, S sel, A&&... args) {
    return send<R>(static_cast<Id>(self.get()), sel, std::forward<A>(args)...);
}

// [super sel ...] from an implementation defined on `cls`.
template <class R = void, class... A> R sendSuper(Class* cls, Id self, Sel sel, A&&... args) {
    if (!self) return detail::nilResult<R>();
    const Signature* sig = signatureOf<R, CallType<A>...>();
    Class* super = cls->superclass();
    if (!super) detail::unknownSelector(self, cls, sel, sig);
    const MethodCache::Entry* e = detail::entryForSend(self, super, sel, sig);
    return detail::invoke<R>(e->imp, self, sel, std::forward<A>(args)...);
}

// A class message: [Cls sel ...].
template <class R = void, class... A> R sendClass(Class* cls, Sel sel, A&&... args) {
    return send<R>(static_cast<Id>(cls), sel, std::forward<A>(args)...);
}

[[noreturn]] void fatal(const std::string& message);

} // namespace rt
