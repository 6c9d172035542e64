// The report of a tour: a short tour's screens, notes and kept files turned
// into one page, checked as a reader would meet it: every step has its
// image, every image is there and decodes, the page is well-formed, and
// what the files held is shown as text, never as markup.

#include "sim/graphics/Image.h"
#include "tests/e2e/E2EDevice.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

using e2e::Device;
using e2e::kPhotos;
using e2e::kSpringBoard;
using fnd::Dictionary;
using fnd::Value;
namespace fs = std::filesystem;

namespace {

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

bool saveScreen(Device& d, const std::string& app, const fs::path& path) {
    Dictionary answer = d.ui(app, {{"command", Value("screenshot")}});
    const fnd::Data* png = fnd::valueForKey(answer, "png").data();
    if (!png) return false;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
    return true;
}

std::string textOf(xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string out = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return out;
}

void collect(xmlNode* node, const char* name, std::vector<xmlNode*>& out) {
    for (; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE && std::string(reinterpret_cast<const char*>(node->name)) == name)
            out.push_back(node);
        collect(node->children, name, out);
    }
}

std::string attribute(xmlNode* node, const char* name) {
    xmlChar* v = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string out = v ? reinterpret_cast<const char*>(v) : "";
    xmlFree(v);
    return out;
}

} // namespace

TEST(Report, AShortToursScreensBecomeAWellFormedPageWithEveryImageThereAndDecoding) {
    Device d;
    fs::path screens = fs::path(d.root()).parent_path() / (fs::path(d.root()).filename().string() + "-screens");
    fs::path out = screens.string() + "-report";
    fs::create_directories(screens / "short");
    d.launch(kPhotos);
    ASSERT_TRUE(d.waitFor([&] { return d.shows(kPhotos, "label", Value("Albums")); }));
    ASSERT_TRUE(saveScreen(d, kPhotos, screens / "short" / "1-photos.png"));
    writeText(screens / "short" / "1-photos.txt", "Photos opened: the Photos tab.\n");
    writeText(screens / "short" / "1-photos.library.txt", "Camera Roll  0 photos <&> \"x\"\n");
    ASSERT_TRUE(saveScreen(d, kSpringBoard, screens / "short" / "10-home-screen.png"));
    writeText(screens / "tours.txt", "short\tA short tour <one>\n");

    auto r = e2e::lumisim({"report", screens.string(), out.string()});
    ASSERT_EQ(r.status, 0) << r.output;

    xmlDocPtr doc = xmlReadFile((out / "index.html").c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR);
    ASSERT_TRUE(doc) << "the page is not well-formed";
    std::vector<xmlNode*> images, captions, pres, headings;
    collect(xmlDocGetRootElement(doc), "img", images);
    collect(xmlDocGetRootElement(doc), "p", captions);
    collect(xmlDocGetRootElement(doc), "pre", pres);
    collect(xmlDocGetRootElement(doc), "h2", headings);
    ASSERT_EQ(images.size(), 2u) << "one image a step";
    for (xmlNode* img : images) {
        std::string src = attribute(img, "src");
        EXPECT_FALSE(fs::path(src).is_absolute()) << src;
        std::ifstream in(out / src, std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(gfx::Image::decode(bytes)) << src << " is not an image";
        EXPECT_FALSE(attribute(img, "alt").empty());
    }
    EXPECT_EQ(attribute(images[0], "src"), "short/1-photos.png") << "steps in the order of their numbers";
    EXPECT_EQ(attribute(images[1], "src"), "short/10-home-screen.png");
    ASSERT_EQ(headings.size(), 1u);
    EXPECT_EQ(textOf(headings[0]), "A short tour <one>");
    bool captioned = false, untitled = false;
    for (xmlNode* p : captions) {
        captioned |= textOf(p) == "1. Photos opened: the Photos tab.";
        untitled |= textOf(p) == "2. home screen";
    }
    EXPECT_TRUE(captioned) << "the tour's note under its step";
    EXPECT_TRUE(untitled) << "a step without a note is captioned by its name";
    ASSERT_EQ(pres.size(), 1u);
    EXPECT_EQ(textOf(pres[0]), "Camera Roll  0 photos <&> \"x\"\n") << "the file's text as text";
    xmlFreeDoc(doc);

    r = e2e::lumisim({"report", (screens / "short" / "nothing").string(), out.string()});
    EXPECT_NE(r.status, 0) << "no folder: a clear error";
    EXPECT_NE(r.output.find("report: no folder"), std::string::npos) << r.output;
    fs::remove_all(screens);
    fs::remove_all(out);
}
