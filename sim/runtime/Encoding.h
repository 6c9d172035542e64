#pragma once
// Type encodings and the calling convention of message sends.
//
// Every type that crosses a message boundary has an ObjC-style encoding
// ("v", "B", "i", "q", "d", ":", "#", "@", ...). Object kinds that are values
// rather than runtime objects carry a tag ("@\"NSString\"", "@?<v@?B>" for a
// block taking a BOOL), so that a method taking a string never receives an
// album. The reduced form, with tags stripped, is what a hand-written type
// string such as "v@:i@" is checked against.
//
// The ABI of an implementation is fixed by its encoding: every Ref<T> travels
// as Ref<Object>, every block as a block over ABI types. Two methods with the
// same full encoding therefore have the same C++ function type, which is what
// makes the pointer compare of interned signatures a sound type check.

#include "sim/runtime/Object.h"
#include "sim/runtime/Selector.h"

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace rt {

class Class;

template <class T> inline constexpr bool kAlwaysFalse = false;

// A face (Face.h) is a typed C++ view of a runtime object; across a message
// boundary it is the object it views ("@").
template <class T>
concept IsFace = requires {
    typename T::IsRuntimeFace;
};

// Encode<T>::code() gives T's encoding. Frameworks specialise it for their
// value types and structs (CGRect, a property-list value, ...).
template <class T, class = void> struct Encode {
    static_assert(kAlwaysFalse<T>, "this type has no runtime encoding; specialise rt::Encode");
};

#define RT_ENCODE_AS(Type, Code)                                                                                       \
    template <> struct Encode<Type> {                                                                                  \
        static std::string code() { return Code; }                                                                     \
    }

RT_ENCODE_AS(void, "v");
RT_ENCODE_AS(bool, "B");
RT_ENCODE_AS(char, "c");
RT_ENCODE_AS(signed char, "c");
RT_ENCODE_AS(unsigned char, "C");
RT_ENCODE_AS(short, "s");
RT_ENCODE_AS(unsigned short, "S");
RT_ENCODE_AS(int, "i");
RT_ENCODE_AS(unsigned int, "I");
RT_ENCODE_AS(long, "q"); // LP64: NSInteger
RT_ENCODE_AS(unsigned long, "Q");
RT_ENCODE_AS(long long, "q");
RT_ENCODE_AS(unsigned long long, "Q");
RT_ENCODE_AS(float, "f");
RT_ENCODE_AS(double, "d");
RT_ENCODE_AS(Sel, ":");
RT_ENCODE_AS(Class*, "#");
RT_ENCODE_AS(std::string, "@\"NSString\"");
RT_ENCODE_AS(bool*, "^B"); // a block's BOOL *stop
RT_ENCODE_AS(std::vector<std::string>, "@\"NSArray<NSString>\"");

// NSError ** and the like: an out-parameter for an object (or null).
template <> struct Encode<Ref<Object>*> {
    static std::string code() { return "^@"; }
};

template <class T> struct Encode<Ref<T>> {
    static_assert(std::is_base_of_v<Object, T>);
    static std::string code() { return "@"; }
};

// An NSArray of runtime objects (assets, collections, views).
template <class T> struct Encode<std::vector<Ref<T>>> {
    static std::string code() { return "@\"NSArray<id>\""; }
};

template <class T>
requires IsFace<T>
struct Encode<T, void> {
    static std::string code() { return "@"; }
};
template <class T>
requires IsFace<T>
struct Encode<std::vector<T>, void> {
    static std::string code() { return "@\"NSArray<id>\""; }
};

// ---- ABI mapping -------------------------------------------------------------

template <class T> struct AbiMap {
    using type = T;
    static T to(T v) { return v; }
    static T from(T v) { return v; }
};
template <> struct AbiMap<void> { using type = void; };
template <class T> struct AbiMap<Ref<T>> {
    using type = Ref<Object>;
    static type to(Ref<T> v) { return Ref<Object>(std::move(v)); }
    static Ref<T> from(type v) { return refCast<T>(std::move(v)); }
};
template <class T> struct AbiMap<std::vector<Ref<T>>> {
    using type = std::vector<Ref<Object>>;
    static type to(std::vector<Ref<T>> v) {
        if constexpr (std::is_same_v<T, Object>)
            return v;
        else
            return type(v.begin(), v.end());
    }
    static std::vector<Ref<T>> from(type v) {
        if constexpr (std::is_same_v<T, Object>)
            return v;
        else {
            std::vector<Ref<T>> out;
            out.reserve(v.size());
            for (auto& o : v)
                out.push_back(refCast<T>(std::move(o)));
            return out;
        }
    }
};
template <class T>
requires IsFace<T>
struct AbiMap<T> {
    using type = Ref<Object>;
    static type to(const T& face) { return face.ref(); }
    static T from(type v) { return T(std::move(v)); }
};
template <class T>
requires IsFace<T>
struct AbiMap<std::vector<T>> {
    using type = std::vector<Ref<Object>>;
    static type to(const std::vector<T>& v) {
        type out;
        out.reserve(v.size());
        for (const T& f : v)
            out.push_back(f.ref());
        return out;
    }
    static std::vector<T> from(type v) {
        std::vector<T> out;
        out.reserve(v.size());
        for (auto& o : v)
            out.emplace_back(std::move(o));
        return out;
    }
};
template <class T> using AbiOf = typename AbiMap<T>::type;

// ---- call-site argument types --------------------------------------------------
// What a call site passes is normalised before its signature is taken: string
// literals become strings, raw object pointers and nullptr become object refs.

template <class T> struct CallArg { using type = T; };
template <> struct CallArg<const char*> { using type = std::string; };
template <> struct CallArg<char*> { using type = std::string; };
template <> struct CallArg<std::nullptr_t> { using type = Ref<Object>; };
template <class T>
requires(std::is_base_of_v<Object, T> && !std::is_same_v<std::remove_cv_t<T>, Class>) struct CallArg<T*> {
    using type = Ref<Object>;
};
template <class T>
requires IsFace<T>
struct CallArg<T> {
    using type = Ref<Object>;
};
template <class T>
requires IsFace<T>
struct CallArg<std::vector<T>> {
    using type = std::vector<Ref<Object>>;
};
template <class T> using CallType = typename CallArg<std::decay_t<T>>::type;

// ---- blocks ------------------------------------------------------------------------

template <class F> class Block;

// A block: a copyable closure with a fixed signature. Calling an empty block
// does nothing and answers zero, as a nil block check in the caller would.
template <class R, class... A> class Block<R(A...)> {
public:
    Block() = default;
    Block(std::nullptr_t) {}
    template <class F>
    requires std::is_invocable_r_v<R, F&, A...> &&(!std::is_same_v<std::decay_t<F>, Block>)Block(F f)
        : m_fn(std::move(f)) {}

    explicit operator bool() const { return static_cast<bool>(m_fn); }
    R operator()(A... a) const {
        if (!m_fn) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R{};
        }
        return m_fn(std::forward<A>(a)...);
    }

private:
    std::function<R(A...)> m_fn;
};

