#include "sim/apps/host/Views.h"

#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIView.h"

namespace apps::views {

using namespace uikit;

UIView box(CGRect frame, Rgba colour, const char* cls) {
    UIView v = makeView(frame, cls ? rt::getClass(cls) : nullptr);
    v.setBackgroundColor(makeColor(colour));
    return v;
}

UILabel label(CGRect frame, const std::string& text, double pointSize, Rgba colour, NSTextAlignment alignment,
              bool bold) {
    UILabel l = makeView(frame, UILabel::cls());
    l.setText(text);
    l.setFont(bold ? UIFont::boldSystemFontOfSize(pointSize) : UIFont::systemFontOfSize(pointSize));
    l.setTextColor(makeColor(colour));
    l.setTextAlignment(alignment);
    return l;
}

void onTap(const UIView& view, const rt::NSObject& target, const char* action) {
    view.addGestureRecognizer(UITapGestureRecognizer::alloc().initWithTarget_action(target, rt::sel(action)));
    view.setUserInteractionEnabled(true);
}

void round(const UIView& view, double radius, bool clip) {
    view.layer().setCornerRadius(radius);
    if (clip) view.setClipsToBounds(true);
}

UICollectionView collectionView(CGRect frame, const Flow& flow, const char* cellClass) {
    auto layout = UICollectionViewFlowLayout::new_();
    layout.setItemSize(flow.itemSize);
    layout.setMinimumLineSpacing(flow.lineSpacing);
    layout.setMinimumInteritemSpacing(flow.interitemSpacing);
    layout.setScrollDirection(flow.direction);
    UICollectionView cv = UICollectionView::alloc().initWithFrame_collectionViewLayout(frame, layout);
    cv.registerClass_forCellWithReuseIdentifier(rt::getClass(cellClass), cellClass);
    return cv;
}

UIWindow showWindow(const UIViewController& rootController) {
    UIWindow window = makeView({{0, 0}, screenModel().size}, UIWindow::cls());
    window.setRootViewController(rootController);
    window.makeKeyAndVisible();
    return window;
}

} // namespace apps::views
