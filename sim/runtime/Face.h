#pragma once
// Faces: typed C++ views of runtime objects, one per platform class, whose
// methods are message sends.
//
// A face holds a reference to an object and nothing else. Its methods are
// named after the selectors they send (`setFrame` sends "setFrame:",
// `initWithTarget_action` sends "initWithTarget:action:"), and take and
// return the C++ types that match the method's encoding. So the signature of
// each selector is written once, in its face, and the compiler converts and
// checks the arguments of every call: a literal 1 given where the method
// takes a long becomes a long. Because every method is a send through the
// runtime, a hook installed in the process takes effect for every caller
// that uses a face, exactly as for one that sends by name.
//
// Faces convert as ObjC pointers do: any object reference becomes any face
// (an `id` assigned to a typed variable), a face is its object wherever a
// Ref<Object> is wanted, and going from one face to an unrelated or more
// derived one is explicit (`UILabel(view)` or `view.as<UILabel>()`). A face
// of nil is empty, and a message to it answers zero, as in ObjC.
//
// Across a message boundary a face is its object ("@"): implementations may
// take faces as arguments, blocks may be typed with them, and a face method
// may return a face or a vector of faces.

#include "sim/runtime/Runtime.h"

#include <atomic>

namespace rt {

// The class named N in this process. A class that exists is looked up once
// (classes live as long as the process); one that does not yet is asked for
// again at the next call, since frameworks register their classes at start-up.
template <FixedString N> Class* classNamed() {
    static std::atomic<Class*> cached{nullptr};
    Class* c = cached.load(std::memory_order_acquire);
    if (!c) {
        c = getClass(N.view());
        if (c) cached.store(c, std::memory_order_release);
    }
    return c;
}

class Face {
public:
    using IsRuntimeFace = void;

    Face() = default;
    Face(std::nullptr_t) {}
    Face(Ref<Object> self)
        : m_self(std::move(self)) {}
    template <class T>
    requires(std::is_base_of_v<Object, T> && !std::is_same_v<T, Object>) Face(Ref<T> self)
        : m_self(std::move(self)) {}

    Id get() const { return m_self.get(); }
    const Ref<Object>& ref() const { return m_self; }
    operator const Ref<Object>&() const { return m_self; }
    explicit operator bool() const { return static_cast<bool>(m_self); }
    // The same object through another face (an ObjC cast).
    template <class F> F as() const { return F(m_self); }
    bool isKindOf(Class* cls) const { return rt::isKindOf(m_self.get(), cls); }
    friend bool operator==(const Face& a, const Face& b) { return a.get() == b.get(); }

protected:
    template <class R = void, class S, class... A> R msg(S sel, A&&... args) const {
        return send<R>(m_self.get(), sel, std::forward<A>(args)...);
    }
    Ref<Object> m_self;
};

// A send by name to the object a face views: what a library does with
// classes and methods that have no face (a host app's private ones).
template <class R = void, IsFace F, class S, class... A> R send(const F& self, S sel, A&&... args) {
    return send<R>(self.get(), sel, std::forward<A>(args)...);
}

// The lines every face of a class starts with: its constructors, its class,
// and +alloc answering a face of the class itself.
#define RT_FACE(Name, Base)                                                                                            \
    using FaceSuper = Base;                                                                                            \
    using FaceSuper::FaceSuper;                                                                                        \
    static ::rt::Class* cls() { return ::rt::classNamed<#Name>(); }                                                    \
    static Name alloc() { return Name(::rt::sendClass<::rt::Ref<::rt::Object>>(cls(), ::rt::SelLiteral<"alloc">{})); } \
    static Name new_() { return Name(::rt::sendClass<::rt::Ref<::rt::Object>>(cls(), ::rt::SelLiteral<"new">{})); }

// NSObject: what every object answers.
struct NSObject : Face {
    RT_FACE(NSObject, Face)
    NSObject init() const { return msg<Ref<Object>>(SelLiteral<"init">{}); }
    std::string description() const { return msg<std::string>(SelLiteral<"description">{}); }
    bool isEqual(const Face& other) const { return msg<bool>(SelLiteral<"isEqual:">{}, other); }
    unsigned long hash() const { return msg<unsigned long>(SelLiteral<"hash">{}); }
    bool respondsToSelector(Sel sel) const { return msg<bool>(SelLiteral<"respondsToSelector:">{}, sel); }
    bool isKindOfClass(Class* c) const { return msg<bool>(SelLiteral<"isKindOfClass:">{}, c); }
};

} // namespace rt
