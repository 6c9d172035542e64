#include "sim/lumisim/Commands.h"

#include "sim/deviced/Daemon.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/Spawn.h"
#include "sim/ipc/DeviceSocket.h"
#include "sim/ipc/Operations.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace lumisim {

namespace fs = std::filesystem;
using fnd::Dictionary;
using fnd::Value;

void fail(const std::string& message, int status) {
    std::fprintf(stderr, "lumisim: %s\n", message.c_str());
    std::exit(status);
}

std::unique_ptr<ipc::DeviceSocket> connectOrFail(const Parsed& p) {
    fnd::setDeviceRoot(p.root);
    auto s = ipc::DeviceSocket::connectAsOperator();
    if (!s || !s->send({{ipc::op::kKey, Value(ipc::op::kHello)}})) fail("no device is booted at " + p.root);
    return s;
}

Dictionary requestOrFail(ipc::DeviceSocket& s, Dictionary op, std::chrono::seconds wait) {
    auto r = s.request(op, wait);
    if (!r) fail("the device did not answer");
    const bool* ok = fnd::valueForKey(*r, "ok").boolean();
    if (!ok || !*ok) {
        const std::string* err = fnd::valueForKey(*r, "error").string();
        fail(err ? *err : "the device refused the request");
    }
    return *r;
}

std::optional<Dictionary> tryStatus(const std::string& root) {
    fnd::setDeviceRoot(root);
    auto s = ipc::DeviceSocket::connectAsOperator();
    if (!s || !s->send({{ipc::op::kKey, Value(ipc::op::kHello)}})) return std::nullopt;
    return s->request({{ipc::op::kKey, Value(ipc::op::kStatus)}}, std::chrono::seconds(5));
}

