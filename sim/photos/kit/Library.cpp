// The process's photo library and the registration of PhotoKit's classes.

#include "sim/foundation/NSError.h"
#include "sim/foundation/NSPredicate.h"
#include "sim/foundation/NSSet.h"
#include "sim/photos/kit/Classes.h"

namespace photos {

Library& Library::shared() {
    static Library* library = new Library(); // lives as long as the process: queued changes may still run at exit
    return *library;
}

PhotoStore* Library::store() {
    std::call_once(m_opened, [this] { m_store = PhotoStore::open(); });
    return m_store.get();
}

void Library::addObserver(rt::Id observer) {
    if (!observer) return;
    std::lock_guard guard(m_observersLock);
    m_observers.push_back(std::make_unique<rt::Weak<rt::Object>>(observer));
}

void Library::removeObserver(rt::Id observer) {
    std::lock_guard guard(m_observersLock);
    std::erase_if(m_observers, [observer](const auto& w) {
        rt::Ref<rt::Object> o = w->load();
        return !o || o.get() == observer;
    });
}

void Library::notifyObservers() {
    std::vector<rt::Ref<rt::Object>> live;
    {
        std::lock_guard guard(m_observersLock);
        std::erase_if(m_observers, [](const auto& w) { return !w->load(); });
        for (const auto& w : m_observers)
            if (rt::Ref<rt::Object> o = w->load()) live.push_back(o);
    }
    if (live.empty()) return;
    auto change = rt::createInstance(kit::classes().change);
    for (const auto& o : live)
        if (rt::respondsTo(o.get(), rt::sel("photoLibraryDidChange:")))
            rt::send(o, rt::sel("photoLibraryDidChange:"), rt::Ref<rt::Object>(change));
}

namespace kit {
Classes& classes() {
    static Classes c;
    return c;
}
} // namespace kit

void registerPhotoKit() {
    static std::once_flag once;
    std::call_once(once, [] {
        fnd::registerNSError();
        fnd::registerPredicates();
        fnd::registerNSSet();
        kit::Classes& c = kit::classes();
        kit::defineObjects(c);
        kit::defineFetchResult(c);
        kit::defineFetchOptions(c);
        kit::defineAssetFetches(c);
        kit::defineCollectionFetches(c);
        kit::defineChanges(c);
        kit::defineImageManager(c);
    });
}

} // namespace photos
