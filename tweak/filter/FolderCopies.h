#pragma once
// The transient copies that `collections` appends to a collection list:
// for every regular album of the library, in library order, a transient
// album of the same title holding the album's assets, hidden ones included,
// as the filtered asset fetch gives them (none for a locked album, or one
// switched off while hideFoldersInApps is on). A copy is left out for an
// album switched off while hideFoldersInApps is on, and for a locked album
// while hideLockedFromApps is on (the copy of a locked album shows only
// when locked albums may show, and then empty).
//
// Building them fetches every regular album and all of their assets: the
// whole library. So what they derive from is kept in two layers:
//   - each album's identifier, title and assets (hidden ones included),
//     under the library's change token: fetched again only when the library
//     changed;
//   - the copies themselves, under that token, the settings' generation and
//     the locked list's version: a lock or a switch makes them again from
//     the kept assets, without a fetch.
// A query after no change costs a check of the three keys. Any change that
// was complete before a query began makes that query build afresh: each key
// is read before what it keys is built, so a build that raced a change is
// kept under the older key and never served again. One build runs at a
// time; queries that miss meanwhile wait for it and share it.

#include "sim/runtime/Runtime.h"
#include "tweak/filter/FilterInputs.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace lc::filter {

struct FolderCopy {
    std::string albumIdentifier; // the album's localIdentifier
    rt::Ref<rt::Object> copy;    // its transient copy
    // Not switched off (or hideFoldersInApps off), and not locked (or
    // hideLockedFromApps off).
    bool appendable = true;
};
struct FolderCopyList {
    std::vector<FolderCopy> copies;
    std::unordered_map<std::string, std::size_t> byAlbum; // album identifier → its copy's index
    void add(FolderCopy copy) {
        byAlbum.emplace(copy.albumIdentifier, copies.size());
        copies.push_back(std::move(copy));
    }
};

// How the copies reach the library past the filter's own hooks.
struct StockReads {
    // Every object of a fetch result.
    std::vector<rt::Ref<rt::Object>> (*objects)(rt::Id result);
    // An album's assets, hidden ones included, whatever its lock.
    rt::Ref<rt::Object> (*albumAssets)(rt::Id album);
};

std::shared_ptr<const FolderCopyList> folderCopies(const Inputs& in, const StockReads& stock);
// The copies as each call would build them with nothing kept: the albums'
// assets fetched through the filtered asset fetch (for the benchmarks and
// the tests: what the layers save).
FolderCopyList buildFolderCopies(const Inputs& in, const StockReads& stock);

} // namespace lc::filter