template <class R, class... A> struct Encode<Block<R(A...)>> {
    static std::string code() {
        std::string s = "@?<" + Encode<R>::code() + "@?";
        ((s += Encode<A>::code()), ...);
        return s + ">";
    }
};

template <class R, class... A> struct AbiMap<Block<R(A...)>> {
    using type = Block<AbiOf<R>(AbiOf<A>...)>;
    static type to(Block<R(A...)> b) {
        if constexpr (std::is_same_v<type, Block<R(A...)>>)
            return b;
        else {
            if (!b) return {};
            return type([b = std::move(b)](AbiOf<A>... a) -> AbiOf<R> {
                if constexpr (std::is_void_v<R>)
                    b(AbiMap<A>::from(std::move(a))...);
                else
                    return AbiMap<R>::to(b(AbiMap<A>::from(std::move(a))...));
            });
        }
    }
    static Block<R(A...)> from(type b) {
        if constexpr (std::is_same_v<type, Block<R(A...)>>)
            return b;
        else {
            if (!b) return {};
            return Block<R(A...)>([b = std::move(b)](A... a) -> R {
                if constexpr (std::is_void_v<R>)
                    b(AbiMap<A>::to(std::move(a))...);
                else
                    return AbiMap<R>::from(b(AbiMap<A>::to(std::move(a))...));
            });
        }
    }
};

} // namespace rt
