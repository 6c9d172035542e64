// The runtime tour: the smallest real program that shows what a tweak does to
// a host class, step by step, on this process's runtime. A stock "app" class
// answers a greeting; a "tweak" then replaces the method, keeping the old
// implementation and calling it, and adds a method under a fixed name and
// type encoding, which the app reaches by selector only.

#include "sim/lumisim/RuntimeTour.h"

#include "sim/runtime/Runtime.h"

#include <cstdio>
#include <string>

namespace lumisim {

using namespace rt::literals;

namespace {
using rt::Id;
using rt::Sel;

// ---- the stock class -------------------------------------------------------------
std::string greeting(Id, Sel, std::string name) { return "Hello, " + name; }

// ---- the "tweak" -------------------------------------------------------------------
rt::Orig<std::string(std::string)> g_origGreeting;

std::string hookedGreeting(Id self, Sel cmd, std::string name) {
    std::string stock = g_origGreeting ? g_origGreeting(self, cmd, name) : std::string();
    return stock + " (and the hook says hi)";
}

int g_lockCalls = 0;
void lockAlbum(Id, Sel, int actionCode, std::string title) {
    ++g_lockCalls;
    std::printf("    lockAlbum: action %d on album \"%s\"\n", actionCode, title.c_str());
}
} // namespace

int runRuntimeTour() {
    std::printf("lumisim runtime tour: the object runtime that the tweak relies on, in this\n"
                "one process: a class, a hook that calls the original, an added method.\n\n");

    rt::Class* stock = rt::defineClass("PUGreeter");
    rt::addMethod<&greeting>(stock, "greetingFor:"_sel);
    auto greeter = rt::sendClass<rt::Ref<rt::Object>>(stock, "new"_sel);
    std::printf("1. a class and an instance: %s\n", rt::send<std::string>(greeter, "description"_sel).c_str());
    std::printf("   stock  [greeter greetingFor:\"Ann\"] -> \"%s\"\n",
                rt::send<std::string>(greeter, "greetingFor:"_sel, "Ann").c_str());

    bool hooked = rt::hookMessage<&hookedGreeting>(rt::getClass("PUGreeter"), "greetingFor:"_sel, &g_origGreeting);
    std::printf("2. hookMessage(PUGreeter, greetingFor:) -> %s; the hook calls the original:\n",
                hooked ? "installed" : "skipped");
    std::printf("   hooked [greeter greetingFor:\"Ann\"] -> \"%s\"\n",
                rt::send<std::string>(greeter, "greetingFor:"_sel, "Ann").c_str());

    bool added = rt::addMethod<&lockAlbum>(stock, "unlockAlbum:withAlbum:"_sel, "v@:i@");
    std::printf("3. addMethod(PUGreeter, unlockAlbum:withAlbum:, \"v@:i@\") -> %s\n", added ? "added" : "refused");
    std::printf("   respondsTo(unlockAlbum:withAlbum:) -> %s\n",
                rt::respondsTo(greeter, "unlockAlbum:withAlbum:"_sel) ? "yes" : "no");
    rt::send<void>(greeter, "unlockAlbum:withAlbum:"_sel, 0, std::string("Trips"));
    std::printf("   adding it again -> %s\n", rt::addMethod<&lockAlbum>(stock, "unlockAlbum:withAlbum:"_sel, "v@:i@")
                                                  ? "added (wrong!)"
                                                  : "refused, the method exists");

    std::printf("4. a class the process lacks: getClass(\"CAMBottomBar\") -> %s; its hooks are skipped\n",
                rt::getClass("CAMBottomBar") ? "found" : "null");
    std::printf("   a message to nil answers nothing: \"%s\"\n",
                rt::send<std::string>(rt::Id(nullptr), "greetingFor:"_sel, "Ann").c_str());

    bool ok = hooked && added && g_lockCalls == 1;
    std::printf("\n%s\n", ok ? "runtime tour: every step behaved as on the phone."
                             : "runtime tour: a step misbehaved (see above).");
    return ok ? 0 : 1;
}

} // namespace lumisim
