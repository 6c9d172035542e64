// The lock gate's bookkeeping, beside the plain work it stands on.
//
//   The delete bookkeeping of the album list (the album found by title, its
//   photos fetched with the hidden ones, and for each photo the user albums
//   that hold it, keeping those that fewer than two hold) for an album of
//   1,000 photos in the library of bench/support/LibraryFixture (1,000
//   albums, 100,000 assets), beside the same queries in plain SQLite on its
//   own connection to the same file: the album by title, its members, and
//   for each member the albums that hold it (the library's own statements).

#include "bench/support/LibraryFixture.h"
#include "tweak/library/AlbumPlacement.h"
#include "tweak/photos/PhotoMoves.h"

#include <benchmark/benchmark.h>

using namespace benchsupport;

namespace {

constexpr const char* kBig = "Big album";

// An album of 1,000 photos, each also in its own album of the fixture.
void makeBigAlbum() {
    static bool made = [] {
        LibraryFixture& f = fixture();
        auto album = f.store->createAlbum(kBig, std::nullopt);
        std::vector<int64_t> members;
        for (std::size_t i = 0; i < 1000; ++i)
            members.push_back(f.assetIds[i * 37 % f.assetIds.size()]);
        return album && f.store->addMembers(album->id, members);
    }();
    if (!made) throw std::runtime_error("the big album could not be made");
}

void BM_DeleteBookkeeping(benchmark::State& state) {
    makeBigAlbum();
    std::size_t kept = 0;
    for (auto _ : state) {
        photos::PHAssetCollection album = lc::collectionWithName(kBig);
        kept = lc::photosOnlyIn(album).size();
        benchmark::DoNotOptimize(kept);
    }
    state.counters["photos"] = static_cast<double>(kept);
}
BENCHMARK(BM_DeleteBookkeeping)->Unit(benchmark::kMillisecond);

void BM_DeleteBookkeeping_Sqlite(benchmark::State& state) {
    makeBigAlbum();
    sqlite3_stmt* byTitle = prepare("SELECT id, uuid, title, folder FROM albums WHERE title = ? ORDER BY id");
    sqlite3_stmt* members = prepare("SELECT a.id, a.uuid, a.creation_date, a.hidden FROM memberships m CROSS JOIN "
                                    "assets a ON a.id = m.asset WHERE m.album = ? AND a.trashed = 0 "
                                    "ORDER BY a.creation_date, a.id");
    sqlite3_stmt* holders = prepare("SELECT c.id, c.uuid, c.title, c.folder FROM memberships m JOIN albums c ON "
                                    "c.id = m.album WHERE m.asset = ? ORDER BY c.id");
    std::size_t kept = 0;
    for (auto _ : state) {
        sqlite3_bind_text(byTitle, 1, kBig, -1, SQLITE_STATIC);
        int64_t album = sqlite3_step(byTitle) == SQLITE_ROW ? sqlite3_column_int64(byTitle, 0) : 0;
        sqlite3_reset(byTitle);
        sqlite3_bind_int64(members, 1, album);
        std::vector<int64_t> ids;
        while (sqlite3_step(members) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(members, 0));
        sqlite3_reset(members);
        kept = 0;
        for (int64_t id : ids) {
            sqlite3_bind_int64(holders, 1, id);
            if (drain(holders) < 2) ++kept;
        }
        benchmark::DoNotOptimize(kept);
    }
    state.counters["photos"] = static_cast<double>(kept);
    sqlite3_finalize(byTitle);
    sqlite3_finalize(members);
    sqlite3_finalize(holders);
}
BENCHMARK(BM_DeleteBookkeeping_Sqlite)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
