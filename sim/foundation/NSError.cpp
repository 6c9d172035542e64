#include "sim/foundation/NSError.h"

#include <mutex>

namespace fnd {

using namespace rt::literals;

namespace {
rt::Class* g_class = nullptr;

rt::Ref<rt::Object> errorWithDomain(rt::Id, rt::Sel, std::string domain, long code, Dictionary userInfo) {
    auto e = rt::createInstance<ErrorObject>(g_class);
    e->domain = std::move(domain);
    e->code = code;
    e->userInfo = std::move(userInfo);
    return e;
}
std::string domain(ErrorObject* self, rt::Sel) { return self->domain; }
long code(ErrorObject* self, rt::Sel) { return self->code; }
Dictionary userInfo(ErrorObject* self, rt::Sel) { return self->userInfo; }
std::string localizedDescription(ErrorObject* self, rt::Sel) {
    if (const std::string* d = valueForKey(self->userInfo, "NSLocalizedDescription").string()) return *d;
    return "The operation couldn\u2019t be completed. (" + self->domain + " error " + std::to_string(self->code) + ".)";
}
} // namespace

void registerNSError() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_class = rt::defineClass("NSError", nullptr, rt::factoryOf<ErrorObject>);
        rt::addMethod<&errorWithDomain>(rt::objectGetClass(g_class), "errorWithDomain:code:userInfo:"_sel);
        rt::addMethod<&domain>(g_class, "domain"_sel);
        rt::addMethod<&code>(g_class, "code"_sel);
        rt::addMethod<&userInfo>(g_class, "userInfo"_sel);
        rt::addMethod<&localizedDescription>(g_class, "localizedDescription"_sel);
    });
}

rt::Ref<rt::Object> makeError(const std::string& domain, long code, const std::string& description) {
    registerNSError();
    return rt::sendClass<rt::Ref<rt::Object>>(g_class, "errorWithDomain:code:userInfo:"_sel, domain, code,
                                              Dictionary{{"NSLocalizedDescription", Value(description)}});
}

} // namespace fnd
