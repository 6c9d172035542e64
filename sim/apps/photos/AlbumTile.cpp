// An album tile: PUAlbumListCellContentView inside a PUAlbumListCell, with
// its thumbnail stack, title, subtitle and (for a user's album) the delete
// button that edit mode shows.

#include "sim/apps/host/Views.h"
#include "sim/apps/photos/Photos.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/UICollectionView.h"
#include "sim/uikit/UILabel.h"

namespace photosapp {

using namespace uikit;
using rt::Ref;
namespace views = apps::views;

namespace {

rt::Class* g_tile = nullptr;
rt::Class* g_cell = nullptr;
rt::Class* g_deleteAction = nullptr;

class TileObject : public ViewObject {
public:
    using ViewObject::ViewObject;
    PHCollection collection;
    std::string title, subtitle;
    UITextField titleField;
    UILabel subtitleLabel;
    UIView stack, deleteButton;
    std::vector<UIImageView> photoViews;
    bool enabled = true, editing = false;
    rt::Weak<rt::Object> delegate; // the controller that shows the tile
};

class DeleteActionObject : public rt::Object {
public:
    using Object::Object;
    PHCollection collection;
};

TileObject* tileOf(rt::Id o) { return rt::objectAs<TileObject>(o, g_tile); }

void build(TileObject* t) {
    if (t->stack) return;
    UIView self(t);
    t->stack = views::box({}, {0.9, 0.9, 0.92, 1}, "PUStackView");
    views::round(t->stack, 5);
    t->stack.setUserInteractionEnabled(false);
    UIImageView photo = makeView({}, UIImageView::cls());
    photo.setContentMode(UIViewContentModeScaleAspectFill);
    photo.setClipsToBounds(true);
    t->stack.addSubview(photo);
    t->photoViews = {photo};
    self.addSubview(t->stack);
    t->titleField = makeView({}, UITextField::cls());
    t->titleField.setFont(UIFont::systemFontOfSize(15));
    self.addSubview(t->titleField);
    t->subtitleLabel = views::label({}, "", 15, views::kSecondaryText);
    self.addSubview(t->subtitleLabel);
}

// The stock layout: the square stack, the title and subtitle under it, the
// delete button over the stack's corner while editing.
void layoutTile(TileObject* self, rt::Sel) {
    build(self);
    double w = self->frame.size.width;
    self->stack.setFrame({{0, 0}, {w, w}});
    for (const UIImageView& p : self->photoViews)
        p.setFrame({{0, 0}, {w, w}});
    self->titleField.setFrame({{0, w + 5}, {w, 19}});
    self->titleField.setText(self->title);
    // The name is edited only in edit mode; otherwise a tap on it is a tap
    // on the tile, as on iOS 12.
    self->titleField.setUserInteractionEnabled(self->editing);
    self->subtitleLabel.setFrame({{0, w + 24}, {w, 18}});
    self->subtitleLabel.setText(self->subtitle);
    if (self->deleteButton) {
        self->deleteButton.setFrame({{4, 4}, {24, 24}});
        self->deleteButton.setHidden(!self->editing);
    }
    self->alpha = self->enabled ? 1.0 : 0.4;
}

std::string title(TileObject* self, rt::Sel) { return self->title; }
void setTitle(TileObject* self, rt::Sel, std::string t) {
    self->title = std::move(t);
    UIView(self).setNeedsLayout();
}
std::string subtitle(TileObject* self, rt::Sel) { return self->subtitle; }
void setSubtitle(TileObject* self, rt::Sel, std::string s) {
    self->subtitle = std::move(s);
    if (self->subtitleLabel) self->subtitleLabel.setText(self->subtitle);
}
UIView stackView(TileObject* self, rt::Sel) {
    build(self);
    return self->stack;
}
std::vector<UIImageView> photoViews(TileObject* self, rt::Sel) {
    build(self);
    return self->photoViews;
}
UIView deleteButton(TileObject* self, rt::Sel) { return self->deleteButton; }
UITextField titleTextField(TileObject* self, rt::Sel) {
    build(self);
    return self->titleField;
}
UILabel subtitleLabel(TileObject* self, rt::Sel) {
    build(self);
    return self->subtitleLabel;
}
bool isEnabled(TileObject* self, rt::Sel) { return self->enabled; }
void setEnabled(TileObject* self, rt::Sel, bool e) {
    self->enabled = e;
    UIView(self).setNeedsLayout();
}
bool isEditing(TileObject* self, rt::Sel) { return self->editing; }
void setEditing(TileObject* self, rt::Sel, bool editing, bool) {
    self->editing = editing;
    UIView(self).setNeedsLayout();
}
PHCollection collection(TileObject* self, rt::Sel) { return self->collection; }
Ref<rt::Object> delegate(TileObject* self, rt::Sel) { return self->delegate.load(); }
void setDelegate(TileObject* self, rt::Sel, Ref<rt::Object> d) { self->delegate = d.get(); }

// The delete button asks the controller, which confirms and deletes.
void deleteTapped(TileObject* self, rt::Sel, Ref<rt::Object>) {
    Ref<rt::Object> d = self->delegate.load();
    if (!d || !self->editing) return;
    auto action = rt::createInstance<DeleteActionObject>(g_deleteAction);
    action->collection = self->collection;
    rt::send(d, "albumListCellContentView:performDeleteAction:"_sel, Ref<rt::Object>(self), Ref<rt::Object>(action));
}
PHCollection actionCollection(DeleteActionObject* self, rt::Sel) { return self->collection; }

// PXUIButton: a round button with a glyph; its layout centres the glyph.
void layoutButton(ViewObject* self, rt::Sel) {
    for (const UIView sub : self->subviews)
        sub.setFrame({{0, 0}, self->frame.size});
}

// PUAlbumListCell: a collection cell whose content is one tile.
UIView tileIn(CellObject* self) {
    UIView content = self->contentView;
    for (const UIView& s : content.subviews())
        if (tileOf(s.get())) return s;
    UIView tile = makeView({{0, 0}, self->frame.size}, g_tile);
    content.addSubview(tile);
    return tile;
}
UIView albumListCellContentView(CellObject* self, rt::Sel) { return tileIn(self); }
void layoutCell(CellObject* self, rt::Sel cmd) {
    rt::sendSuper(g_cell, self, cmd);
    tileIn(self).setFrame({{0, 0}, self->frame.size});
}

} // namespace

double tileHeight(double width) { return width + 44; }

void configureTile(const UIView& tileView, const PHCollection& collection, const std::string& title,
                   const std::string& subtitle) {
    TileObject* tile = tileOf(tileView.get());
    if (!tile) return;
    build(tile);
    tile->collection = collection;
    tile->title = title;
    tile->subtitle = subtitle;
    tile->photoViews[0].setImage(nullptr);
    // The newest photo of the album is its key photo.
    if (isAssetCollection(collection))
        tile->photoViews[0].setImage(photos::requestImageNow(assetsOf(collection).lastObject(), {300, 300},
                                                             photos::PHImageContentModeAspectFill));
    if (isRegularAlbum(collection) && !tile->deleteButton) {
        tile->deleteButton = views::box({}, {1, 0.23, 0.19, 1}, "PXUIButton");
        views::round(tile->deleteButton, 12, false);
        tile->deleteButton.addSubview(views::label({}, "\u2212", 18, views::kWhite, NSTextAlignmentCenter, true));
        views::onTap(tile->deleteButton, tileView, "_deleteButtonTapped:");
        tileView.addSubview(tile->deleteButton);
    } else if (!isRegularAlbum(collection) && tile->deleteButton) {
        tile->deleteButton.removeFromSuperview();
        tile->deleteButton = nullptr;
    }
    if (tile->deleteButton) tile->deleteButton.setAccessibilityLabel("Delete " + title);
    tileView.setAccessibilityLabel(title);
    tileView.setNeedsLayout();
}

UICollectionViewCell makeTileCell(const UICollectionView& collectionView, const fnd::NSIndexPath& indexPath) {
    return collectionView.dequeueReusableCellWithReuseIdentifier_forIndexPath("PUAlbumListCell", indexPath);
}

void defineAlbumTile() {
    rt::Class* view = UIView::cls();
    g_tile = rt::defineClass("PUAlbumListCellContentView", view, rt::factoryOf<TileObject>);
    rt::addMethod<&layoutTile>(g_tile, "layoutSubviews"_sel);
    rt::addMethod<&title>(g_tile, "title"_sel);
    rt::addMethod<&setTitle>(g_tile, "setTitle:"_sel);
    rt::addMethod<&subtitle>(g_tile, "subtitle"_sel);
    rt::addMethod<&setSubtitle>(g_tile, "setSubtitle:"_sel);
    rt::addMethod<&stackView>(g_tile, "stackView"_sel);
    rt::addMethod<&photoViews>(g_tile, "_photoViews"_sel);
    rt::addMethod<&deleteButton>(g_tile, "_deleteButton"_sel);
    rt::addMethod<&titleTextField>(g_tile, "_titleTextField"_sel);
    rt::addMethod<&subtitleLabel>(g_tile, "_subtitleLabel"_sel);
    rt::addMethod<&isEnabled>(g_tile, "isEnabled"_sel);
    rt::addMethod<&setEnabled>(g_tile, "setEnabled:"_sel);
    rt::addMethod<&isEditing>(g_tile, "isEditing"_sel);
    rt::addMethod<&setEditing>(g_tile, "setEditing:animated:"_sel);
    rt::addMethod<&collection>(g_tile, "collection"_sel);
    rt::addMethod<&delegate>(g_tile, "delegate"_sel);
    rt::addMethod<&setDelegate>(g_tile, "setDelegate:"_sel);
    rt::addMethod<&deleteTapped>(g_tile, "_deleteButtonTapped:"_sel);
    g_deleteAction = rt::defineClass("PUAlbumListCellDeleteAction", nullptr, rt::factoryOf<DeleteActionObject>);
    rt::addMethod<&actionCollection>(g_deleteAction, "collection"_sel);
    rt::defineClass("PUStackView", view);
    rt::Class* button = rt::defineClass("PXUIButton", view);
    rt::addMethod<&layoutButton>(button, "layoutSubviews"_sel);
    g_cell = rt::defineClass("PUAlbumListCell", UICollectionViewCell::cls(), rt::factoryOf<CellObject>);
    rt::addMethod<&albumListCellContentView>(g_cell, "albumListCellContentView"_sel);
    rt::addMethod<&layoutCell>(g_cell, "layoutSubviews"_sel);
}

} // namespace photosapp
