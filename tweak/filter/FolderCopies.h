#pragma once
// The transient copies that `collections` appends to a collection list:
// for every regular album of the library, in library order, a transient
// album of the same title holding the album's assets, hidden ones included,
// as the filtered asset fetch gives them (none for a locked album or one
// switched off while hideFoldersInApps is on). A copy is left out for an
// album switched off while hideFoldersInApps is on, and for a locked album
// while hideLockedFromApps is on (the copy of a locked album shows only
// when locked albums may show, and then empty).
//
// Building them fetches every regular album and all of their assets: the
// whole library. So they are kept, under what they derive from: the
// library's change token, the settings' generation and the locked list's
// version. A query after no change costs a check of the three; any change
// that was complete before a query began makes that query build afresh
// (the key is read before the build, so a build that raced a change is kept
// under the older key and is not served again). One build runs at a time;
// queries that miss meanwhile wait for it and share it.

#include "sim/runtime/Runtime.h"
#include "tweak/filter/FilterInputs.h"

#include <memory>
#include <string>
#include <vector>

namespace lc::filter {

struct FolderCopy {
    std::string albumIdentifier; // the album's localIdentifier
    rt::Ref<rt::Object> copy;    // its transient copy
    // Not switched off (or hideFoldersInApps off), and not locked (or
    // hideLockedFromApps off).
    bool appendable = true;
};
using FolderCopyList = std::vector<FolderCopy>;

// `fetchedObjects` answers every object of a fetch result, whatever the
// filter's own hook on it would leave out.
using StockObjects = std::vector<rt::Ref<rt::Object>> (*)(rt::Id result);

std::shared_ptr<const FolderCopyList> folderCopies(const Inputs& in, StockObjects stockObjects);
// The copies as the filter builds them, with no cache (what the cache saves,
// for the benchmarks and the tests).
FolderCopyList buildFolderCopies(const Inputs& in, StockObjects stockObjects);

} // namespace lc::filter
