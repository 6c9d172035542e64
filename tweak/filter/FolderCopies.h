#pragma once
// The transient copies that `collections` appends to a collection list:
// for every regular album of the library, in library order, a transient
// album of the same title that answers for the album's assets, hidden ones
// included, as the filtered asset fetch gives them (none for a locked album,
// or one switched off while hideFoldersInApps is on). A copy is made empty
// and keeps its album (albumOfCopy): the filter's asset fetches, key-asset
// fetches and estimatedAssetCount answer a copy from its album when they are
// asked, so that a list, which needs only the copies' titles and places,
// fetches no album's assets. A copy is left out for an
// album switched off while hideFoldersInApps is on, and for a locked album
// while hideLockedFromApps is on (the copy of a locked album shows only
// when locked albums may show, and then empty).
//
// Building them fetches every regular album. So what they derive from is
// kept in two layers:
//   - each album's identifier, title and object, under the library's change
//     token: fetched again only when the library changed;
//   - the copies themselves, under that token, the settings' generation and
//     the locked list's version: a lock or a switch makes them again from
//     the kept albums, without a fetch.
// A query after no change costs a check of the three keys. Any change that
// was complete before a query began makes that query build afresh: each key
// is read before what it keys is built, so a build that raced a change is
// kept under the older key and never served again. One build runs at a
// time; queries that miss meanwhile wait for it and share it.

#include "sim/runtime/Runtime.h"
#include "tweak/filter/FilterInputs.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace lc::filter {

// The regular albums as the copies need them, in library order: what names
// each, and the album, which its copy answers for (none for a copy made
// with its assets).
struct FolderAlbum {
    std::string identifier; // the album's localIdentifier
    std::string title;
    rt::Ref<rt::Object> album;
};
struct FolderAlbums {
    std::vector<FolderAlbum> albums;
    std::unordered_map<std::string, std::size_t> byIdentifier; // → index in albums
    void add(FolderAlbum a) {
        byIdentifier.emplace(a.identifier, albums.size());
        albums.push_back(std::move(a));
    }
};

// The copies of one state of the settings and the locked list: which albums
// a list may append, and the copies, each made when a list first appends it
// (a list appends only the albums it does not hold itself: the top list at
// 1,000 albums, 100 of them in folders, makes 100), then the same object for
// every list that appends it, from any thread.
class FolderCopyList {
public:
    FolderCopyList(std::shared_ptr<const FolderAlbums> albums, const Inputs& in);
    const FolderAlbums& albums() const { return *m_albums; }
    std::size_t size() const { return m_albums->albums.size(); }
    // Not switched off (or hideFoldersInApps off), and not locked (or
    // hideLockedFromApps off).
    bool appendable(std::size_t index) const { return m_appendable[index] != 0; }
    rt::Ref<rt::Object> copyAt(std::size_t index) const;
    // A copy made beforehand (one that holds its assets).
    void setMade(std::size_t index, rt::Ref<rt::Object> copy) { m_made[index] = std::move(copy); }

private:
    std::shared_ptr<const FolderAlbums> m_albums;
    std::vector<char> m_appendable;
    mutable std::mutex m_lock; // guards m_made
    mutable std::vector<rt::Ref<rt::Object>> m_made;
};

// How the copies reach the library past the filter's own hooks.
struct StockReads {
    // Every object of a fetch result.
    std::vector<rt::Ref<rt::Object>> (*objects)(rt::Id result);
    // An album's assets with the hidden ones, whatever its lock.
    rt::Ref<rt::Object> (*albumAssets)(rt::Id album);
};

std::shared_ptr<const FolderCopyList> folderCopies(const Inputs& in, const StockReads& stock);
// The copies as each call would build them with nothing kept, each holding
// its album's assets fetched through the filtered asset fetch (for the
// benchmarks and the tests: what the layers and the empty copies save).
std::shared_ptr<const FolderCopyList> buildFolderCopies(const Inputs& in, const StockReads& stock);

// The album a copy made here answers for; null for any other collection.
rt::Ref<rt::Object> albumOfCopy(rt::Id collection);

} // namespace lc::filter
