#include "tweak/springboard/MessageServer.h"

#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/SystemLog.h"
#include "sim/ipc/MessagingCenter.h"
#include "tweak/core/StateFiles.h"

namespace lc {

using namespace rt::literals;

namespace {

ipc::MessagingCenter* centre() {
    static rt::Ref<ipc::MessagingCenter> c = [] {
        auto made = ipc::MessagingCenter::centerNamed(kCenterName);
        ipc::rocketbootstrap_distributedmessagingcenter_apply(made.get());
        return made;
    }();
    return c.get();
}

void refuse(const std::string& why) { fnd::systemLog(fnd::LogLevel::Error, "lumicrate12: savearray refused: " + why); }

// The app whose state a file is: the locked list is the Photos app's,
// album.tct the Camera's.
const char* writerOf(const std::string& path) {
    return path.ends_with("/lockedAlbums.plist") ? "com.apple.mobileslideshow" : "com.apple.camera";
}

} // namespace

std::string describeSender(const std::optional<ipc::PeerIdentity>& sender) {
    if (!sender) return "a sender the device did not start";
    if (sender->bundleIdentifier) return *sender->bundleIdentifier;
    if (sender->isOperator) return "the operator";
    return "pid " + std::to_string(sender->pid);
}

void startMessageServer(const rt::Ref<rt::Object>& springboard) {
    // The state folder's writer starts: what an earlier SpringBoard, killed
    // while it wrote, left half-written goes.
    fnd::removeStaleTemporaryFiles(kStateFolder, true);
    ipc::MessagingCenter* c = centre();
    c->runServerOnCurrentThread();
    c->registerForMessageName(kSaveArrayMessage, springboard, "handleMessageNamed:withUserInfo:"_sel);
    c->registerForMessageName(kAuthenticateMessage, springboard, "authenticate:withUserInfo:"_sel);
}

bool isClientStatePath(const std::string& path) {
    static const std::string folders[] = {"/var/mobile/Library/lumicrate/", "/private/var/mobile/Library/lumicrate/"};
    for (const auto& folder : folders)
        for (const char* file : {"lockedAlbums.plist", "album.tct"})
            if (path == folder + file) return true;
    return false;
}

void handleMessageNamedWithUserInfo(rt::Id, rt::Sel, std::string, fnd::Dictionary userInfo) {
    const fnd::Array* array = fnd::valueForKey(userInfo, "array").array();
    const std::string* path = fnd::valueForKey(userInfo, "path").string();
    if (!array) return refuse("no array");
    if (!path) return refuse("no path");
    if (!isClientStatePath(*path)) return refuse("not a state file: " + *path);
    // A state file is written only for its own app (or the device's owner,
    // the operator): another app could otherwise empty the locked list and
    // so open every locked album to itself and to the Photos app.
    std::optional<ipc::PeerIdentity> sender = ipc::MessagingCenter::currentSender();
    bool allowed = sender && (sender->isOperator || sender->bundleIdentifier == writerOf(*path));
    if (!allowed) return refuse(*path + " is not for " + describeSender(sender) + " to write");
    for (const auto& v : *array)
        if (!v.string()) return refuse("not an array of strings, for " + *path);
    auto xml = fnd::serializeXml(fnd::Value(*array));
    if (!xml) return refuse("the array cannot be written as a property list, for " + *path);
    // Written without following a link anywhere on the way: a state folder
    // replaced by a link must not lead the write elsewhere.
    fnd::WriteResult written = fnd::writeFileAtomicallyNoFollow(*path, *xml);
    if (!written.ok) refuse(*path + ": " + written.why);
}

ipc::MessagingCenter& clientCentre() { return *centre(); }

void saveArrayToFile(const fnd::Array& array, const std::string& path) {
    const auto& bundle = fnd::mainBundleIdentifier();
    centre()->sendMessageName(kSaveArrayMessage, {{"id", fnd::Value(bundle ? *bundle : std::string())},
                                                  {"array", fnd::Value(array)},
                                                  {"path", fnd::Value(path)}});
}

} // namespace lc
