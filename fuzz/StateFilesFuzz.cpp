// lumicrate12's state-file readers, each given the input as its file (the
// first byte chooses the file): the locked list, album.tct, the password
// file and the authentication result read as empty or as what they hold,
// never a crash.

#include "fuzz/FuzzDevice.h"
#include "tweak/core/StateFiles.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::setUpDevice();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0:
        fuzzing::plant(lc::kdataPath, bytes);
        lc::loadLockedAlbums();
        lc::isLocked("Trips");
        break;
    case 1:
        fuzzing::plant(lc::kAlbumTctPath, bytes);
        lc::readAlbumTct();
        break;
    case 2:
        fuzzing::plant(lc::kSettingsTctPath, bytes);
        lc::readPassword();
        break;
    default:
        fuzzing::plant(lc::kAuthenticatePath, bytes);
        lc::readAuthenticationResult();
        break;
    }
    return 0;
}
