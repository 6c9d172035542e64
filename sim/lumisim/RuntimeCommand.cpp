// lumisim runtime APP methods CLASS: a class's own methods in a running
// app, each with the file its implementation comes from. A method that a
// library hooked or added shows that library's file (lumicrate12.dylib)
// where the stock method shows the app's or the framework's.

#include "sim/ipc/Operations.h"
#include "sim/lumisim/Commands.h"

#include <cstdio>

namespace lumisim {

using fnd::Dictionary;
using fnd::Value;

namespace {

int runtime(const Parsed& p) {
    const std::string& bundle = p.positional[0];
    if (p.positional[1] != "methods")
        fail("runtime: unknown question '" + p.positional[1] + "'; usage: lumisim runtime APP methods CLASS", 2);
    const std::string& cls = p.positional[2];
    auto s = connectOrFail(p);
    Dictionary r = requestOrFail(*s,
                                 {{ipc::op::kKey, Value(ipc::op::kUi)},
                                  {"bundle", Value(bundle)},
                                  {"request", Value(Dictionary{{"command", Value("methods")}, {"class", Value(cls)}})}},
                                 std::chrono::seconds(30));
    const fnd::Array* methods = fnd::valueForKey(r, "methods").array();
    if (!methods) fail("runtime: " + bundle + " sent no method list");
    std::size_t width = 0;
    for (const Value& m : *methods)
        if (const std::string* sel = fnd::valueForKey(*m.dictionary(), "selector").string())
            width = std::max(width, sel->size());
    std::printf("%s in %s: %zu methods\n", cls.c_str(), bundle.c_str(), methods->size());
    for (const Value& m : *methods) {
        const Dictionary& d = *m.dictionary();
        auto text = [&](const char* key) {
            const std::string* v = fnd::valueForKey(d, key).string();
            return v ? *v : std::string("?");
        };
        std::printf("  %s %-*s  %-10s %s\n", text("kind").c_str(), static_cast<int>(width), text("selector").c_str(),
                    text("types").c_str(), text("library").c_str());
    }
    return 0;
}

} // namespace

CommandSpec runtimeCommand() { return {"runtime APP methods CLASS [--root DIR]", {}, {}, 3, 3, runtime}; }

} // namespace lumisim
