#include "sim/foundation/NSPredicate.h"

#include <cctype>
#include <mutex>

namespace fnd {

using namespace rt::literals;

namespace {
rt::Class* g_predicate = nullptr;
rt::Class* g_sort = nullptr;

std::string trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return std::string(s);
}

bool isKey(const std::string& s) {
    if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_')) return false;
    for (char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.')) return false;
    return true;
}

rt::Ref<rt::Object> predicateWithFormat(rt::Id, rt::Sel, std::string format, std::vector<std::string> args) {
    std::string f = trim(format);
    bool negated = false;
    std::size_t op = f.find("!=");
    std::size_t opLength = 2;
    if (op != std::string::npos)
        negated = true;
    else if ((op = f.find("==")) == std::string::npos) {
        op = f.find('=');
        opLength = 1;
    }
    std::string key = op == std::string::npos ? "" : trim(std::string_view(f).substr(0, op));
    std::string rhs = op == std::string::npos ? "" : trim(std::string_view(f).substr(op + opLength));
    if (!isKey(key) || rhs != "%@" || args.size() != 1)
        rt::fatal("NSPredicate: cannot parse the format \"" + format + "\" with " + std::to_string(args.size()) +
                  " argument(s); this library knows KEY = %@, KEY == %@ and KEY != %@");
    auto p = rt::createInstance<PredicateObject>(g_predicate);
    p->key = key;
    p->negated = negated;
    p->argument = args[0];
    return p;
}

std::string predicateFormat(PredicateObject* self, rt::Sel) {
    std::string quoted;
    for (char c : self->argument)
        quoted += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
    return self->key + (self->negated ? " != \"" : " == \"") + quoted + "\"";
}

rt::Ref<rt::Object> sortDescriptorWithKey(rt::Id, rt::Sel, std::string key, bool ascending) {
    auto d = rt::createInstance<SortDescriptorObject>(g_sort);
    d->key = std::move(key);
    d->ascending = ascending;
    return d;
}
std::string sortKey(SortDescriptorObject* self, rt::Sel) { return self->key; }
bool sortAscending(SortDescriptorObject* self, rt::Sel) { return self->ascending; }
} // namespace

void registerPredicates() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_predicate = rt::defineClass("NSPredicate", nullptr, rt::factoryOf<PredicateObject>);
        rt::addMethod<&predicateWithFormat>(rt::objectGetClass(g_predicate), "predicateWithFormat:argumentArray:"_sel);
        rt::addMethod<&predicateFormat>(g_predicate, "predicateFormat"_sel);
        g_sort = rt::defineClass("NSSortDescriptor", nullptr, rt::factoryOf<SortDescriptorObject>);
        rt::addMethod<&sortDescriptorWithKey>(rt::objectGetClass(g_sort), "sortDescriptorWithKey:ascending:"_sel);
        rt::addMethod<&sortKey>(g_sort, "key"_sel);
        rt::addMethod<&sortAscending>(g_sort, "ascending"_sel);
    });
}

rt::Ref<rt::Object> makePredicate(const std::string& format, const std::vector<std::string>& arguments) {
    registerPredicates();
    return rt::sendClass<rt::Ref<rt::Object>>(g_predicate, "predicateWithFormat:argumentArray:"_sel, format, arguments);
}

rt::Ref<rt::Object> makeSortDescriptor(const std::string& key, bool ascending) {
    registerPredicates();
    return rt::sendClass<rt::Ref<rt::Object>>(g_sort, "sortDescriptorWithKey:ascending:"_sel, key, ascending);
}

const PredicateObject* predicateOf(rt::Id obj) { return rt::objectAs<PredicateObject>(obj, g_predicate); }

const SortDescriptorObject* sortDescriptorOf(rt::Id obj) { return rt::objectAs<SortDescriptorObject>(obj, g_sort); }

} // namespace fnd
