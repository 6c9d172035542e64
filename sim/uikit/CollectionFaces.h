#pragma once
// The faces (Face.h) of UIKit's collection views (UICollectionView.h
// describes their layout, reuse and selection).

#include "sim/uikit/ViewFaces.h"

namespace uikit {

using fnd::NSIndexPath;

struct UICollectionViewLayout : NSObject {
    RT_FACE(UICollectionViewLayout, NSObject)
};

struct UICollectionViewFlowLayout : UICollectionViewLayout {
    RT_FACE(UICollectionViewFlowLayout, UICollectionViewLayout)
    CGSize itemSize() const { return msg<CGSize>("itemSize"_sel); }
    void setItemSize(CGSize size) const { msg("setItemSize:"_sel, size); }
    double minimumLineSpacing() const { return msg<double>("minimumLineSpacing"_sel); }
    void setMinimumLineSpacing(double spacing) const { msg("setMinimumLineSpacing:"_sel, spacing); }
    double minimumInteritemSpacing() const { return msg<double>("minimumInteritemSpacing"_sel); }
    void setMinimumInteritemSpacing(double spacing) const { msg("setMinimumInteritemSpacing:"_sel, spacing); }
    UICollectionViewScrollDirection scrollDirection() const {
        return msg<UICollectionViewScrollDirection>("scrollDirection"_sel);
    }
    void setScrollDirection(UICollectionViewScrollDirection direction) const {
        msg("setScrollDirection:"_sel, direction);
    }
};

struct UICollectionViewCell : UIView {
    RT_FACE(UICollectionViewCell, UIView)
    UIView contentView() const { return msg<rt::Ref<rt::Object>>("contentView"_sel); }
    bool isSelected() const { return msg<bool>("isSelected"_sel); }
    void setSelected(bool selected) const { msg("setSelected:"_sel, selected); }
    std::string reuseIdentifier() const { return msg<std::string>("reuseIdentifier"_sel); }
    void prepareForReuse() const { msg("prepareForReuse"_sel); }
};

struct UICollectionView : UIScrollView {
    RT_FACE(UICollectionView, UIScrollView)
    UICollectionView initWithFrame_collectionViewLayout(CGRect frame, const UICollectionViewLayout& layout) const {
        return msg<rt::Ref<rt::Object>>("initWithFrame:collectionViewLayout:"_sel, frame, layout);
    }
    UICollectionViewLayout collectionViewLayout() const { return msg<rt::Ref<rt::Object>>("collectionViewLayout"_sel); }
    NSObject dataSource() const { return msg<rt::Ref<rt::Object>>("dataSource"_sel); }
    void setDataSource(const NSObject& source) const { msg("setDataSource:"_sel, source); }
    void registerClass_forCellWithReuseIdentifier(rt::Class* cellClass, const std::string& identifier) const {
        msg("registerClass:forCellWithReuseIdentifier:"_sel, cellClass, identifier);
    }
    UICollectionViewCell dequeueReusableCellWithReuseIdentifier_forIndexPath(const std::string& identifier,
                                                                             const NSIndexPath& path) const {
        return msg<rt::Ref<rt::Object>>("dequeueReusableCellWithReuseIdentifier:forIndexPath:"_sel, identifier, path);
    }
    void reloadData() const { msg("reloadData"_sel); }
    NSInteger numberOfSections() const { return msg<NSInteger>("numberOfSections"_sel); }
    NSInteger numberOfItemsInSection(NSInteger section) const {
        return msg<NSInteger>("numberOfItemsInSection:"_sel, section);
    }
    UICollectionViewCell cellForItemAtIndexPath(const NSIndexPath& path) const {
        return msg<rt::Ref<rt::Object>>("cellForItemAtIndexPath:"_sel, path);
    }
    NSIndexPath indexPathForCell(const UICollectionViewCell& cell) const {
        return msg<rt::Ref<rt::Object>>("indexPathForCell:"_sel, cell);
    }
    NSIndexPath indexPathForItemAtPoint(CGPoint point) const {
        return msg<rt::Ref<rt::Object>>("indexPathForItemAtPoint:"_sel, point);
    }
    std::vector<UICollectionViewCell> visibleCells() const {
        return msg<std::vector<UICollectionViewCell>>("visibleCells"_sel);
    }
    std::vector<NSIndexPath> indexPathsForVisibleItems() const {
        return msg<std::vector<NSIndexPath>>("indexPathsForVisibleItems"_sel);
    }
    std::vector<NSIndexPath> indexPathsForSelectedItems() const {
        return msg<std::vector<NSIndexPath>>("indexPathsForSelectedItems"_sel);
    }
    void selectItemAtIndexPath_animated_scrollPosition(const NSIndexPath& path, bool animated,
                                                       UICollectionViewScrollPosition position) const {
        msg("selectItemAtIndexPath:animated:scrollPosition:"_sel, path, animated, position);
    }
    void deselectItemAtIndexPath_animated(const NSIndexPath& path, bool animated) const {
        msg("deselectItemAtIndexPath:animated:"_sel, path, animated);
    }
    bool allowsSelection() const { return msg<bool>("allowsSelection"_sel); }
    void setAllowsSelection(bool on) const { msg("setAllowsSelection:"_sel, on); }
};

} // namespace uikit
