// lumicrate12's state-file readers, each given the input as its file (the
// first byte chooses the file): the locked list, album.tct, the password
// file, the authentication result and the Photos app's pending delete read
// as empty or as what they hold, never a crash.

#include "fuzz/FuzzDevice.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
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
    switch (data[0] % 5) {
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
    case 3:
        fuzzing::plant(lc::kAuthenticatePath, bytes);
        lc::readAuthenticationResult();
        break;
    default: {
        // The Photos app's own file, in its container, read as the app.
        static const std::string container = "/var/mobile/Containers/Data/Application/com.apple.mobileslideshow";
        static const bool made = fnd::createDirectory(container + "/Library/Preferences", true);
        (void)made;
        fnd::setProcessIdentity({std::string("com.apple.mobileslideshow"), true, container});
        fuzzing::plant(container + lc::kPendingDeleteFile, bytes);
        lc::readPendingDelete();
        fnd::setProcessIdentity({std::string("com.apple.springboard"), false, ""});
        break;
    }
    }
    return 0;
}
