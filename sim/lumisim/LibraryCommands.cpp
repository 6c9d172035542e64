// lumisim's photo library commands:
//   addmedia FILE... [--album TITLE] [--hidden] [--screenshot] [--video] [--favourite] [--date ISO]
//   mkalbum TITLE [--folder NAME]
//   library
//   sample-photos DIR [--count N] [--label TEXT] [--date ISO]   (dated one an hour from ISO)
//
// addmedia and mkalbum write the library of a booted device as a sync from
// a computer would: straight into its store, one transaction per command,
// while the device's apps go on (they see the change at their next fetch).
// library reads it through PhotoKit's classes, as an app would.

#include "sim/foundation/Dates.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/graphics/SamplePhoto.h"
#include "sim/lumisim/Commands.h"
#include "sim/photos/Import.h"
#include "sim/photos/kit/Internals.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace lumisim {

namespace fs = std::filesystem;
using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

namespace {

photos::PhotoStore& openLibraryOf(const Parsed& p) {
    if (!tryStatus(p.root)) fail("no device is booted at " + p.root);
    fnd::setDeviceRoot(p.root);
    photos::PhotoStore* store = photos::Library::shared().store();
    if (!store) fail("the device's photo library cannot be opened");
    return *store;
}

// The first album with exactly this title, made when there is none.
std::optional<photos::AlbumRecord> albumNamed(photos::Writer& w, const std::string& title) {
    photos::Statement s =
        w.db().prepare("SELECT id, uuid, title, folder FROM albums WHERE title = ? ORDER BY id LIMIT 1");
    s.bind(1, title);
    if (s.step()) {
        photos::AlbumRecord a{s.integer(0), s.text(1), s.text(2), std::nullopt};
        if (!s.isNull(3)) a.folder = s.integer(3);
        return a;
    }
    return w.createAlbum(title);
}

int addmedia(const Parsed& p) {
    photos::AssetRecord attrs;
    attrs.hidden = p.options.count("--hidden") != 0;
    attrs.favorite = p.options.count("--favourite") != 0;
    if (p.options.count("--video")) attrs.mediaType = photos::kMediaVideo;
    if (p.options.count("--screenshot")) attrs.traits |= photos::kTraitScreenshot;
    double date = fnd::nowSinceReferenceDate();
    if (p.options.count("--date")) {
        auto parsed = fnd::parseIsoDate(p.options.at("--date"));
        if (!parsed) fail("addmedia: --date wants an ISO date such as 2026-12-08 or 2026-12-08T09:30:00Z", 2);
        date = *parsed;
    }
    std::vector<std::pair<std::string, std::string>> files; // name, bytes
    for (const auto& f : p.positional) {
        std::error_code ec;
        if (!fs::is_regular_file(f, ec)) fail("addmedia: no file at " + f, 2);
        auto size = fs::file_size(f, ec);
        if (ec || size > 64u * 1024 * 1024) fail("addmedia: " + f + " is too large", 2);
        std::string bytes(size, '\0');
        FILE* in = std::fopen(f.c_str(), "rb");
        bool read = in && std::fread(bytes.data(), 1, size, in) == size;
        if (in) std::fclose(in);
        if (!read) fail("addmedia: cannot read " + f);
        files.emplace_back(fs::path(f).filename().string(), std::move(bytes));
    }
    photos::PhotoStore& store = openLibraryOf(p);
    std::vector<std::string> lines, written;
    bool ok = store.transaction([&](photos::Writer& w) {
        std::optional<photos::AlbumRecord> album;
        if (p.options.count("--album") && !(album = albumNamed(w, p.options.at("--album")))) return false;
        for (std::size_t i = 0; i < files.size(); ++i) {
            photos::AssetRecord a = attrs;
            a.creationDate = date + static_cast<double>(i); // keeps the command line's order
            std::string path;
            auto added = photos::importImage(w, files[i].second, files[i].first, a, &path);
            if (!added) {
                lines = {"addmedia: " + files[i].first + " is not a PNG or JPEG image; nothing was added"};
                return false;
            }
            written.push_back(path);
            if (album && !w.addMembers(album->id, {added->id})) return false;
            lines.push_back("added " + files[i].first + " as " + path + " (asset " + std::to_string(added->id) + ")" +
                            (album ? " to " + album->title : "") + (a.hidden ? ", hidden" : ""));
        }
        return true;
    });
    if (!ok) {
        for (const auto& path : written)
            fs::remove(fnd::hostPath(path));
        fail(lines.empty() ? "addmedia: the library refused the change" : lines.back());
    }
    for (const auto& l : lines)
        std::printf("%s\n", l.c_str());
    return 0;
}

int mkalbum(const Parsed& p) {
    photos::PhotoStore& store = openLibraryOf(p);
    std::optional<photos::AlbumRecord> album;
    bool ok = store.transaction([&](photos::Writer& w) {
        std::optional<int64_t> folder;
        if (p.options.count("--folder")) {
            const std::string& name = p.options.at("--folder");
            photos::Statement s = w.db().prepare("SELECT id FROM folders WHERE title = ? ORDER BY id LIMIT 1");
            s.bind(1, name);
            if (s.step())
                folder = s.integer(0);
            else if (auto f = w.createFolder(name))
                folder = f->id;
            else
                return false;
        }
        return (album = w.createAlbum(p.positional[0], folder)).has_value();
    });
    if (!ok) fail("mkalbum: the library refused the change");
    std::printf("made album %s%s\n", album->title.c_str(),
                p.options.count("--folder") ? (" in folder " + p.options.at("--folder")).c_str() : "");
    return 0;
}

unsigned long countIn(const Ref<rt::Object>& collection, bool includeHidden) {
    auto assets = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsInAssetCollection:options:"_sel,
                                                 collection, photos::makeFetchOptions(includeHidden));
    return rt::send<unsigned long>(assets, "count"_sel);
}

