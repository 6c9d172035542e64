#pragma once
// The smart albums: queries over the assets, one per subtype, in the order
// the library lists them.

#include "sim/runtime/Runtime.h"

#include <string>
#include <vector>

namespace photos {

struct SmartAlbum {
    long subtype;
    const char* title;
    // Which assets belong, as a condition on the assets table (alias a).
    std::string condition;
    bool hiddenOnly = false; // the Hidden album: hidden assets whatever the options say
    bool trash = false;      // Recently Deleted: the assets in the trash
};

const std::vector<SmartAlbum>& smartAlbums();
const SmartAlbum* smartAlbum(long subtype);
rt::Ref<rt::Object> makeSmartCollection(const SmartAlbum& album);

} // namespace photos
