// The camera's capture engine: a capture makes a picture of the scene, saves
// it to the library as a new asset, then tells the engine on the main thread
// that the capture finished.

#include "sim/apps/camera/Camera.h"
#include "sim/dispatch/Queue.h"
#include "sim/foundation/AppCatalog.h"
#include "sim/foundation/Dates.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/NSError.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/SystemLog.h"
#include "sim/graphics/SamplePhoto.h"
#include "sim/graphics/UIImage.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/runtime/Weak.h"

#include <atomic>

namespace camera {

using rt::Ref;
using namespace rt::literals;

namespace {

rt::Class* g_engine = nullptr;
rt::Class* g_settings = nullptr;

class EngineObject : public rt::Object {
public:
    using Object::Object;
    rt::Weak<rt::Object> delegate; // the viewfinder
    Ref<rt::Object> output;
    long captures = 0;
};

class SettingsObject : public rt::Object {
public:
    using Object::Object;
    long uniqueID = 0;
    Ref<rt::Object> image; // the picture taken, for the image well
    // The asset the capture was saved as; empty until it is (and for a
    // capture that failed). Written on the library's queue before the
    // completion that hands the settings to the main thread.
    std::string savedAsset;
};

EngineObject* engineOf(rt::Id o) { return rt::objectAs<EngineObject>(o, g_engine); }

// Where a capture waits to be saved: the app's own temporary folder.
std::string captureFolder() {
    const auto& bundle = fnd::mainBundleIdentifier();
    return (bundle ? fnd::containerPath(*bundle) : std::string("/var/mobile")) + "/tmp";
}

void capturePhoto(EngineObject* self, rt::Sel) {
    long n = ++self->captures;
    double now = fnd::nowSinceReferenceDate();
    gfx::Image picture = gfx::makeSamplePhoto(
        {static_cast<int>(10 + n), "Capture " + std::to_string(n), fnd::formatDate(now).substr(0, 19), 1200, 900});
    fnd::createDirectory(captureFolder(), true);
    std::string path = captureFolder() + "/capture-" + std::to_string(n) + ".jpg";
    auto settings = rt::createInstance<SettingsObject>(g_settings);
    settings->uniqueID = n;
    settings->image = gfx::makeUIImage(picture.scaledToFit(350, 350));
    Ref<rt::Object> engine(self);
    auto finished = [engine, settings, path](Ref<rt::Object> error) {
        fnd::removeFile(path);
        dsp::mainQueue().async([engine, settings, error] {
            rt::send(engine, "captureOutput:didFinishCaptureForResolvedSettings:error:"_sel,
                     engineOf(engine.get())->output, Ref<rt::Object>(settings), error);
        });
    };
    if (!picture.writeJpeg(path)) {
        finished(fnd::makeError("AVFoundationErrorDomain", -11800, "The photo could not be written."));
        return;
    }
    photos::PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler(
        [path, settings] {
            auto request = photos::PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(path);
            settings->savedAsset = request.placeholderForCreatedAsset().localIdentifier();
        },
        [finished, settings](bool ok, fnd::NSError error) {
            if (!ok) settings->savedAsset.clear(); // the change was rolled back: nothing was saved
            finished(error);
        });
}

// Stock: the capture shows in the image well, through the viewfinder.
void didFinishCapture(EngineObject* self, rt::Sel, Ref<rt::Object>, Ref<rt::Object> settings, Ref<rt::Object> error) {
    long id = rt::send<long>(settings, "uniqueID"_sel);
    fnd::NSError failure = error;
    fnd::systemLog(fnd::LogLevel::Notice, "camera: capture " + std::to_string(id) +
                                              (failure ? " failed: " + failure.localizedDescription() : " saved"));
    Ref<rt::Object> viewfinder = self->delegate.load();
    if (!error && viewfinder)
        rt::send(viewfinder, "captureEngine:didCapturePhoto:"_sel, Ref<rt::Object>(self),
                 static_cast<SettingsObject*>(settings.get())->image);
}

Ref<rt::Object> initEngine(EngineObject* self, rt::Sel) {
    self->output = rt::sendClass<Ref<rt::Object>>(rt::getClass("AVCapturePhotoOutput"), "new"_sel);
    return Ref<rt::Object>(self);
}
Ref<rt::Object> delegate(EngineObject* self, rt::Sel) { return self->delegate.load(); }
void setDelegate(EngineObject* self, rt::Sel, Ref<rt::Object> d) { self->delegate = d.get(); }
long uniqueID(SettingsObject* self, rt::Sel) { return self->uniqueID; }
std::string savedAssetLocalIdentifier(SettingsObject* self, rt::Sel) { return self->savedAsset; }
long capturesTaken(EngineObject* self, rt::Sel) { return self->captures; }

} // namespace

void defineCaptureEngine() {
    rt::defineClass("AVCapturePhotoOutput");
    g_settings = rt::defineClass("AVCaptureResolvedPhotoSettings", nullptr, rt::factoryOf<SettingsObject>);
    rt::addMethod<&uniqueID>(g_settings, "uniqueID"_sel);
    rt::addMethod<&savedAssetLocalIdentifier>(g_settings, "savedAssetLocalIdentifier"_sel);
    g_engine = rt::defineClass("CAMCaptureEngine", nullptr, rt::factoryOf<EngineObject>);
    rt::addMethod<&initEngine>(g_engine, "init"_sel);
    rt::addMethod<&capturePhoto>(g_engine, "capturePhoto"_sel);
    rt::addMethod<&capturesTaken>(g_engine, "capturesTaken"_sel);
    rt::addMethod<&didFinishCapture>(g_engine, "captureOutput:didFinishCaptureForResolvedSettings:error:"_sel);
    rt::addMethod<&delegate>(g_engine, "delegate"_sel);
    rt::addMethod<&setDelegate>(g_engine, "setDelegate:"_sel);
}

} // namespace camera
