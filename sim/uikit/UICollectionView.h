#pragma once
// UICollectionView with its flow layout and cells, as runtime classes.
//
// UICollectionViewFlowLayout: -itemSize -setItemSize: (50 x 50)
//   -minimumLineSpacing -setMinimumLineSpacing: (10)
//   -minimumInteritemSpacing -setMinimumInteritemSpacing: (10)
//   -scrollDirection -setScrollDirection: (0 vertical, 1 horizontal)
//   Items flow in lines across the view (vertical) or down it
//   (horizontal), sections one after another; a delegate that answers
//   collectionView:layout:sizeForItemAtIndexPath: sizes each item.
// UICollectionViewCell (a UIView): -contentView -reuseIdentifier
//   -isSelected -setSelected: -prepareForReuse
// UICollectionView (a UIScrollView):
//   -initWithFrame:collectionViewLayout: -collectionViewLayout
//   -dataSource -setDataSource: -delegate -setDelegate: (neither retained)
//   -registerClass:forCellWithReuseIdentifier:
//   -dequeueReusableCellWithReuseIdentifier:forIndexPath:
//   -reloadData -numberOfSections -numberOfItemsInSection:
//   -cellForItemAtIndexPath: (a visible cell, or nil) -visibleCells
//   -indexPathsForVisibleItems -indexPathForCell: -indexPathForItemAtPoint:
//   -selectItemAtIndexPath:animated:scrollPosition:
//   -deselectItemAtIndexPath:animated: -indexPathsForSelectedItems
//   -allowsSelection -setAllowsSelection:
//
// The data source answers numberOfSectionsInCollectionView: (optional, 1)
// and collectionView:numberOfItemsInSection:, and makes each cell in
// collectionView:cellForItemAtIndexPath:. Only the cells inside the
// visible bounds exist: a layout pass asks for the ones that scrolled in
// and keeps the ones that scrolled out for reuse (prepareForReuse runs as
// one is dequeued again). A tap on a cell selects it, as a person's tap
// does: the delegate may refuse in collectionView:shouldSelectItemAtIndexPath:,
// then the cell is selected (the one selected before is deselected) and the
// delegate hears collectionView:didSelectItemAtIndexPath:. A recogniser of
// a cell that takes the touch first (a long press, a tap of its own) keeps
// it from selecting. Selecting in code tells the delegate nothing.

#include "sim/uikit/UIScrollView.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace uikit {

class CellObject : public ViewObject {
public:
    explicit CellObject(rt::Class* cls);
    rt::Ref<rt::Object> contentView;
    std::string reuseIdentifier;
    bool selected = false;
};

void defineUICollectionView();
CellObject* cellOf(rt::Id obj);

} // namespace uikit
