// lumisim ui: what a person sees and does in a running app, carried by the
// device to the app's own automation handler (uikit/Automation.h).
//
//   ui BUNDLE tree
//   ui BUNDLE find|tap|long-press [--label L] [--text T] [--tag N] [--class C]
//                                 [--x X --y Y] [--seconds S]
//   ui BUNDLE drag X Y TOX TOY
//   ui BUNDLE type TEXT [--index N]
//   ui BUNDLE return
//   ui BUNDLE report       (an app's own account of what it shows: the gallery's)
//   ui BUNDLE alert BUTTON
//   ui BUNDLE presented
//   ui BUNDLE screenshot FILE

#include "sim/ipc/Operations.h"
#include "sim/lumisim/Commands.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace lumisim {

using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr const char* kUsage =
    "ui BUNDLE tree|presented|report | find|tap|long-press [--label L] [--text T] [--tag N] [--class C] "
    "[--x X --y Y] [--seconds S] | drag X Y TOX TOY | type TEXT [--index N] | return | alert BUTTON | "
    "screenshot FILE [--root DIR]";

double numberOrFail(const std::string& text, const std::string& what) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end) fail("ui: " + what + " must be a number, not '" + text + "'", 2);
    return v;
}

std::string frameText(const Value& frame) {
    const fnd::Array* f = frame.array();
    if (!f || f->size() != 4) return "[]";
    std::string out = "[";
    for (std::size_t i = 0; i < 4; ++i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s%g", i ? " " : "", (*f)[i].real() ? *(*f)[i].real() : 0.0);
        out += buf;
    }
    return out + "]";
}

void printTree(const Dictionary& node, int depth) {
    std::string line(static_cast<std::size_t>(depth) * 2, ' ');
    line += *fnd::valueForKey(node, "class").string() + " " + frameText(fnd::valueForKey(node, "frame"));
    if (const std::int64_t* tag = fnd::valueForKey(node, "tag").integer(); tag && *tag)
        line += " tag " + std::to_string(*tag);
    if (const std::string* t = fnd::valueForKey(node, "text").string()) line += " \"" + *t + "\"";
    if (const std::string* l = fnd::valueForKey(node, "label").string()) line += " label \"" + *l + "\"";
    if (fnd::valueForKey(node, "hidden").boolValue()) line += " hidden";
    if (const double* a = fnd::valueForKey(node, "alpha").real(); a && *a < 1)
        line += " alpha " + std::to_string(*a).substr(0, 4);
    std::printf("%s\n", line.c_str());
    if (const fnd::Array* subs = fnd::valueForKey(node, "subviews").array())
        for (const Value& s : *subs)
            if (const Dictionary* d = s.dictionary()) printTree(*d, depth + 1);
}

int ui(const Parsed& p) {
    const std::string& bundle = p.positional[0];
    const std::string& command = p.positional[1];
    std::vector<std::string> args(p.positional.begin() + 2, p.positional.end());
    auto needArgs = [&](std::size_t n) {
        if (args.size() != n) fail("usage: lumisim " + std::string(kUsage), 2);
    };
    Dictionary request{{"command", Value(command)}};
    if (command == "tree" || command == "presented" || command == "return" || command == "report") {
        needArgs(0);
    } else if (command == "find" || command == "tap" || command == "long-press") {
        needArgs(0);
        for (const char* key : {"label", "text", "class"})
            if (p.options.count(std::string("--") + key)) request[key] = Value(p.options.at(std::string("--") + key));
        if (p.options.count("--tag"))
            request["tag"] = Value(static_cast<std::int64_t>(numberOrFail(p.options.at("--tag"), "--tag")));
        for (const char* key : {"x", "y", "seconds"})
            if (p.options.count(std::string("--") + key))
                request[key] = Value(numberOrFail(p.options.at(std::string("--") + key), std::string("--") + key));
    } else if (command == "drag") {
        needArgs(4);
        const char* keys[] = {"x", "y", "toX", "toY"};
        for (std::size_t i = 0; i < 4; ++i)
            request[keys[i]] = Value(numberOrFail(args[i], keys[i]));
    } else if (command == "type") {
        needArgs(1);
        request["text"] = Value(args[0]);
        if (p.options.count("--index"))
            request["index"] = Value(static_cast<std::int64_t>(numberOrFail(p.options.at("--index"), "--index")));
    } else if (command == "alert") {
        needArgs(1);
        request["button"] = Value(args[0]);
    } else if (command == "screenshot") {
        needArgs(1);
    } else {
        fail("ui: unknown action '" + command + "'; usage: lumisim " + kUsage, 2);
    }

    auto s = connectOrFail(p);
    Dictionary r = requestOrFail(
        *s, {{ipc::op::kKey, Value(ipc::op::kUi)}, {"bundle", Value(bundle)}, {"request", Value(request)}},
        std::chrono::seconds(30));
    if (command == "tree") {
        if (const Dictionary* tree = fnd::valueForKey(r, "tree").dictionary()) printTree(*tree, 0);
    } else if (command == "presented") {
        if (const fnd::Array* list = fnd::valueForKey(r, "presented").array())
            for (const Value& c : *list) {
                const Dictionary& d = *c.dictionary();
                std::printf("%s \"%s\"\n", fnd::valueForKey(d, "class").string()->c_str(),
                            fnd::valueForKey(d, "title").string()->c_str());
            }
    } else if (command == "report") {
        const std::string* text = fnd::valueForKey(r, "report").string();
        std::printf("%s", text ? text->c_str() : "");
    } else if (command == "screenshot") {
        const fnd::Data* png = fnd::valueForKey(r, "png").data();
        if (!png) fail("ui: the app sent no image");
        std::ofstream out(args[0], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
        if (!out) fail("ui: cannot write " + args[0]);
        std::printf("wrote %s (%zu bytes)\n", args[0].c_str(), png->size());
    } else if (const std::string* cls = fnd::valueForKey(r, "class").string()) {
        std::printf("%s %s %s at (%g, %g)\n", command.c_str(), cls->c_str(),
                    frameText(fnd::valueForKey(r, "frame")).c_str(), *fnd::valueForKey(r, "x").real(),
                    *fnd::valueForKey(r, "y").real());
    } else {
        std::printf("%s done\n", command.c_str());
    }
    return 0;
}

} // namespace

CommandSpec uiCommand() {
    return {kUsage, {"--label", "--text", "--tag", "--class", "--x", "--y", "--seconds", "--index"}, {}, 2, 6, ui};
}

} // namespace lumisim
