#include "sim/apps/host/MethodListing.h"

#include "sim/runtime/Runtime.h"
#include "sim/uikit/Automation.h"

#include <dlfcn.h>
#include <filesystem>

namespace apps {

namespace {

// The file name of the loaded object that holds the code at `imp`.
std::string libraryOf(rt::ErasedImp imp) {
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(imp), &info) || !info.dli_fname || !*info.dli_fname) return "?";
    return std::filesystem::path(info.dli_fname).filename().string();
}

void append(fnd::Array& out, rt::Class* cls, const char* kind) {
    for (const rt::MethodDescription& m : rt::copyMethodList(cls))
        out.emplace_back(fnd::Dictionary{{"selector", fnd::Value(m.sel->name)},
                                         {"kind", fnd::Value(kind)},
                                         {"types", fnd::Value(m.signature->reduced)},
                                         {"library", fnd::Value(libraryOf(m.imp))}});
}

} // namespace

fnd::Dictionary describeMethods(const std::string& className) {
    rt::Class* cls = rt::getClass(className);
    if (!cls) return uikit::automation::failure("no class named " + className + " in this process");
    fnd::Array methods;
    append(methods, cls, "-");
    append(methods, cls->metaclass(), "+");
    return uikit::automation::success({{"methods", fnd::Value(std::move(methods))}});
}

void addMethodListing() {
    uikit::automation::addCommand("methods", [](const fnd::Dictionary& request) {
        const std::string* name = fnd::valueForKey(request, "class").string();
        if (!name) return uikit::automation::failure("methods needs a class");
        return describeMethods(*name);
    });
}

} // namespace apps
