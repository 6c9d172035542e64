#pragma once
// The photos that third-party apps do not get at all: a photo moved out of
// the camera roll (hidden) whose every user album withholds its assets
// (locked, or switched off while hideFoldersInApps is on). The albums are
// kept out of those apps, and so are their assets; without this, the same
// photos would still reach them through every path that lists hidden
// photos without naming an album: the moments, a library-wide fetch that
// asks for hidden assets, the Hidden smart album's fetch, a fetch by
// identifier. A hidden photo that an album the app may see also holds
// stays, as it is there anyway; a visible photo is in the camera roll and
// is never withheld.
//
// Finding them reads the library: the withholding albums' photos, then for
// each hidden one the albums that hold it. So the set is kept under what it
// derives from (the library's change token, the settings' generation and
// the locked list's version) and built again only when one of them moved,
// each key read before the build, one build at a time (as FolderCopies).
// Each build has a serial of its own, which what is derived from the set
// keys on.

#include "sim/photos/kit/PhotoKit.h"
#include "tweak/filter/FilterInputs.h"
#include "tweak/filter/FolderCopies.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

namespace lc::filter {

struct WithheldPhotos {
    std::uint64_t serial = 0;
    std::unordered_set<std::string> identifiers; // the photos' localIdentifiers

    bool empty() const { return identifiers.empty(); }
    // Only hidden photos are ever withheld: a visible one costs no lookup.
    bool withholds(const photos::PHAsset& photo) const {
        return !identifiers.empty() && photo.isHidden() && identifiers.contains(photo.localIdentifier());
    }
};

// The set as the library, the settings and the locked list are now.
std::shared_ptr<const WithheldPhotos> withheldPhotos(const Inputs& in, const StockReads& stock);

} // namespace lc::filter
