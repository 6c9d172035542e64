#pragma once
// The settings that the full album list and the Albums page's strip follow
// alike: People and Places shown or not, titles and subtitles blanked. Each
// is one implementation for both classes, told the slot that keeps the
// replaced method of its row (the hook table names it once).

#include "sim/photos/kit/PhotoKit.h"
#include "sim/runtime/Runtime.h"
#include "tweak/core/Settings.h"

#include <string>

namespace lc {

template <rt::Orig<bool()>* Stock> bool showPeopleSwitch(rt::Id self, rt::Sel cmd) {
    return enabled && !showPeople ? false : (*Stock)(self, cmd);
}
template <rt::Orig<bool()>* Stock> bool showPlacesSwitch(rt::Id self, rt::Sel cmd) {
    return enabled && !showPlaces ? false : (*Stock)(self, cmd);
}
template <rt::Orig<std::string(photos::PHCollection)>* Stock>
std::string titleSwitch(rt::Id self, rt::Sel cmd, photos::PHCollection collection) {
    return enabled && !layoutShowTitle ? std::string() : (*Stock)(self, cmd, std::move(collection));
}
template <rt::Orig<std::string(photos::PHCollection)>* Stock>
std::string subtitleSwitch(rt::Id self, rt::Sel cmd, photos::PHCollection collection) {
    return enabled && !layoutShowSubtitle ? std::string() : (*Stock)(self, cmd, std::move(collection));
}

} // namespace lc
