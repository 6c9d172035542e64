#pragma once
// UIImage: the runtime class that carries an Image between frameworks (the
// photo library's image manager answers one; UIKit's image views show one).
// It lives beside Image, below UIKit, so that the photo library needs no UI.
//
//   +imageWithContentsOfFile:  (NSString) -> UIImage, nil when the file is
//                              missing or not an image
//   -size                      CGSize in points (pixels / scale)
//   -scale                     double

#include "sim/graphics/Geometry.h"
#include "sim/graphics/Image.h"
#include "sim/runtime/Face.h"

namespace gfx {

// UIImage's face. The class lives here, below UIKit, because the photo
// library makes images too; UIKit's public header names it as its own.
struct UIImage : rt::NSObject {
    RT_FACE(UIImage, rt::NSObject)
    static UIImage imageWithContentsOfFile(const std::string& path) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), rt::SelLiteral<"imageWithContentsOfFile:">{}, path);
    }
    CGSize size() const { return msg<CGSize>(rt::SelLiteral<"size">{}); }
    double scale() const { return msg<double>(rt::SelLiteral<"scale">{}); }
};

class UIImageObject : public rt::Object {
public:
    using Object::Object;
    std::optional<Image> image;
    double scale = 1;
};

// Defines the class once per process; later calls do nothing.
void registerUIImage();
rt::Ref<rt::Object> makeUIImage(Image image, double scale = 1);
// The bitmap of a UIImage; null for nil or another kind of object.
const Image* imageOf(rt::Id uiImage);

} // namespace gfx
