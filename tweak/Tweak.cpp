#include "tweak/Tweak.h"

#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/SystemLog.h"
#include "sim/graphics/Geometry.h"
#include "sim/ipc/Notify.h"
#include "sim/runtime/Runtime.h"
#include "tweak/camera/AlbumPicker.h"
#include "tweak/camera/CaptureHandOff.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/springboard/MessageServer.h"

namespace lc {

using namespace rt::literals;

namespace {

// ---- springboard: the message server starts after SpringBoard's own launch ------------------
rt::Orig<void(rt::Ref<rt::Object>)> g_springboardLaunch;
void springboardDidFinishLaunching(rt::Id self, rt::Sel cmd, rt::Ref<rt::Object> application) {
    g_springboardLaunch(self, cmd, application);
    startMessageServer(rt::Ref<rt::Object>(self));
}

template <auto F, class Sig> bool replace(void* cls, const char* sel, rt::Orig<Sig>* slot) {
    return rt::hookMessage<F>(static_cast<rt::Class*>(cls), rt::sel(sel), slot);
}
template <auto F> bool add(void* cls, const char* sel, const char* types) {
    return rt::addMethod<F>(static_cast<rt::Class*>(cls), rt::sel(sel), types);
}

// LCLockView: a plain view with one strong property, photoView.
const char kPhotoViewKey = 0;
rt::Ref<rt::Object> lockViewInit(rt::Id self, rt::Sel cmd, gfx::CGRect frame) {
    return rt::sendSuper<rt::Ref<rt::Object>>(rt::getClass("LCLockView"), self, cmd, frame);
}
void lockViewLayout(rt::Id self, rt::Sel cmd) { rt::sendSuper(rt::getClass("LCLockView"), self, cmd); }
rt::Ref<rt::Object> photoView(rt::Id self, rt::Sel) { return self->associated(&kPhotoViewKey); }
void setPhotoView(rt::Id self, rt::Sel, rt::Ref<rt::Object> v) { self->setAssociated(&kPhotoViewKey, std::move(v)); }

void defineLockView() {
    rt::Class* view = rt::getClass("UIView");
    if (!view || rt::getClass("LCLockView")) return;
    rt::Class* c = rt::defineClass("LCLockView", view);
    rt::addMethod<&lockViewInit>(c, "initWithFrame:"_sel);
    rt::addMethod<&lockViewLayout>(c, "layoutSubviews"_sel);
    rt::addMethod<&photoView>(c, "photoView"_sel);
    rt::addMethod<&setPhotoView>(c, "setPhotoView:"_sel);
}

} // namespace

const std::vector<HookRow>& hookTable() {
    static const std::vector<HookRow> table{
        {"camera", "CAMCaptureEngine", "captureOutput:didFinishCaptureForResolvedSettings:error:", HookKind::Replace,
         nullptr,
         [](void* c) {
             return replace<&captureDidFinish>(
                 c, "captureOutput:didFinishCaptureForResolvedSettings:error:", &g_captureDidFinish);
         }},
        {"camera", "CAMCaptureEngine", "movePhoto", HookKind::Add,
         "v@:", [](void* c) { return add<&movePhoto>(c, "movePhoto", "v@:"); }},
        {"camera", "CAMBottomBar", "layoutSubviews", HookKind::Replace, nullptr,
         [](void* c) { return replace<&bottomBarLayoutSubviews>(c, "layoutSubviews", &g_bottomBarLayout); }},
        {"camera", "CAMBottomBar", "chooseAlbum", HookKind::Add,
         "v@:", [](void* c) { return add<&chooseAlbum>(c, "chooseAlbum", "v@:"); }},
        {"camera", "CAMBottomBar", "createNewAlbum", HookKind::Add,
         "v@:", [](void* c) { return add<&createNewAlbum>(c, "createNewAlbum", "v@:"); }},
        {"camera", "CAMImageWell", "thumbnailImage", HookKind::Replace, nullptr,
         [](void* c) { return replace<&wellThumbnailImage>(c, "thumbnailImage", &g_wellThumbnailImage); }},
        {"springboard", "SpringBoard", "applicationDidFinishLaunching:", HookKind::Replace, nullptr,
         [](void* c) {
             return replace<&springboardDidFinishLaunching>(c, "applicationDidFinishLaunching:", &g_springboardLaunch);
         }},
        {"springboard", "SpringBoard", "handleMessageNamed:withUserInfo:", HookKind::Add, "v@:@@",
         [](void* c) { return add<&handleMessageNamedWithUserInfo>(c, "handleMessageNamed:withUserInfo:", "v@:@@"); }},
    };
    return table;
}

int installGroup(const std::string& group) {
    int installed = 0;
    for (const HookRow& row : hookTable()) {
        if (group != row.group) continue;
        rt::Class* cls = rt::getClass(row.className);
        if (!cls) continue; // a host class this process lacks: skipped silently
        if (row.kind == HookKind::ReplaceClass) cls = rt::objectGetClass(cls);
        if (row.install(cls)) ++installed;
    }
    return installed;
}

void startUp() {
    defineLockView();
    reloadSettings();
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, &reloadPrefs,
                                    kReloadNotification, nullptr, CFNotificationSuspensionBehaviorDeliverImmediately);
    const auto& bundle = fnd::mainBundleIdentifier();
    std::string id = bundle ? *bundle : std::string();
    if (id == "com.apple.camera") {
        // An absent, unreadable or empty album.tct starts with the camera roll.
        std::optional<std::string> remembered = readAlbumTct();
        chosenAlbum = remembered && rememberDefault ? *remembered : std::string(kCameraRoll);
        if (enabled) installGroup("camera");
    } else if (id == "com.apple.mobileslideshow") {
        if (enabled) installGroup("photos");
    } else if (id == "com.apple.springboard") {
        if (!fnd::isDirectory(kStateFolder)) fnd::createDirectory(kStateFolder, true); // errors ignored
        if (enabled) installGroup("springboard");
    }
    if (id != "com.apple.store.Jolly" && enabled) installGroup("other");
}

void logDebug(int line, const std::string& message) {
    fnd::systemLog(fnd::LogLevel::Notice, fnd::colouredLogLine("lumicrate12", "Tweak", line, "DEBUG", message));
}

} // namespace lc