// "3 photos", or "2 visible, 1 hidden"
std::string countText(const Ref<rt::Object>& collection) {
    unsigned long all = countIn(collection, true), visible = countIn(collection, false);
    if (all == visible) return std::to_string(all) + (all == 1 ? " photo" : " photos");
    return std::to_string(visible) + " visible, " + std::to_string(all - visible) + " hidden";
}

void printCollections(const Objects& items, int depth) {
    for (const auto& c : items) {
        std::string indent(static_cast<std::size_t>(2 + 2 * depth), ' ');
        std::string title = rt::send<std::string>(c, "localizedTitle"_sel);
        if (photos::collectionListOf(c.get())) {
            std::printf("%s%s/  (folder)\n", indent.c_str(), title.c_str());
            printCollections(rt::send<Objects>(c, "collections"_sel), depth + 1);
        } else {
            std::printf("%s%s  %s\n", indent.c_str(), title.c_str(), countText(c).c_str());
        }
    }
}

int library(const Parsed& p) {
    openLibraryOf(p);
    photos::registerPhotoKit();
    std::printf("Albums and folders (%s)\n", photos::kUserCollectionsListTitle);
    printCollections(rt::send<Objects>(photos::userCollectionsList(), "collections"_sel), 0);

    std::printf("Smart albums\n");
    auto smart = rt::sendClass<Ref<rt::Object>>(
        rt::getClass("PHAssetCollection"), "fetchAssetCollectionsWithType:subtype:options:"_sel,
        photos::PHAssetCollectionTypeSmartAlbum, photos::PHAssetCollectionSubtypeAny, Ref<rt::Object>());
    for (const auto& c : rt::send<Objects>(smart, "fetchedObjects"_sel))
        std::printf("  %-18s %-22s (subtype %ld)\n", rt::send<std::string>(c, "localizedTitle"_sel).c_str(),
                    countText(c).c_str(), rt::send<long>(c, "assetCollectionSubtype"_sel));

    std::printf("Assets\n");
    auto everything = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsWithOptions:"_sel,
                                                     photos::makeFetchOptions(true));
    for (const auto& a : rt::send<Objects>(everything, "fetchedObjects"_sel)) {
        const photos::AssetRecord* r = photos::assetRecordOf(a.get());
        std::string albums;
        auto in = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                                 "fetchAssetCollectionsContainingAsset:withType:options:"_sel, a,
                                                 photos::PHAssetCollectionTypeAlbum, Ref<rt::Object>());
        for (const auto& c : rt::send<Objects>(in, "fetchedObjects"_sel))
            albums += (albums.empty() ? "" : ", ") + rt::send<std::string>(c, "title"_sel);
        std::printf("  %-14s %s  %-6s %s%s  albums: %s\n", fs::path(r->imagePath).filename().c_str(),
                    fnd::formatDate(r->creationDate).c_str(), r->mediaType == photos::kMediaVideo ? "video" : "image",
                    r->hidden ? "hidden" : "visible", r->favorite ? ", favourite" : "",
                    albums.empty() ? "-" : albums.c_str());
    }
    return 0;
}

int samplePhotos(const Parsed& p) {
    int count = p.options.count("--count") ? std::atoi(p.options.at("--count").c_str()) : 6;
    if (count < 1 || count > 1000) fail("sample-photos: --count wants a number from 1 to 1000", 2);
    std::string label = p.options.count("--label") ? p.options.at("--label") : "Sample";
    double date = fnd::nowSinceReferenceDate();
    if (p.options.count("--date")) {
        auto parsed = fnd::parseIsoDate(p.options.at("--date"));
        if (!parsed) fail("sample-photos: --date wants an ISO date such as 2026-12-08T09:30:00Z", 2);
        date = *parsed;
    }
    fs::path dir = p.positional[0];
    std::error_code ec;
    fs::create_directories(dir, ec);
    // The files are written on the host, outside any device.
    fnd::setDeviceRoot("/");
    for (int i = 1; i <= count; ++i) {
        gfx::SamplePhotoSpec spec;
        spec.index = i;
        spec.label = label + " " + std::to_string(i);
        spec.dateText = fnd::formatDate(date + 3600.0 * (i - 1)).substr(0, 16); // one an hour
        spec.width = 1200;
        spec.height = 900;
        char name[32];
        std::snprintf(name, sizeof name, "sample-%02d.jpg", i);
        fs::path out = fs::absolute(dir / name);
        if (!gfx::makeSamplePhoto(spec).writeJpeg(out.string())) fail("sample-photos: cannot write " + out.string());
        std::printf("%s\n", out.c_str());
    }
    return 0;
}

} // namespace

const std::map<std::string, CommandSpec>& libraryCommands() {
    static const std::map<std::string, CommandSpec> c{
        {"addmedia",
         {"addmedia FILE... [--album TITLE] [--hidden] [--screenshot] [--video] [--favourite] "
          "[--date ISO] [--root DIR]",
          {"--album", "--date"},
          {"--hidden", "--screenshot", "--video", "--favourite"},
          1,
          SIZE_MAX,
          addmedia}},
        {"mkalbum", {"mkalbum TITLE [--folder NAME] [--root DIR]", {"--folder"}, {}, 1, 1, mkalbum}},
        {"library", {"library [--root DIR]", {}, {}, 0, 0, library}},
        {"sample-photos",
         {"sample-photos DIR [--count N] [--label TEXT] [--date ISO]",
          {"--count", "--label", "--date"},
          {},
          1,
          1,
          samplePhotos,
          true}},
    };
    return c;
}

} // namespace lumisim
