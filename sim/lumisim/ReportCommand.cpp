// lumisim report SCREENS OUT: the tours' screens as a page a person would
// rather look at than read.
//
// SCREENS holds one folder per tour, in the order of SCREENS/tours.txt when
// there is one ("folder<TAB>title" per line), else by name. A tour's steps
// are its NAME.png files, in the order of the number each name starts with;
// beside each, what the tour kept of that step: NAME.txt (one line: what
// the step did and what to notice), NAME.library.txt (`lumisim library` as
// it stood), NAME.lockedAlbums.plist and NAME.album.tct (the state files).
// OUT gets index.html and a copy of every image: relative links only, no
// script, no request to anywhere, one column on a phone-sized window and a
// grid on a desktop one. The page is XHTML (well-formed XML as well as
// HTML), every text from the files escaped.

#include "sim/foundation/Files.h"
#include "sim/lumisim/Commands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace lumisim {

namespace fs = std::filesystem;

namespace {

std::string escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // Control characters have no place in XML text; tabs and line ends do.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') continue;
            out += c;
        }
    }
    return fnd::isValidUtf8(out) ? out : std::string("(not UTF-8)");
}

// A host file's text, up to 1 MiB; none when absent.
std::optional<std::string> hostText(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) > (1u << 20)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Step {
    std::string name; // the file name without ".png"
    long number = 0;
};

struct Tour {
    std::string folder;
    std::string title;
    std::vector<Step> steps;
};

std::vector<Step> stepsIn(const fs::path& folder) {
    std::vector<Step> steps;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec) || entry.path().extension() != ".png") continue;
        Step s{entry.path().stem().string()};
        s.number = std::strtol(s.name.c_str(), nullptr, 10);
        steps.push_back(std::move(s));
    }
    std::sort(steps.begin(), steps.end(),
              [](const Step& a, const Step& b) { return std::tie(a.number, a.name) < std::tie(b.number, b.name); });
    return steps;
}

std::vector<Tour> toursIn(const fs::path& screens) {
    std::vector<Tour> tours;
    if (auto order = hostText(screens / "tours.txt")) {
        std::istringstream lines(*order);
        std::string line;
        while (std::getline(lines, line)) {
            auto tab = line.find('\t');
            std::string folder = line.substr(0, tab);
            if (folder.empty() || folder.find('/') != std::string::npos || folder.starts_with(".")) continue;
            tours.push_back({folder, tab == std::string::npos ? folder : line.substr(tab + 1), {}});
        }
    } else {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(screens, ec))
            if (entry.is_directory(ec)) tours.push_back({entry.path().filename().string(), "", {}});
        std::sort(tours.begin(), tours.end(), [](const Tour& a, const Tour& b) { return a.folder < b.folder; });
        for (auto& t : tours)
            t.title = t.folder + " tour";
    }
    for (auto& t : tours)
        t.steps = stepsIn(screens / t.folder);
    std::erase_if(tours, [](const Tour& t) { return t.steps.empty(); });
    return tours;
}

// A step's caption when the tour kept none: its name, dashes as spaces.
std::string captionFromName(const std::string& name) {
    std::string out = name;
    std::size_t start = out.find_first_not_of("0123456789-");
    out = start == std::string::npos ? out : out.substr(start);
    std::replace(out.begin(), out.end(), '-', ' ');
    return out;
}

