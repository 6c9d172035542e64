#pragma once
// The benchmarks' photo library: 1,000 albums ("Album 0" to "Album 999")
// and 100,000 assets, 100 per album, one in ten of them hidden, made once
// per process in a temporary device folder, with a plain SQLite connection
// to the same file for the baselines.

#include "sim/photos/kit/Internals.h"

#include <cstdint>
#include <filesystem>
#include <sqlite3.h>
#include <vector>

namespace benchsupport {

constexpr int kAlbums = 1000;
constexpr int kAssets = 100000;

struct LibraryFixture {
    std::filesystem::path root;
    photos::PhotoStore* store = nullptr;
    sqlite3* plain = nullptr;
    int64_t middleAlbum = 0;
    std::vector<int64_t> assetIds;

    LibraryFixture();
    ~LibraryFixture();
};

// The one fixture of this process, made on first use.
LibraryFixture& fixture();

// A statement prepared on the plain connection.
sqlite3_stmt* prepare(const char* sql);
// Steps a statement to its end, keeping the first column of each row as the
// library's fetch results keep their row ids; the number of rows.
std::size_t drain(sqlite3_stmt* s);

} // namespace benchsupport
