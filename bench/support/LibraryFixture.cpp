#include "bench/support/LibraryFixture.h"

#include "sim/foundation/DevicePaths.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

namespace benchsupport {

namespace fs = std::filesystem;

LibraryFixture::LibraryFixture() {
    char tmpl[] = "/tmp/lumi-bench-photos-XXXXXX";
    root = ::mkdtemp(tmpl);
    fnd::prepareDeviceRoot(root);
    fnd::setDeviceRoot(root);
    photos::registerPhotoKit();
    store = photos::Library::shared().store();
    store->transaction([&](photos::Writer& w) {
        std::vector<int64_t> albums;
        for (int i = 0; i < kAlbums; ++i)
            albums.push_back(w.createAlbum("Album " + std::to_string(i))->id);
        for (int i = 0; i < kAssets; ++i) {
            photos::AssetRecord a;
            a.creationDate = 1000.0 * i;
            a.hidden = i % 10 == 0;
            auto added = w.insertAsset(a);
            assetIds.push_back(added->id);
            if (!w.addMembers(albums[static_cast<std::size_t>(i % kAlbums)], {added->id})) return false;
        }
        middleAlbum = albums[kAlbums / 2];
        return true;
    });
    sqlite3_open_v2(fnd::hostPath(photos::kLibraryPath).c_str(), &plain, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(plain, 5000);
}

LibraryFixture::~LibraryFixture() {
    photos::Library::shared().waitUntilIdle();
    sqlite3_close(plain);
    std::error_code ec;
    fs::remove_all(root, ec);
}

LibraryFixture& fixture() {
    static LibraryFixture f;
    return f;
}

sqlite3_stmt* prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(fixture().plain, sql, -1, &s, nullptr);
    return s;
}

std::size_t drain(sqlite3_stmt* s) {
    std::vector<int64_t> ids;
    while (sqlite3_step(s) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int64(s, 0));
    sqlite3_reset(s);
    benchmark::DoNotOptimize(ids.data());
    return ids.size();
}

} // namespace benchsupport
