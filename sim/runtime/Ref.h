#pragma once
// Ref<T>: an owning pointer to an intrusively reference-counted runtime object.
//
// Objects start with one reference, which adopt() takes over; every other Ref
// made from a raw pointer retains. Ref<Derived> converts to Ref<Base> freely;
// going down is refCast<>, which checks the dynamic type in debug builds.

#include <cassert>
#include <cstddef>
#include <type_traits>
#include <utility>

namespace rt {

template <class T> class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    // Retains: the caller keeps its own reference.
    Ref(T* p)
        : m_ptr(p) {
        if (m_ptr) m_ptr->retain();
    }
    Ref(const Ref& o)
        : Ref(o.m_ptr) {}
    Ref(Ref&& o) noexcept
        : m_ptr(std::exchange(o.m_ptr, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(const Ref<U>& o)
        : Ref(static_cast<T*>(o.get())) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(Ref<U>&& o) noexcept
        : m_ptr(o.leak()) {}
    ~Ref() {
        if (m_ptr) m_ptr->release();
    }

    Ref& operator=(Ref o) noexcept {
        std::swap(m_ptr, o.m_ptr);
        return *this;
    }

    // Takes over the reference a freshly created object starts with.
    static Ref adopt(T* p) {
        Ref r;
        r.m_ptr = p;
        return r;
    }
    // Gives up ownership without releasing.
    T* leak() { return std::exchange(m_ptr, nullptr); }

    T* get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    T& operator*() const { return *m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    operator T*() const { return m_ptr; }

private:
    T* m_ptr = nullptr;
};

template <class T, class U> bool operator==(const Ref<T>& a, const Ref<U>& b) { return a.get() == b.get(); }

// Unchecked downcast in release builds, as an ObjC cast of `id` is; checked in
// debug builds, where a wrong cast is a programming error.
template <class T, class U> Ref<T> refCast(Ref<U> r) {
    assert(!r || dynamic_cast<T*>(r.get()) != nullptr);
    return Ref<T>::adopt(static_cast<T*>(r.leak()));
}

} // namespace rt
