#include "sim/apps/photos/Photos.h"

namespace photosapp {

bool answerYes(rt::Id, rt::Sel) { return true; }
bool answerNo(rt::Id, rt::Sel) { return false; }

void registerClasses() {
    defineAlbumTile();
    defineCollectionsSource();
    defineAlbumsPage();
    defineAlbumList();
    defineAlbumGrid();
    defineOneUp();
    defineTabs();
}

} // namespace photosapp
