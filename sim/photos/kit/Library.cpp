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
