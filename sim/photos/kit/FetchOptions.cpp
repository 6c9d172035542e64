// PHFetchOptions: hidden assets, a predicate, sort descriptors, a limit.

#include "sim/photos/kit/Classes.h"

namespace photos {

using rt::Ref;
using namespace rt::literals;

namespace {
bool includeHidden(FetchOptionsObject* self, rt::Sel) { return self->includeHidden; }
void setIncludeHidden(FetchOptionsObject* self, rt::Sel, bool v) { self->includeHidden = v; }
Ref<rt::Object> predicate(FetchOptionsObject* self, rt::Sel) { return self->predicate; }
void setPredicate(FetchOptionsObject* self, rt::Sel, Ref<rt::Object> p) { self->predicate = std::move(p); }
std::vector<Ref<rt::Object>> sortDescriptors(FetchOptionsObject* self, rt::Sel) { return self->sortDescriptors; }
void setSortDescriptors(FetchOptionsObject* self, rt::Sel, std::vector<Ref<rt::Object>> d) {
    self->sortDescriptors = std::move(d);
}
unsigned long fetchLimit(FetchOptionsObject* self, rt::Sel) { return self->fetchLimit; }
void setFetchLimit(FetchOptionsObject* self, rt::Sel, unsigned long n) { self->fetchLimit = n; }
} // namespace

namespace kit {

void defineFetchOptions(Classes& c) {
    c.fetchOptions = rt::defineClass("PHFetchOptions", nullptr, rt::factoryOf<FetchOptionsObject>);
    rt::addMethod<&includeHidden>(c.fetchOptions, "includeHiddenAssets"_sel);
    rt::addMethod<&setIncludeHidden>(c.fetchOptions, "setIncludeHiddenAssets:"_sel);
    rt::addMethod<&predicate>(c.fetchOptions, "predicate"_sel);
    rt::addMethod<&setPredicate>(c.fetchOptions, "setPredicate:"_sel);
    rt::addMethod<&sortDescriptors>(c.fetchOptions, "sortDescriptors"_sel);
    rt::addMethod<&setSortDescriptors>(c.fetchOptions, "setSortDescriptors:"_sel);
    rt::addMethod<&fetchLimit>(c.fetchOptions, "fetchLimit"_sel);
    rt::addMethod<&setFetchLimit>(c.fetchOptions, "setFetchLimit:"_sel);
}

const FetchOptionsObject& optionsOrDefault(rt::Id options) {
    static const FetchOptionsObject* defaults = [] {
        auto* o = new FetchOptionsObject(classes().fetchOptions);
        return o;
    }();
    if (auto* o = fetchOptionsOf(options)) return *o;
    return *defaults;
}

} // namespace kit

Ref<rt::Object> makeFetchOptions(bool includeHidden) {
    registerPhotoKit();
    auto o = rt::createInstance<FetchOptionsObject>(kit::classes().fetchOptions);
    o->includeHidden = includeHidden;
    return o;
}

FetchOptionsObject* fetchOptionsOf(rt::Id obj) {
    auto& c = kit::classes();
    return rt::objectAs<FetchOptionsObject>(obj, c.fetchOptions);
}

} // namespace photos
