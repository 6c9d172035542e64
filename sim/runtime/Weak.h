#pragma once
// Weak<T>: a zeroing weak reference (objc_storeWeak / objc_loadWeak), for
// what UIKit does not retain: delegates, data sources, the targets of
// gesture recognisers. Without it, a controller that is the delegate of a
// view it owns would keep itself alive.
//
// load() gives a strong reference, or null once the object has started to
// go away; the object's last release zeroes every weak reference to it.
// Any thread may load and store; one Weak itself is not to be written from
// two threads at once (as any variable).

#include "sim/runtime/Object.h"

namespace rt {

namespace detail {
void weakRegister(Object** slot, Object* obj); // slot now names obj
void weakUnregister(Object** slot);            // slot names nothing
Object* weakLoad(Object* const* slot);         // retained, or null
} // namespace detail

template <class T> class Weak {
public:
    Weak() = default;
    Weak(T* p) { detail::weakRegister(&m_ptr, p); }
    Weak(const Ref<T>& r)
        : Weak(r.get()) {}
    Weak(const Weak& o)
        : Weak(o.load().get()) {}
    Weak& operator=(const Weak& o) {
        if (this != &o) detail::weakRegister(&m_ptr, o.load().get());
        return *this;
    }
    Weak& operator=(T* p) {
        detail::weakRegister(&m_ptr, p);
        return *this;
    }
    ~Weak() { detail::weakUnregister(&m_ptr); }

    Ref<T> load() const { return Ref<T>::adopt(static_cast<T*>(detail::weakLoad(&m_ptr))); }

private:
    Object* m_ptr = nullptr;
};

} // namespace rt
