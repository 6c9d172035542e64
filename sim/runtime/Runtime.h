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

#include <optional>
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
    using Function = R(A...); // the method's type without self and _cmd, as an Orig slot names it
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
// The signature of the method a send of `sel` to an instance of `cls`
// reaches (for class methods, pass the metaclass); null when none does.
const Signature* methodSignature(Class* cls, Sel sel);
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
    else if constexpr (IsFace<std::decay_t<T>>)
        return v.ref();
    else if constexpr (std::is_same_v<C, std::vector<Ref<Object>>>)
        return AbiMap<std::decay_t<T>>::to(v);
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

// The method a send of `sig` reaches, given `m`, what the caller read from
// the class's slot (null when unresolved: an add reset it): fatal when the
// class has no such method or the method has another signature.
[[gnu::always_inline]] inline Method* methodForSend(Id self, Class* cls, Method* m, Sel sel, const Signature* sig) {
    if (!m || m->signature != sig) [[unlikely]] {
        m = cls->methodFor(sel); // resolved, or wrong: checked as read, once
        if (!m->signature) unknownSelector(self, cls, sel, sig);
        if (m->signature != sig) signatureMismatch(self, m, sel, sig);
    }
    return m;
}
} // namespace detail

template <class R = void, class... A> [[gnu::always_inline]] inline R send(Id self, Sel sel, A&&... args) {
    if (!self) return detail::nilResult<R>();
    Class* cls = self->isa();
    Method* m = detail::methodForSend(self, cls, cls->methodFor(sel), sel, signatureOf<R, CallType<A>...>());
    return detail::invoke<R>(m->imp.load(std::memory_order_acquire), self, sel, std::forward<A>(args)...);
}

// A send to a selector literal keeps a one-entry inline cache, shared by
// every send of that literal with the same result and argument types (one
// function-local static per template instance, not per call site): the
// dispatch slot of the last receiver's class. A hit costs a compare of the
// slot's class with the receiver's and one read of the slot's method, so a
// hook or an add made since is seen; nothing is hashed.
template <class R = void, FixedString S, class... A>
[[gnu::always_inline]] inline R send(Id self, SelLiteral<S> literal, A&&... args) {
    if (!self) return detail::nilResult<R>();
    static std::atomic<const DispatchSlot*> site{nullptr};
    Class* cls = self->isa();
    const DispatchSlot* slot = site.load(std::memory_order_acquire);
    Sel sel = literal;
    if (!slot || slot->owner != cls) [[unlikely]] {
        slot = cls->slotFor(sel);
        site.store(slot, std::memory_order_release);
    }
    Method* m = detail::methodForSend(self, cls, slot->method.load(std::memory_order_acquire), sel,
                                      signatureOf<R, CallType<A>...>());
    return detail::invoke<R>(m->imp.load(std::memory_order_acquire), self, sel, std::forward<A>(args)...);
}

template <class R = void, class T, class S, class... A>
[[gnu::always_inline]] inline R send(const Ref<T>& self, S sel, A&&... args) {
    return send<R>(static_cast<Id>(self.get()), sel, std::forward<A>(args)...);
}

// ---- checked sends ------------------------------------------------------------------------

// Why a send cannot be made: the receiver's class has no method for the
// selector, or its method takes or returns other types than the call.
std::optional<std::string> whyNotSendable(Id self, Sel sel, const Signature* callSite);

// The answer of a checked send: the method's result, or why it could not be
// sent (Qt's QMetaMethodInvoker reports the same as a value).
template <class R> class SendResult {
public:
    static SendResult sent(R value) { return SendResult(std::move(value), {}); }
    static SendResult refused(std::string why) { return SendResult(R{}, std::move(why)); }
    bool ok() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }
    const R& value() const { return m_value; }

private:
    SendResult(R value, std::string error)
        : m_value(std::move(value))
        , m_error(std::move(error)) {}
    R m_value;
    std::string m_error;
};
template <> class SendResult<void> {
public:
    static SendResult sent() { return SendResult({}); }
    static SendResult refused(std::string why) { return SendResult(std::move(why)); }
    bool ok() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }

private:
    explicit SendResult(std::string error)
        : m_error(std::move(error)) {}
    std::string m_error;
};

// A send whose selector (or receiver) came from outside the process: another
// process's message name, an automation request. Where send() ends the
// process, this one answers why and sends nothing, so that no peer can end a
// process by naming a method it lacks. A nil receiver is sent to, as always.
template <class R = void, class... A> SendResult<R> trySend(Id self, Sel sel, A&&... args) {
    if (self) {
        if (auto why = whyNotSendable(self, sel, signatureOf<R, CallType<A>...>()))
            return SendResult<R>::refused(std::move(*why));
    }
    if constexpr (std::is_void_v<R>) {
        send<void>(self, sel, std::forward<A>(args)...);
        return SendResult<void>::sent();
    } else
        return SendResult<R>::sent(send<R>(self, sel, std::forward<A>(args)...));
}
template <class R = void, class T, class... A> SendResult<R> trySend(const Ref<T>& self, Sel sel, A&&... args) {
    return trySend<R>(static_cast<Id>(self.get()), sel, std::forward<A>(args)...);
}

// [super sel ...] from an implementation defined on `cls`.
template <class R = void, class... A> R sendSuper(Class* cls, Id self, Sel sel, A&&... args) {
    if (!self) return detail::nilResult<R>();
    const Signature* sig = signatureOf<R, CallType<A>...>();
    Class* super = cls->superclass();
    if (!super) detail::unknownSelector(self, cls, sel, sig);
    Method* m = detail::methodForSend(self, super, super->methodFor(sel), sel, sig);
    return detail::invoke<R>(m->imp.load(std::memory_order_acquire), self, sel, std::forward<A>(args)...);
}

// A class message: [Cls sel ...].
template <class R = void, class... A> R sendClass(Class* cls, Sel sel, A&&... args) {
    return send<R>(static_cast<Id>(cls), sel, std::forward<A>(args)...);
}

[[noreturn]] void fatal(const std::string& message);

} // namespace rt