namespace {

bool springboardServing(const Dictionary& status) {
    const fnd::Array* apps = fnd::valueForKey(status, "apps").array();
    if (!apps) return false;
    for (const Value& a : *apps) {
        const Dictionary* d = a.dictionary();
        if (d && fnd::valueForKey(*d, "bundle") == Value("com.apple.springboard") &&
            fnd::valueForKey(*d, "connected") == Value(true))
            return true;
    }
    return false;
}

int boot(const Parsed& p) {
    std::string model = p.options.count("--model") ? p.options.at("--model") : "iphone8";
    double scale = p.options.count("--time-scale") ? std::atof(p.options.at("--time-scale").c_str()) : 1.0;
    if (!deviced::isKnownModel(model)) fail("unknown model '" + model + "' (iphone8, iphone8plus, iphonexs, ipad)", 2);
    if (scale <= 0) fail("--time-scale must be a positive number", 2);
    fs::create_directories(p.root);
    std::string root = fs::canonical(p.root).string();
    if (tryStatus(root)) fail("a device is already booted at " + root);
    if (root.size() + 40 > 100) fail("the device folder's path is too long for its socket: " + root, 2);
    if (!fnd::prepareDeviceRoot(root)) fail("cannot prepare the device folder " + root);

    std::string deviced = fnd::executableFolder() + "/deviced";
    std::string scaleText = std::to_string(scale);
    std::string log = root + "/private/var/log/deviced.log";
    pid_t child = ::fork();
    if (child < 0) fail("cannot fork");
    if (child == 0) {
        // Detach twice, so that the daemon outlives this command and is not its child.
        ::setsid();
        if (::fork() != 0) ::_exit(0);
        int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        int null = ::open("/dev/null", O_RDONLY);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
        }
        if (null >= 0) ::dup2(null, 0);
        for (const char* v : {"LUMI_DEVICED_SOCKET", "LUMI_BUNDLE_ID", "LUMI_CONTAINER", "LUMI_DEVICE_ROOT"})
            ::unsetenv(v);
        std::vector<std::string> args{"deviced", "--root", root, "--model", model, "--time-scale", scaleText};
        if (p.options.count("--passcode")) args.insert(args.end(), {"--passcode", p.options.at("--passcode")});
        if (p.options.count("--touch-id")) args.push_back("--touch-id");
        if (p.options.count("--advisory-walls")) args.push_back("--advisory-walls");
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(deviced.c_str(), argv.data());
        ::_exit(127);
    }
    ::waitpid(child, nullptr, 0);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (auto st = tryStatus(root); st && springboardServing(*st)) {
            const std::string* walls = fnd::valueForKey(*st, "walls").string();
            std::printf("booted %s (%s, time scale %g, walls: %s)\n", root.c_str(), model.c_str(), scale,
                        walls ? walls->c_str() : "advisory");
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    fail("the device did not come up; see " + log);
}

// Alive, and not a zombie waiting for its new parent to reap it.
bool processRunning(pid_t pid) {
    if (pid <= 0 || ::kill(pid, 0) != 0) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    auto close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

int shutdown(const Parsed& p) {
    auto s = connectOrFail(p);
    auto pidText = fnd::readTextFile("/private/var/run/deviced.pid");
    requestOrFail(*s, {{ipc::op::kKey, Value(ipc::op::kShutdown)}});
    pid_t pid = pidText ? static_cast<pid_t>(std::atoi(pidText->c_str())) : 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (processRunning(pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (processRunning(pid)) fail("the device did not shut down in time");
    std::printf("shut down %s\n", p.root.c_str());
    return 0;
}

int appCommand(const char* op, const Parsed& p) {
    auto s = connectOrFail(p);
    auto r = requestOrFail(*s, {{ipc::op::kKey, Value(op)}, {"bundle", Value(p.positional[0])}});
    const int64_t* pid = fnd::valueForKey(r, "pid").integer();
    std::printf("%s %s%s\n", op, p.positional[0].c_str(), pid ? (" (pid " + std::to_string(*pid) + ")").c_str() : "");
    return 0;
}

int ps(const Parsed& p) {
    auto s = connectOrFail(p);
    auto r = requestOrFail(*s, {{ipc::op::kKey, Value(ipc::op::kStatus)}});
    std::printf("%-8s %-28s %-11s %s\n", "PID", "BUNDLE", "STATE", "SANDBOX");
    if (const fnd::Array* apps = fnd::valueForKey(r, "apps").array()) {
        for (const Value& a : *apps) {
            const Dictionary& d = *a.dictionary();
            std::printf("%-8lld %-28s %-11s %s\n", static_cast<long long>(*fnd::valueForKey(d, "pid").integer()),
                        fnd::valueForKey(d, "bundle").string()->c_str(), fnd::valueForKey(d, "state").string()->c_str(),
                        fnd::valueForKey(d, "sandboxed").boolValue() ? "yes" : "no");
        }
    }
    return 0;
}

int notify(const Parsed& p) {
    if (p.positional[0] != "post") fail("notify: the only action is 'post'", 2);
    auto s = connectOrFail(p);
    if (!s->send({{ipc::op::kKey, Value(ipc::op::kPost)}, {"name", Value(p.positional[1])}}))
        fail("the device went away");
    // A status round trip on the same connection: the post has been handled.
    requestOrFail(*s, {{ipc::op::kKey, Value(ipc::op::kStatus)}});
    std::printf("posted %s\n", p.positional[1].c_str());
    return 0;
}

// A named message to a centre, from outside the device's apps: one-way, as
// every client's is. The user info is a property-list dictionary file.
int send(const Parsed& p) {
    Dictionary info;
    if (p.options.count("--info")) {
        std::ifstream in(p.options.at("--info"), std::ios::binary);
        if (!in) fail("send: cannot read " + p.options.at("--info"), 2);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        auto v = fnd::parsePlist(bytes);
        if (!v || !v->dictionary()) fail("send: " + p.options.at("--info") + " is not a property-list dictionary", 2);
        info = *v->dictionary();
    }
    auto s = connectOrFail(p);
    if (!s->send({{ipc::op::kKey, Value(ipc::op::kSend)},
                  {"center", Value(p.positional[0])},
                  {"message", Value(p.positional[1])},
                  {"userInfo", Value(std::move(info))}}))
        fail("the device went away");
    requestOrFail(*s, {{ipc::op::kKey, Value(ipc::op::kStatus)}}); // the send has been handled
    std::printf("sent %s to %s\n", p.positional[1].c_str(), p.positional[0].c_str());
    return 0;
}

// Installs a library into the injection folder with a filter naming the
// bundles, as a package of the code-injection framework does. Takes effect
// for processes launched afterwards.
int inject(const Parsed& p) {
    if (!p.options.count("--bundles")) fail("inject: --bundles A,B,... is required", 2);
    fs::path library = p.positional[0];
    std::error_code ec;
    if (!fs::is_regular_file(library, ec)) fail("inject: no library at " + library.string(), 2);
    fs::create_directories(p.root);
    fnd::prepareDeviceRoot(p.root);
    fnd::setDeviceRoot(p.root);
    fnd::Array bundles;
    std::string list = p.options.at("--bundles");
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t comma = list.find(',', start);
        std::string b = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!b.empty()) bundles.push_back(Value(b));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (bundles.empty()) fail("inject: --bundles names no bundle", 2);
    std::string name = library.stem().string();
    if (name.starts_with("lib")) name = name.substr(3);
    std::string base = "/Library/MobileSubstrate/DynamicLibraries/" + name;
    fs::copy_file(library, fnd::hostPath(base + ".dylib"), fs::copy_options::overwrite_existing, ec);
    if (ec) fail("inject: cannot copy " + library.string() + ": " + ec.message());
    Dictionary filter{{"Filter", Value(Dictionary{{"Bundles", Value(bundles)}})}};
    if (!fnd::writePlistFile(base + ".plist", Value(filter))) fail("inject: cannot write the filter");
    std::printf("injected %s into %s\n", name.c_str(), list.c_str());
    return 0;
}

// Installs a preference bundle as a package would: the library as
// /Library/PreferenceBundles/NAME.bundle/NAME, the resource files beside it,
// and the preference loader's entry, so that Settings shows a row for it.
int installPrefs(const Parsed& p) {
    for (const char* o : {"--name", "--label", "--detail"})
        if (!p.options.count(o)) fail(std::string("install-prefs: ") + o + " is required", 2);
    const std::string& name = p.options.at("--name");
    if (name.empty() || name.find('/') != std::string::npos || name.find("..") != std::string::npos)
        fail("install-prefs: --name must be a plain name", 2);
    fs::path library = p.positional[0];
    std::error_code ec;
    if (!fs::is_regular_file(library, ec)) fail("install-prefs: no library at " + library.string(), 2);
    fs::create_directories(p.root);
    fnd::prepareDeviceRoot(p.root);
    fnd::setDeviceRoot(p.root);
    std::string folder = "/Library/PreferenceBundles/" + name + ".bundle";
    fs::create_directories(fnd::hostPath(folder), ec);
    fs::copy_file(library, fnd::hostPath(folder + "/" + name), fs::copy_options::overwrite_existing, ec);
    if (ec) fail("install-prefs: cannot copy " + library.string() + ": " + ec.message());
    if (p.options.count("--resources")) {
        for (const auto& f : fs::directory_iterator(p.options.at("--resources"), ec))
            if (f.is_regular_file())
                fs::copy_file(f.path(), fnd::hostPath(folder + "/" + f.path().filename().string()),
                              fs::copy_options::overwrite_existing, ec);
        if (ec) fail("install-prefs: cannot copy the resources: " + ec.message());
    }
    Dictionary entry{{"bundle", Value(name)},
                     {"cell", Value("PSLinkCell")},
                     {"detail", Value(p.options.at("--detail"))},
                     {"isController", Value(true)},
                     {"label", Value(p.options.at("--label"))}};
    if (!fnd::writePlistFile("/Library/PreferenceLoader/Preferences/" + name + ".plist",
                             Value(Dictionary{{"entry", Value(entry)}})))
        fail("install-prefs: cannot write the loader's entry");
    std::printf("installed %s for Settings (%s)\n", name.c_str(), p.options.at("--label").c_str());
    return 0;
}

volatile std::sig_atomic_t g_stop = 0;

int log(const Parsed& p) {
    fnd::setDeviceRoot(p.root);
    std::string path = fnd::hostPath("/var/log/system.log").string();
    std::ifstream in(path);
    if (!in && !fnd::fileExists("/private/var/run/deviced.pid")) fail("no device at " + p.root);
    std::string line;
    while (std::getline(in, line))
        std::printf("%s\n", line.c_str());
    if (!p.options.count("--follow")) return 0;
    std::signal(SIGINT, [](int) { g_stop = 1; });
    std::fflush(stdout);
    while (!g_stop) {
        in.clear();
        while (std::getline(in, line)) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

const std::map<std::string, CommandSpec>& commands() {
    static const std::map<std::string, CommandSpec> c = [] {
        std::map<std::string, CommandSpec> m{
            {"boot",
             {"boot [--root DIR] [--model iphone8|iphone8plus|iphonexs|ipad] [--time-scale N] "
              "[--passcode CODE] [--touch-id] [--advisory-walls]",
              {"--model", "--time-scale", "--passcode"},
              {"--touch-id", "--advisory-walls"},
              0,
              0,
              boot}},
            {"shutdown", {"shutdown [--root DIR]", {}, {}, 0, 0, shutdown}},
            {"launch",
             {"launch BUNDLE [--root DIR]", {}, {}, 1, 1, [](const Parsed& p) { return appCommand("launch", p); }}},
            {"terminate",
             {"terminate BUNDLE [--root DIR]",
              {},
              {},
              1,
              1,
              [](const Parsed& p) { return appCommand("terminate", p); }}},
            {"background",
             {"background BUNDLE [--root DIR]",
              {},
              {},
              1,
              1,
              [](const Parsed& p) { return appCommand("background", p); }}},
            {"foreground",
             {"foreground BUNDLE [--root DIR]",
              {},
              {},
              1,
              1,
              [](const Parsed& p) { return appCommand("foreground", p); }}},
            {"ps", {"ps [--root DIR]", {}, {}, 0, 0, ps}},
            {"notify", {"notify post NAME [--root DIR]", {}, {}, 2, 2, notify}},
            {"log", {"log [--follow] [--root DIR]", {}, {"--follow"}, 0, 0, log}},
            {"send", {"send CENTRE MESSAGE [--info FILE.plist] [--root DIR]", {"--info"}, {}, 2, 2, send}},
            {"inject", {"inject LIBRARY --bundles A,B,... [--root DIR]", {"--bundles"}, {}, 1, 1, inject}},
            {"install-prefs",
             {"install-prefs LIBRARY --name NAME --label LABEL --detail CLASS [--resources DIR] [--root DIR]",
              {"--name", "--label", "--detail", "--resources"},
              {},
              1,
              1,
              installPrefs}},
        };
        for (auto& [name, spec] : libraryCommands())
            m.emplace(name, spec);
        m.emplace("ui", uiCommand());
        m.emplace("install", installCommand());
        m.emplace("remove", removeCommand());
        m.emplace("runtime", runtimeCommand());
        m.emplace("report", reportCommand());
        m.emplace("view", viewCommand());
        return m;
    }();
    return c;
}

} // namespace

bool isDeviceCommand(const std::string& command) { return commands().count(command) != 0; }

void printDeviceCommandsUsage() {
    for (const auto& [name, spec] : commands())
        std::fprintf(stderr, "  %s\n", spec.usage);
}

int runDeviceCommand(const std::string& command, const std::vector<std::string>& args) {
    const CommandSpec& spec = commands().at(command);
    Parsed p;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool takesValue = a == "--root" || std::find(spec.options.begin(), spec.options.end(), a) != spec.options.end();
        bool isFlag = std::find(spec.flags.begin(), spec.flags.end(), a) != spec.flags.end();
        if (a == "--help" || a == "-h")
            p.help = true;
        else if (isFlag)
            p.options[a] = "1";
        else if (takesValue) {
            if (i + 1 >= args.size()) fail(command + ": " + a + " needs a value", 2);
            (a == "--root" ? p.root : p.options[a]) = args[++i];
        } else if (a.starts_with("--"))
            fail(command + ": unknown option " + a, 2);
        else
            p.positional.push_back(a);
    }
    if (p.help) {
        std::printf("usage: lumisim %s\n", spec.usage);
        return 0;
    }
    if (p.positional.size() < spec.minPositional || p.positional.size() > spec.maxPositional)
        fail("usage: lumisim " + std::string(spec.usage), 2);
    if (p.root.empty() && !spec.needsNoDevice) {
        // The default device: LUMI_DEFAULT_DEVICE, else out/device in the
        // checkout this lumisim was built in (<checkout>/build/<preset>/bin).
        const char* def = std::getenv("LUMI_DEFAULT_DEVICE");
        fs::path checkout = fs::path(fnd::executableFolder()).parent_path().parent_path().parent_path();
        if (def && *def)
            p.root = def;
        else if (fs::exists(checkout / "lumi"))
            p.root = (checkout / "out" / "device").string();
        else
            fail("no device named: give --root DIR", 2);
    }
    if (!spec.needsNoDevice && command != "boot" && command != "inject" && command != "install" &&
        command != "install-prefs") {
        std::error_code ec;
        fs::path canonical = fs::canonical(p.root, ec);
        if (ec) fail("no device is booted at " + p.root);
        p.root = canonical.string();
    }
    return spec.run(p);
}

} // namespace lumisim
