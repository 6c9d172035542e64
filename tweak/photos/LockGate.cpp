#include "tweak/photos/LockGate.h"

#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/SystemLog.h"
#include "tweak/core/StateFiles.h"
#include "tweak/library/Overlay.h"
#include "tweak/photos/Authenticate.h"
#include "tweak/photos/PhotosState.h"
#include "tweak/springboard/MessageServer.h"

namespace lc {

using namespace uikit;

namespace {

std::string localized(const std::string& key) {
    return fnd::NSBundle::mainBundle().localizedStringForKey_value_table(key, "", "");
}

UIViewController presenterOf(GateHost host, rt::Id self) {
    if (host == GateHost::Tile) return UIView(rt::Ref<rt::Object>(self))._viewControllerForAncestor();
    return UIViewController(rt::Ref<rt::Object>(self));
}

void checkEntry(GateHost host, const rt::NSObject& self, int code, const std::string& entry) {
    std::optional<std::string> stored = readPassword();
    if (!passwordAccepted(entry, stored)) {
        showMessage(host == GateHost::Tile ? "Incorrect password." : "Incorrect password", 1);
        return;
    }
    rt::send(self, "unlockAuthorised:"_sel, code);
    if (!stored) showMessage("No password set", 1);
}

// The tile the index path shows now, in the list or the gadget.
PUAlbumListCellContentView tileShownAt(GateHost host, const rt::NSObject& self, const fnd::NSIndexPath& path) {
    if (host == GateHost::List)
        return PUAlbumListViewController(self)._preparedAlbumListCellContentViewAtIndexPath(path);
    UICollectionView view = PUHorizontalAlbumListGadget(self).collectionView();
    PUAlbumListCell cell(view ? view.cellForItemAtIndexPath(path) : UICollectionViewCell());
    return cell ? cell.albumListCellContentView() : PUAlbumListCellContentView();
}

// Whether the parked index still holds the album the request named: the
// list may have changed while the owner answered (an album added or
// deleted, a folder opened), and the index would then open another album.
bool parkedAlbumStillAt(GateHost host, const rt::NSObject& self) {
    const PhotosState& s = photosState();
    photos::PHCollection now = tileShownAt(host, self, s.tappedIndex).collection();
    if (now && now.localIdentifier() == s.tappedAlbum) return true;
    fnd::systemLog(fnd::LogLevel::Notice, "lumicrate12: the list changed while the album was being unlocked; "
                                          "the album at the tapped place is another one, so nothing opens");
    return false;
}

// The list's and the gadget's replay of a parked selection or delete.
void replaySelection(GateHost host, const rt::NSObject& self, int action) {
    PhotosState& s = photosState();
    switch (action) {
    case code(GateAction::Open): {
        if (!s.tappedIndex) return;
        if (!parkedAlbumStillAt(host, self)) {
            s.tappedIndex = nullptr;
            s.tappedAlbum.clear();
            return;
        }
        s.unlocked = true;
        if (host == GateHost::List) {
            PUAlbumListViewController(self).didSelectItemAtIndexPath(s.tappedIndex);
        } else {
            PUHorizontalAlbumListGadget gadget(self);
            gadget.collectionView_didSelectItemAtIndexPath(gadget.collectionView(), s.tappedIndex);
        }
        s.inLockedAlbum = true;
        return;
    }
    case code(GateAction::Delete): {
        if (!s.tempContentView) return;
        s.unlocked = true;
        if (!rt::trySend(self.get(), "albumListCellContentView:performDeleteAction:"_sel, s.tempContentView,
                         s.tempDeleteAction)
                 .ok())
            s.unlocked = false; // an object without the method: no pass left waiting
        return;
    }
    case code(GateAction::LongPressUnlock): {
        if (host != GateHost::Gadget || !s.tempRecognizer || !self.respondsToSelector("handleLongPress:"_sel)) return;
        s.unlocked = true;
        PUHorizontalAlbumListGadget(self).handleLongPress(s.tempRecognizer);
        return;
    }
    default:
        return;
    }
}

} // namespace

const char* gateControllerName(GateHost host) {
    switch (host) {
    case GateHost::List:
        return "PUAlbumListViewController";
    case GateHost::Gadget:
        return "PUHorizontalAlbumListGadget";
    case GateHost::Tile:
        return "PUAlbumListCellContentView";
    }
    return "";
}

bool passwordAccepted(const std::string& entry, const std::optional<std::string>& stored) {
    return !stored || entry == *stored;
}

template <GateHost H> void unlockAlbumWithAlbum(rt::Id self, rt::Sel, int code, std::string title) {
    PhotosState& s = photosState();
    if constexpr (H == GateHost::Gadget) s.gadgetController = rt::Ref<rt::Object>(self);
    if constexpr (H == GateHost::Tile) s.cellContentView = rt::Ref<rt::Object>(self);
    fnd::Dictionary request{
        {"id", fnd::Value(fnd::NSBundle::mainBundle().bundleIdentifier())},
        {"method", fnd::Value(static_cast<std::int64_t>(code))},
        {"albumName", fnd::Value(std::move(title))},
        {"controller", fnd::Value(rt::className(self))},
        {kTokenKey, fnd::Value(newRequestToken())},
    };
    clientCentre().sendMessageName(kAuthenticateMessage, std::move(request));
}

template <GateHost H> void requestPassword(rt::Id self, rt::Sel, int code) {
    UIViewController presenter = presenterOf(H, self);
    if (!presenter) return;
    rt::NSObject me{rt::Ref<rt::Object>(self)};
    UIAlertController alert = UIAlertController::alertControllerWithTitle_message_preferredStyle(
        "Unlock album", "Enter password to unlock album.", UIAlertControllerStyleAlert);
    std::string placeholder = localized("Password");
    alert.addTextFieldWithConfigurationHandler([placeholder](UITextField field) {
        field.setPlaceholder(placeholder);
        field.setSecureTextEntry(true);
    });
    // The handler runs once the alert has closed (and may be gone): it
    // keeps the field itself, which does not keep the alert.
    std::vector<UITextField> fields = alert.textFields();
    UITextField field = fields.empty() ? UITextField() : fields.front();
    alert.addAction(UIAlertAction::actionWithTitle_style_handler(
        localized("OK"), UIAlertActionStyleDefault,
        [field, me, code](UIAlertAction) { checkEntry(H, me, code, field ? field.text() : std::string()); }));
    alert.addAction(UIAlertAction::actionWithTitle_style_handler(localized("Cancel"), UIAlertActionStyleCancel,
                                                                 [](UIAlertAction) {}));
    presenter.presentViewController_animated_completion(alert, true);
}

template <GateHost H> void unlockAuthorised(rt::Id self, rt::Sel, int code) {
    rt::NSObject me{rt::Ref<rt::Object>(self)};
    if constexpr (H == GateHost::Tile) {
        PhotosState& s = photosState();
        if (code == lc::code(GateAction::TileUnlock)) {
            if (!me.respondsToSelector("lockAlbum"_sel)) return;
            s.unlocked = true;
            PUAlbumListCellContentView(me).lockAlbum();
        } else if (code == lc::code(GateAction::TileMove)) {
            s.unlocked = false;
            (void)rt::trySend(me.get(), "moveAlbum"_sel); // a tile without the method moves nothing
        }
    } else {
        replaySelection(H, me, code);
    }
}

template void unlockAlbumWithAlbum<GateHost::List>(rt::Id, rt::Sel, int, std::string);
template void unlockAlbumWithAlbum<GateHost::Gadget>(rt::Id, rt::Sel, int, std::string);
template void unlockAlbumWithAlbum<GateHost::Tile>(rt::Id, rt::Sel, int, std::string);
template void requestPassword<GateHost::List>(rt::Id, rt::Sel, int);
template void requestPassword<GateHost::Gadget>(rt::Id, rt::Sel, int);
template void requestPassword<GateHost::Tile>(rt::Id, rt::Sel, int);
template void unlockAuthorised<GateHost::List>(rt::Id, rt::Sel, int);
template void unlockAuthorised<GateHost::Gadget>(rt::Id, rt::Sel, int);
template void unlockAuthorised<GateHost::Tile>(rt::Id, rt::Sel, int);

} // namespace lc
