#pragma once
// Snapshot<T>: a value that one thread replaces and any thread reads, as an
// immutable copy. A reader keeps the copy it got for as long as it likes; a
// writer makes a new value and swaps it in. The lock guards only the
// pointer, for the time of a copy.
//
// A Snapshot is constant-initialised (it starts empty and reads as a
// default T), so it may be read by code that runs before the module's
// dynamic initialisers, as the injected library's constructor does.

#include <memory>
#include <mutex>
#include <utility>

namespace lc {

template <class T> class Snapshot {
public:
    constexpr Snapshot() = default;
    std::shared_ptr<const T> get() const {
        {
            std::lock_guard guard(m_lock);
            if (m_value) return m_value;
        }
        static const std::shared_ptr<const T> empty = std::make_shared<const T>();
        return empty;
    }
    void set(T value) {
        std::shared_ptr<const T> next = std::make_shared<const T>(std::move(value)), previous;
        std::lock_guard guard(m_lock);
        previous = std::exchange(m_value, std::move(next)); // the old value is freed after the lock is released
    }

private:
    mutable std::mutex m_lock;
    std::shared_ptr<const T> m_value;
};

} // namespace lc
