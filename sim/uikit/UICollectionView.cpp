#include "sim/uikit/UICollectionView.h"

#include "sim/foundation/NSIndexPath.h"
#include "sim/uikit/UIGestureRecognizer.h"

#include <optional>
#include <set>

namespace uikit {

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

namespace {

rt::Class* g_layout = nullptr;
rt::Class* g_cell = nullptr;
rt::Class* g_collection = nullptr;

class FlowLayoutObject : public rt::Object {
public:
    using Object::Object;
    CGSize itemSize{50, 50};
    double lineSpacing = 10;
    double interitemSpacing = 10;
    long scrollDirection = 0; // 0 vertical, 1 horizontal
};

using Key = std::pair<long, long>; // section, item: the order of index paths

class CollectionObject : public ScrollViewObject {
public:
    explicit CollectionObject(rt::Class* cls);
    Ref<rt::Object> layout;
    rt::Weak<rt::Object> dataSource;
    std::map<std::string, rt::Class*> registered;
    std::map<std::string, Objects> reusable;
    std::map<Key, Ref<rt::Object>> visible;
    std::vector<long> counts; // items per section, as the data source last said
    std::vector<std::vector<CGRect>> frames;
    bool needsReload = true;
    std::set<Key> selected;
    bool allowsSelection = true;
    Ref<rt::Object> tap;
};

CollectionObject* collectionOf(rt::Id obj) { return rt::objectAs<CollectionObject>(obj, g_collection); }
FlowLayoutObject* flowOf(rt::Id obj) { return rt::objectAs<FlowLayoutObject>(obj, g_layout); }

Key keyOf(rt::Id indexPath) {
    const fnd::IndexPathObject* p = fnd::indexPathOf(indexPath);
    return p ? Key{p->section, p->item} : Key{-1, -1};
}
Ref<rt::Object> pathOf(Key k) { return fnd::makeIndexPath(k.second, k.first); }

bool validKey(const CollectionObject* c, Key k) {
    return k.first >= 0 && k.first < static_cast<long>(c->counts.size()) && k.second >= 0 &&
           k.second < c->counts[static_cast<std::size_t>(k.first)];
}

// ---- the data source and the flow layout ------------------------------------------------------

void reloadCounts(CollectionObject* c) {
    c->counts.clear();
    Ref<rt::Object> source = c->dataSource.load();
    if (!source) return;
    long sections = 1;
    if (rt::respondsTo(source.get(), "numberOfSectionsInCollectionView:"_sel))
        sections = rt::send<long>(source, "numberOfSectionsInCollectionView:"_sel, Ref<rt::Object>(c));
    for (long s = 0; s < sections; ++s)
        c->counts.push_back(
            std::max(0L, rt::send<long>(source, "collectionView:numberOfItemsInSection:"_sel, Ref<rt::Object>(c), s)));
}

// Items flow along the lines of the layout, each its own size when the
// delegate answers collectionView:layout:sizeForItemAtIndexPath:; a line is
// as deep as its deepest item. The content size follows.
void computeFrames(CollectionObject* c) {
    FlowLayoutObject fallback(nullptr);
    const FlowLayoutObject& l = flowOf(c->layout.get()) ? *flowOf(c->layout.get()) : fallback;
    bool vertical = l.scrollDirection == 0;
    double across = vertical ? c->frame.size.width : c->frame.size.height;
    Ref<rt::Object> d = c->delegate.load();
    bool sized = d && rt::respondsTo(d.get(), "collectionView:layout:sizeForItemAtIndexPath:"_sel);
    double a = 0, along = 0, lineDepth = 0; // across the line, the line's start, its depth
    bool lineOpen = false;
    c->frames.assign(c->counts.size(), {});
    auto endLine = [&] {
        along += lineDepth + l.lineSpacing;
        a = 0;
        lineDepth = 0;
        lineOpen = false;
    };
    for (std::size_t s = 0; s < c->counts.size(); ++s) {
        for (long i = 0; i < c->counts[s]; ++i) {
            CGSize size = sized ? rt::send<CGSize>(d, "collectionView:layout:sizeForItemAtIndexPath:"_sel,
                                                   Ref<rt::Object>(c), c->layout, pathOf({static_cast<long>(s), i}))
                                : l.itemSize;
            double itemAcross = vertical ? size.width : size.height;
            double itemAlong = vertical ? size.height : size.width;
            if (lineOpen && a + itemAcross > across) endLine();
            c->frames[s].push_back(vertical ? CGRect{{a, along}, size} : CGRect{{along, a}, size});
            a += itemAcross + l.interitemSpacing;
            lineDepth = std::max(lineDepth, itemAlong);
            lineOpen = true;
        }
        if (lineOpen) endLine(); // the next section starts on a line of its own
    }
    double length = std::max(0.0, along - l.lineSpacing);
    c->contentSize = vertical ? CGSize{c->frame.size.width, length} : CGSize{length, c->frame.size.height};
    c->boundsOrigin = clampedOffset(c, c->boundsOrigin);
}

void recycle(CollectionObject* c, std::map<Key, Ref<rt::Object>>::iterator it) {
    Ref<rt::Object> cell = it->second;
    c->visible.erase(it);
    rt::send(cell, "removeFromSuperview"_sel);
    if (CellObject* co = cellOf(cell.get())) c->reusable[co->reuseIdentifier].push_back(cell);
}

// Cells for the items inside the visible bounds, and no others.
void layoutCells(CollectionObject* self, rt::Sel) {
    if (self->needsReload) {
        self->needsReload = false;
        while (!self->visible.empty())
            recycle(self, self->visible.begin());
        reloadCounts(self);
    }
    computeFrames(self);
    CGRect shown{self->boundsOrigin, self->frame.size};
    for (auto it = self->visible.begin(); it != self->visible.end();) {
        auto next = std::next(it);
        if (!validKey(self, it->first) || !self->frames[it->first.first][it->first.second].intersects(shown))
            recycle(self, it);
        it = next;
    }
    Ref<rt::Object> source = self->dataSource.load();
    if (!source) return;
    Ref<rt::Object> keep(self);
    for (std::size_t s = 0; s < self->frames.size(); ++s)
        for (std::size_t i = 0; i < self->frames[s].size(); ++i) {
            Key k{static_cast<long>(s), static_cast<long>(i)};
            const CGRect& f = self->frames[s][i];
            if (!f.intersects(shown)) continue;
            auto found = self->visible.find(k);
            if (found != self->visible.end()) {
                rt::send(found->second, "setFrame:"_sel, f);
                continue;
            }
            auto cell =
                rt::send<Ref<rt::Object>>(source, "collectionView:cellForItemAtIndexPath:"_sel, keep, pathOf(k));
            if (!cellOf(cell.get()))
                rt::fatal("the cell returned from -collectionView:cellForItemAtIndexPath: does not have a reuse "
                          "identifier - cells must be retrieved by calling "
                          "-dequeueReusableCellWithReuseIdentifier:forIndexPath:");
            rt::send(cell, "setFrame:"_sel, f);
            rt::send(cell, "setSelected:"_sel, self->selected.count(k) != 0);
            self->visible[k] = cell;
            rt::send(self, "addSubview:"_sel, cell);
        }
}

// ---- selection -----------------------------------------------------------------------------------

std::optional<Key> keyAt(const CollectionObject* c, CGPoint p) {
    for (std::size_t s = 0; s < c->frames.size(); ++s)
        for (std::size_t i = 0; i < c->frames[s].size(); ++i)
            if (c->frames[s][i].contains(p)) return Key{static_cast<long>(s), static_cast<long>(i)};
    return std::nullopt;
}

void setCellSelected(CollectionObject* c, Key k, bool on) {
    if (on)
        c->selected.insert(k);
    else
        c->selected.erase(k);
    auto it = c->visible.find(k);
    if (it != c->visible.end()) rt::send(it->second, "setSelected:"_sel, on);
}

CollectionObject* tappedView(rt::Id recognizer) {
    return collectionOf(rt::send<Ref<rt::Object>>(recognizer, "view"_sel).get());
}
std::optional<Key> tappedKey(rt::Id recognizer) {
    CollectionObject* c = tappedView(recognizer);
    if (!c) return std::nullopt;
    return keyAt(c, rt::send<CGPoint>(recognizer, "locationInView:"_sel, Ref<rt::Object>(c)));
}

bool tapShouldBegin(rt::Id recognizer) {
    CollectionObject* c = tappedView(recognizer);
    return c && c->allowsSelection && tappedKey(recognizer).has_value();
}

void tapChanged(rt::Id recognizer, long state) {
    CollectionObject* c = tappedView(recognizer);
    auto k = tappedKey(recognizer);
    if (state != UIGestureRecognizerStateEnded || !c || !k) return;
    Ref<rt::Object> keep(c), d = c->delegate.load(), path = pathOf(*k);
    if (d && rt::respondsTo(d.get(), "collectionView:shouldSelectItemAtIndexPath:"_sel) &&
        !rt::send<bool>(d, "collectionView:shouldSelectItemAtIndexPath:"_sel, keep, path))
        return;
    for (Key before : std::set<Key>(c->selected)) {
        if (before == *k) continue;
        setCellSelected(c, before, false);
        if (d && rt::respondsTo(d.get(), "collectionView:didDeselectItemAtIndexPath:"_sel))
            rt::send(d, "collectionView:didDeselectItemAtIndexPath:"_sel, keep, pathOf(before));
    }
    setCellSelected(c, *k, true);
    if (d && rt::respondsTo(d.get(), "collectionView:didSelectItemAtIndexPath:"_sel))
        rt::send(d, "collectionView:didSelectItemAtIndexPath:"_sel, keep, path);
}

constexpr BuiltInAction kTap{&tapShouldBegin, &tapChanged};

// ---- the methods -------------------------------------------------------------------------------------

Ref<rt::Object> initWithLayout(CollectionObject* self, rt::Sel, CGRect frame, Ref<rt::Object> layout) {
    auto me = rt::sendSuper<Ref<rt::Object>>(g_collection, self, "initWithFrame:"_sel, frame);
    self->layout = std::move(layout);
    return me;
}
Ref<rt::Object> collectionViewLayout(CollectionObject* self, rt::Sel) { return self->layout; }
Ref<rt::Object> dataSource(CollectionObject* self, rt::Sel) { return self->dataSource.load(); }
void setDataSource(CollectionObject* self, rt::Sel, Ref<rt::Object> d) {
    self->dataSource = d.get();
    rt::send(self, "reloadData"_sel);
}
void registerCell(CollectionObject* self, rt::Sel, rt::Class* cls, std::string identifier) {
    if (cls) self->registered[identifier] = cls;
}

Ref<rt::Object> dequeue(CollectionObject* self, rt::Sel, std::string identifier, Ref<rt::Object> path) {
    auto& pool = self->reusable[identifier];
    if (!pool.empty()) {
        Ref<rt::Object> cell = pool.back();
        pool.pop_back();
        rt::send(cell, "prepareForReuse"_sel);
        return cell;
    }
    auto it = self->registered.find(identifier);
    if (it == self->registered.end())
        rt::fatal("could not dequeue a view of kind: UICollectionElementKindCell with identifier " + identifier +
                  " - must register a nib or a class for the identifier");
    // Made at the item's place when the layout has one for it yet.
    Key k = keyOf(path.get());
    CGRect f;
    if (k.first >= 0 && static_cast<std::size_t>(k.first) < self->frames.size() && k.second >= 0 &&
        static_cast<std::size_t>(k.second) < self->frames[k.first].size())
        f = self->frames[k.first][k.second];
    Ref<rt::Object> cell = makeView(f, it->second);
    if (CellObject* c = cellOf(cell.get())) c->reuseIdentifier = identifier;
    return cell;
}

void reloadData(CollectionObject* self, rt::Sel) {
    self->needsReload = true;
    self->selected.clear();
    rt::send(self, "setNeedsLayout"_sel);
}
long numberOfSections(CollectionObject* self, rt::Sel) {
    if (self->needsReload) reloadCounts(self);
    return static_cast<long>(self->counts.size());
}
long numberOfItems(CollectionObject* self, rt::Sel, long section) {
    if (self->needsReload) reloadCounts(self);
    return section >= 0 && section < static_cast<long>(self->counts.size()) ? self->counts[section] : 0;
}
Ref<rt::Object> cellForItem(CollectionObject* self, rt::Sel, Ref<rt::Object> path) {
    auto it = self->visible.find(keyOf(path.get()));
    return it == self->visible.end() ? nullptr : it->second;
}
Objects visibleCells(CollectionObject* self, rt::Sel) {
    Objects out;
    for (const auto& [k, cell] : self->visible)
        out.push_back(cell);
    return out;
}
Objects visiblePaths(CollectionObject* self, rt::Sel) {
    Objects out;
    for (const auto& [k, cell] : self->visible)
        out.push_back(pathOf(k));
    return out;
}
Ref<rt::Object> pathForCell(CollectionObject* self, rt::Sel, Ref<rt::Object> cell) {
    for (const auto& [k, c] : self->visible)
        if (c == cell) return pathOf(k);
    return nullptr;
}
Ref<rt::Object> pathAtPoint(CollectionObject* self, rt::Sel, CGPoint p) {
    auto k = keyAt(self, p);
    return k ? pathOf(*k) : nullptr;
}
void selectItem(CollectionObject* self, rt::Sel, Ref<rt::Object> path, bool, unsigned long) {
    Key k = keyOf(path.get());
    for (Key before : std::set<Key>(self->selected))
        setCellSelected(self, before, false);
    if (path && validKey(self, k)) setCellSelected(self, k, true);
}
void deselectItem(CollectionObject* self, rt::Sel, Ref<rt::Object> path, bool) {
    setCellSelected(self, keyOf(path.get()), false);
}
Objects selectedPaths(CollectionObject* self, rt::Sel) {
    Objects out;
    for (Key k : self->selected)
        out.push_back(pathOf(k));
    return out;
}
bool allowsSelection(CollectionObject* self, rt::Sel) { return self->allowsSelection; }
void setAllowsSelection(CollectionObject* self, rt::Sel, bool a) { self->allowsSelection = a; }

CGSize itemSize(FlowLayoutObject* self, rt::Sel) { return self->itemSize; }
void setItemSize(FlowLayoutObject* self, rt::Sel, CGSize s) { self->itemSize = s; }
double lineSpacing(FlowLayoutObject* self, rt::Sel) { return self->lineSpacing; }
void setLineSpacing(FlowLayoutObject* self, rt::Sel, double s) { self->lineSpacing = s; }
double interitemSpacing(FlowLayoutObject* self, rt::Sel) { return self->interitemSpacing; }
void setInteritemSpacing(FlowLayoutObject* self, rt::Sel, double s) { self->interitemSpacing = s; }
long scrollDirection(FlowLayoutObject* self, rt::Sel) { return self->scrollDirection; }
void setScrollDirection(FlowLayoutObject* self, rt::Sel, long d) { self->scrollDirection = d; }

Ref<rt::Object> contentView(CellObject* self, rt::Sel) { return self->contentView; }
std::string reuseIdentifier(CellObject* self, rt::Sel) { return self->reuseIdentifier; }
bool isSelected(CellObject* self, rt::Sel) { return self->selected; }
void setSelected(CellObject* self, rt::Sel, bool s) { self->selected = s; }
void prepareForReuse(CellObject*, rt::Sel) {}
void layoutCell(CellObject* self, rt::Sel) {
    rt::send(self->contentView, "setFrame:"_sel, CGRect{{0, 0}, self->frame.size});
}

} // namespace

CellObject::CellObject(rt::Class* cls)
    : ViewObject(cls)
    , contentView(makeView({})) {
    ViewObject* content = viewOf(contentView.get());
    subviews.push_back(contentView);
    content->superview = this;
}

CollectionObject::CollectionObject(rt::Class* cls)
    : ScrollViewObject(cls) {
    tap = makeBuiltInRecognizer("UITapGestureRecognizer", &kTap);
    attachRecognizer(tap.get(), this);
    gestureRecognizers.push_back(tap);
}

void defineUICollectionView() {
    g_layout = rt::defineClass("UICollectionViewLayout", nullptr, rt::factoryOf<FlowLayoutObject>);
    rt::Class* flow = rt::defineClass("UICollectionViewFlowLayout", g_layout, rt::factoryOf<FlowLayoutObject>);
    rt::addMethod<&itemSize>(flow, "itemSize"_sel);
    rt::addMethod<&setItemSize>(flow, "setItemSize:"_sel);
    rt::addMethod<&lineSpacing>(flow, "minimumLineSpacing"_sel);
    rt::addMethod<&setLineSpacing>(flow, "setMinimumLineSpacing:"_sel);
    rt::addMethod<&interitemSpacing>(flow, "minimumInteritemSpacing"_sel);
    rt::addMethod<&setInteritemSpacing>(flow, "setMinimumInteritemSpacing:"_sel);
    rt::addMethod<&scrollDirection>(flow, "scrollDirection"_sel);
    rt::addMethod<&setScrollDirection>(flow, "setScrollDirection:"_sel);

    g_cell = rt::defineClass("UICollectionViewCell", rt::getClass("UIView"), rt::factoryOf<CellObject>);
    rt::addMethod<&contentView>(g_cell, "contentView"_sel);
    rt::addMethod<&reuseIdentifier>(g_cell, "reuseIdentifier"_sel);
    rt::addMethod<&isSelected>(g_cell, "isSelected"_sel);
    rt::addMethod<&setSelected>(g_cell, "setSelected:"_sel);
    rt::addMethod<&prepareForReuse>(g_cell, "prepareForReuse"_sel);
    rt::addMethod<&layoutCell>(g_cell, "layoutSubviews"_sel);

    g_collection = rt::defineClass("UICollectionView", rt::getClass("UIScrollView"), rt::factoryOf<CollectionObject>);
    rt::Class* c = g_collection;
    rt::addMethod<&initWithLayout>(c, "initWithFrame:collectionViewLayout:"_sel);
    rt::addMethod<&collectionViewLayout>(c, "collectionViewLayout"_sel);
    rt::addMethod<&dataSource>(c, "dataSource"_sel);
    rt::addMethod<&setDataSource>(c, "setDataSource:"_sel);
    rt::addMethod<&registerCell>(c, "registerClass:forCellWithReuseIdentifier:"_sel);
    rt::addMethod<&dequeue>(c, "dequeueReusableCellWithReuseIdentifier:forIndexPath:"_sel);
    rt::addMethod<&reloadData>(c, "reloadData"_sel);
    rt::addMethod<&numberOfSections>(c, "numberOfSections"_sel);
    rt::addMethod<&numberOfItems>(c, "numberOfItemsInSection:"_sel);
    rt::addMethod<&cellForItem>(c, "cellForItemAtIndexPath:"_sel);
    rt::addMethod<&visibleCells>(c, "visibleCells"_sel);
    rt::addMethod<&visiblePaths>(c, "indexPathsForVisibleItems"_sel);
    rt::addMethod<&pathForCell>(c, "indexPathForCell:"_sel);
    rt::addMethod<&pathAtPoint>(c, "indexPathForItemAtPoint:"_sel);
    rt::addMethod<&selectItem>(c, "selectItemAtIndexPath:animated:scrollPosition:"_sel);
    rt::addMethod<&deselectItem>(c, "deselectItemAtIndexPath:animated:"_sel);
    rt::addMethod<&selectedPaths>(c, "indexPathsForSelectedItems"_sel);
    rt::addMethod<&allowsSelection>(c, "allowsSelection"_sel);
    rt::addMethod<&setAllowsSelection>(c, "setAllowsSelection:"_sel);
    rt::addMethod<&layoutCells>(c, "layoutSubviews"_sel);
}

CellObject* cellOf(rt::Id obj) { return rt::objectAs<CellObject>(obj, g_cell); }

} // namespace uikit
