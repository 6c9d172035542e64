#pragma once
// Camera, the stock app "com.apple.camera": a viewfinder over a generated
// scene, the bottom bar with the shutter and the image well, and a capture
// engine that saves each photo to the library.
//
// Classes: CAMApplication (-applicationDidFinishLaunching: shows the
// viewfinder), CAMViewfinderViewController, CAMBottomBar (-backgroundView
// -shutterButton -imageWell), CUShutterButton (and, on the iPhone XS, whose
// camera draws its shutter itself, its subclass CustomDrawButton),
// CAMImageWell (-thumbnailImage -setThumbnailImage:animated:; its picture is
// whatever -thumbnailImage answers at its layout pass), CAMCaptureEngine
// (-capturePhoto -capturesTaken -captureOutput:didFinishCaptureForResolvedSettings:error:),
// AVCapturePhotoOutput and AVCaptureResolvedPhotoSettings (-uniqueID, and
// the device Camera's -savedAssetLocalIdentifier: the asset the capture was
// saved as, empty for a capture that saved nothing).
//
// A tap on the shutter makes the engine capture: a new picture of the scene
// is saved to the library as a new asset (one change); once that change is
// done the engine is sent captureOutput:didFinishCaptureForResolvedSettings:
// error: on the main thread (the error nil, or the change's), whose stock
// method shows the capture in the image well. The viewfinder observes the
// library and lays the well out again after every change the app makes.

#include "sim/uikit/UIKit.h"

namespace camera {

using namespace rt::literals;

// The faces of the app's own classes, for its own code.
struct CAMImageWell : uikit::UIView {
    RT_FACE(CAMImageWell, uikit::UIView)
    gfx::UIImage thumbnailImage() const { return msg<gfx::UIImage>("thumbnailImage"_sel); }
    void setThumbnailImage_animated(const gfx::UIImage& image, bool animated) const {
        msg("setThumbnailImage:animated:"_sel, image, animated);
    }
};
struct CAMBottomBar : uikit::UIView {
    RT_FACE(CAMBottomBar, uikit::UIView)
    uikit::UIView backgroundView() const { return msg<uikit::UIView>("backgroundView"_sel); }
    uikit::UIView shutterButton() const { return msg<uikit::UIView>("shutterButton"_sel); }
    CAMImageWell imageWell() const { return msg<CAMImageWell>("imageWell"_sel); }
};
struct CAMCaptureEngine : rt::NSObject {
    RT_FACE(CAMCaptureEngine, rt::NSObject)
    void capturePhoto() const { msg("capturePhoto"_sel); }
    long capturesTaken() const { return msg<long>("capturesTaken"_sel); }
    void setDelegate(const rt::NSObject& delegate) const { msg("setDelegate:"_sel, delegate); }
};

void registerClasses();

// Bottom bar heights by device model, in points.
double bottomBarHeight();

// The pieces, each defined in its own file.
void defineBottomBar();
void defineCaptureEngine();
void defineViewfinder();

} // namespace camera