constexpr const char* kStyle = R"(
body { font-family: -apple-system, "Helvetica Neue", "DejaVu Sans", sans-serif; margin: 0; background: #f2f2f7; color: #1c1c1e; }
header, section { max-width: 1200px; margin: 0 auto; padding: 16px; }
h1 { font-size: 1.6em; margin: 0.2em 0; }
h2 { font-size: 1.3em; border-bottom: 1px solid #c7c7cc; padding-bottom: 4px; }
nav a { margin-right: 12px; white-space: nowrap; }
.steps { display: grid; grid-template-columns: repeat(auto-fill, minmax(260px, 1fr)); gap: 16px; }
.step { background: #fff; border-radius: 12px; padding: 12px; box-shadow: 0 1px 3px rgba(0,0,0,0.12); }
.step img { width: 100%; height: auto; border-radius: 8px; border: 1px solid #d1d1d6; }
.step p { margin: 8px 0; }
.number { font-weight: bold; color: #007aff; }
details pre { font-size: 0.75em; overflow-x: auto; background: #f2f2f7; padding: 6px; border-radius: 6px; }
)";

} // namespace

namespace {

int report(const Parsed& p) {
    fs::path screens = p.positional[0], out = p.positional[1];
    std::error_code ec;
    if (!fs::is_directory(screens, ec)) fail("report: no folder " + screens.string(), 2);
    std::vector<Tour> tours = toursIn(screens);
    if (tours.empty()) fail("report: no tour's screens in " + screens.string());
    fs::create_directories(out, ec);
    if (ec) fail("report: cannot make " + out.string());

    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
         << "<meta charset=\"utf-8\"/>\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
         << "<title>lumicrate12 on a simulated iPhone</title>\n<style>" << kStyle << "</style>\n</head>\n<body>\n"
         << "<header>\n<h1>lumicrate12 on a simulated iPhone</h1>\n"
         << "<p>Each picture is the device's screen after one step of a tour, as <code>./lumi demo</code> ran it; "
         << "under it, what the step did and what to notice, and the library and the state files as they stood. "
         << "The tours step by step: <a href=\"../../docs/tours.md\">docs/tours.md</a>.</p>\n<nav>";
    for (const auto& t : tours)
        html << "<a href=\"#" << escape(t.folder) << "\">" << escape(t.title) << "</a> ";
    html << "</nav>\n</header>\n";
    std::size_t images = 0;
    for (const auto& t : tours) {
        fs::create_directories(out / t.folder, ec);
        html << "<section id=\"" << escape(t.folder) << "\">\n<h2>" << escape(t.title)
             << "</h2>\n<div class=\"steps\">\n";
        int n = 0;
        for (const auto& s : t.steps) {
            fs::path from = screens / t.folder, image = fs::path(t.folder) / (s.name + ".png");
            fs::copy_file(from / (s.name + ".png"), out / image, fs::copy_options::overwrite_existing, ec);
            if (ec) fail("report: cannot copy " + (from / (s.name + ".png")).string());
            ++images;
            auto note = hostText(from / (s.name + ".txt"));
            std::string caption = note ? note->substr(0, note->find('\n')) : captionFromName(s.name);
            html << "<div class=\"step\">\n<a href=\"" << escape(image.string()) << "\"><img src=\""
                 << escape(image.string()) << "\" alt=\"" << escape(caption) << "\"/></a>\n<p><span class=\"number\">"
                 << ++n << ".</span> " << escape(caption) << "</p>\n";
            struct Kept {
                const char* suffix;
                const char* title;
            };
            for (Kept k : {Kept{".library.txt", "the library (lumisim library)"},
                           Kept{".lockedAlbums.plist", "lockedAlbums.plist"}, Kept{".album.tct", "album.tct"}})
                if (auto text = hostText(from / (s.name + k.suffix)))
                    html << "<details><summary>" << k.title << "</summary><pre>" << escape(*text)
                         << "</pre></details>\n";
            html << "</div>\n";
        }
        html << "</div>\n</section>\n";
    }
    html << "</body>\n</html>\n";
    std::ofstream page(out / "index.html", std::ios::binary | std::ios::trunc);
    page << html.str();
    if (!page.flush()) fail("report: cannot write " + (out / "index.html").string());
    std::printf("report: %zu steps of %zu tours in %s\n", images, tours.size(), (out / "index.html").c_str());
    return 0;
}

} // namespace

CommandSpec reportCommand() { return {"report SCREENS OUT", {}, {}, 2, 2, report, true}; }

} // namespace lumisim
