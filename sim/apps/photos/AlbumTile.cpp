// An album tile: PUAlbumListCellContentView inside a PUAlbumListCell, with
// its thumbnail stack, title, subtitle and (for a user's album) the delete
// button that edit mode shows.

#include "sim/apps/host/Views.h"
#include "sim/apps/photos/Photos.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/UICollectionView.h"
#include "sim/uikit/UILabel.h"

namespace photosapp {

using rt::Ref;
using namespace rt::literals;
namespace views = apps::views;

namespace {

rt::Class* g_tile = nullptr;
rt::Class* g_cell = nullptr;
rt::Class* g_deleteAction = nullptr;

class TileObject : public uikit::ViewObject {
public:
    using ViewObject::ViewObject;
    Ref<rt::Object> collection;
    std::string title, subtitle;
    Ref<rt::Object> titleField, subtitleLabel, stack, deleteButton;
    Objects photoViews;
    bool enabled = true, editing = false;
    rt::Weak<rt::Object> delegate; // the controller that shows the tile
};

class DeleteActionObject : public rt::Object {
public:
    using Object::Object;
    Ref<rt::Object> collection;
};

TileObject* tileOf(rt::Id o) { return rt::objectAs<TileObject>(o, g_tile); }

void build(TileObject* t) {
    if (t->stack) return;
    Ref<rt::Object> self(t);
    t->stack = views::box({}, {0.9, 0.9, 0.92, 1}, "PUStackView");
    views::round(t->stack, 5);
    rt::send(t->stack, "setUserInteractionEnabled:"_sel, false);
    auto photo = uikit::makeView({}, rt::getClass("UIImageView"));
    rt::send(photo, "setContentMode:"_sel, uikit::UIViewContentModeScaleAspectFill);
    rt::send(photo, "setClipsToBounds:"_sel, true);
    views::add(t->stack, photo);
    t->photoViews = {photo};
    views::add(self, t->stack);
    t->titleField = uikit::makeView({}, rt::getClass("UITextField"));
    rt::send(t->titleField, "setFont:"_sel,
             rt::sendClass<Ref<rt::Object>>(rt::getClass("UIFont"), "systemFontOfSize:"_sel, 15.0));
    views::add(self, t->titleField);
    t->subtitleLabel = views::label({}, "", 15, views::kSecondaryText);
    views::add(self, t->subtitleLabel);
}

// The stock layout: the square stack, the title and subtitle under it, the
// delete button over the stack's corner while editing.
void layoutTile(TileObject* self, rt::Sel) {
    build(self);
    double w = self->frame.size.width;
    rt::send(self->stack, "setFrame:"_sel, gfx::CGRect{{0, 0}, {w, w}});
    for (const auto& p : self->photoViews)
        rt::send(p, "setFrame:"_sel, gfx::CGRect{{0, 0}, {w, w}});
    rt::send(self->titleField, "setFrame:"_sel, gfx::CGRect{{0, w + 5}, {w, 19}});
    rt::send(self->titleField, "setText:"_sel, self->title);
    rt::send(self->subtitleLabel, "setFrame:"_sel, gfx::CGRect{{0, w + 24}, {w, 18}});
    rt::send(self->subtitleLabel, "setText:"_sel, self->subtitle);
    if (self->deleteButton) {
        rt::send(self->deleteButton, "setFrame:"_sel, gfx::CGRect{{4, 4}, {24, 24}});
        rt::send(self->deleteButton, "setHidden:"_sel, !self->editing);
    }
    self->alpha = self->enabled ? 1.0 : 0.4;
}

std::string title(TileObject* self, rt::Sel) { return self->title; }
void setTitle(TileObject* self, rt::Sel, std::string t) {
    self->title = std::move(t);
    rt::send(self, "setNeedsLayout"_sel);
}
std::string subtitle(TileObject* self, rt::Sel) { return self->subtitle; }
void setSubtitle(TileObject* self, rt::Sel, std::string s) {
    self->subtitle = std::move(s);
    if (self->subtitleLabel) rt::send(self->subtitleLabel, "setText:"_sel, self->subtitle);
}
Ref<rt::Object> stackView(TileObject* self, rt::Sel) {
    build(self);
    return self->stack;
}
Objects photoViews(TileObject* self, rt::Sel) {
    build(self);
    return self->photoViews;
}
Ref<rt::Object> deleteButton(TileObject* self, rt::Sel) { return self->deleteButton; }
Ref<rt::Object> titleTextField(TileObject* self, rt::Sel) {
    build(self);
    return self->titleField;
}
Ref<rt::Object> subtitleLabel(TileObject* self, rt::Sel) {
    build(self);
    return self->subtitleLabel;
}
bool isEnabled(TileObject* self, rt::Sel) { return self->enabled; }
void setEnabled(TileObject* self, rt::Sel, bool e) {
    self->enabled = e;
    rt::send(self, "setNeedsLayout"_sel);
}
bool isEditing(TileObject* self, rt::Sel) { return self->editing; }
void setEditing(TileObject* self, rt::Sel, bool editing, bool) {
    self->editing = editing;
    rt::send(self, "setNeedsLayout"_sel);
}
Ref<rt::Object> collection(TileObject* self, rt::Sel) { return self->collection; }
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
Ref<rt::Object> actionCollection(DeleteActionObject* self, rt::Sel) { return self->collection; }

// PXUIButton: a round button with a glyph; its layout centres the glyph.
void layoutButton(uikit::ViewObject* self, rt::Sel) {
    for (const auto& sub : self->subviews)
        rt::send(sub, "setFrame:"_sel, gfx::CGRect{{0, 0}, self->frame.size});
}

// PUAlbumListCell: a collection cell whose content is one tile.
Ref<rt::Object> tileIn(uikit::CellObject* self) {
    auto subs = rt::send<Objects>(self->contentView, "subviews"_sel);
    for (const auto& s : subs)
        if (tileOf(s.get())) return s;
    auto tile = uikit::makeView({{0, 0}, self->frame.size}, g_tile);
    views::add(self->contentView, tile);
    return tile;
}
Ref<rt::Object> albumListCellContentView(uikit::CellObject* self, rt::Sel) { return tileIn(self); }
void layoutCell(uikit::CellObject* self, rt::Sel cmd) {
    rt::sendSuper(g_cell, self, cmd);
    rt::send(tileIn(self), "setFrame:"_sel, gfx::CGRect{{0, 0}, self->frame.size});
}

} // namespace

double tileHeight(double width) { return width + 44; }

void configureTile(const Ref<rt::Object>& tileRef, const Ref<rt::Object>& collection, const std::string& title,
                   const std::string& subtitle) {
    TileObject* tile = tileOf(tileRef.get());
    if (!tile) return;
    build(tile);
    tile->collection = collection;
    tile->title = title;
    tile->subtitle = subtitle;
    rt::send(tile->photoViews[0], "setImage:"_sel, Ref<rt::Object>());
    // The newest photo of the album is its key photo.
    if (collection && rt::respondsTo(collection.get(), "assetCollectionType"_sel)) {
        auto last = rt::send<Ref<rt::Object>>(assetsOf(collection), "lastObject"_sel);
        rt::send(tile->photoViews[0], "setImage:"_sel, photos::requestImageNow(last, {300, 300}, 1L));
    }
    if (isRegularAlbum(collection) && !tile->deleteButton) {
        tile->deleteButton = views::box({}, {1, 0.23, 0.19, 1}, "PXUIButton");
        views::round(tile->deleteButton, 12, false);
        views::add(tile->deleteButton, views::label({}, "\u2212", 18, views::kWhite, 1, true));
        rt::send(tile->deleteButton, "setAccessibilityLabel:"_sel, std::string("Delete ") + title);
        views::onTap(tile->deleteButton, tileRef, "_deleteButtonTapped:");
        views::add(tileRef, tile->deleteButton);
    } else if (!isRegularAlbum(collection) && tile->deleteButton) {
        rt::send(tile->deleteButton, "removeFromSuperview"_sel);
        tile->deleteButton = nullptr;
    }
    if (tile->deleteButton) rt::send(tile->deleteButton, "setAccessibilityLabel:"_sel, std::string("Delete ") + title);
    rt::send(tileRef, "setAccessibilityLabel:"_sel, title);
    rt::send(tileRef, "setNeedsLayout"_sel);
}

Ref<rt::Object> makeTileCell(const Ref<rt::Object>& collectionView, const Ref<rt::Object>& indexPath) {
    return rt::send<Ref<rt::Object>>(collectionView, "dequeueReusableCellWithReuseIdentifier:forIndexPath:"_sel,
                                     std::string("PUAlbumListCell"), indexPath);
}

void defineAlbumTile() {
    rt::Class* view = rt::getClass("UIView");
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
    g_cell = rt::defineClass("PUAlbumListCell", rt::getClass("UICollectionViewCell"), rt::factoryOf<uikit::CellObject>);
    rt::addMethod<&albumListCellContentView>(g_cell, "albumListCellContentView"_sel);
    rt::addMethod<&layoutCell>(g_cell, "layoutSubviews"_sel);
}

} // namespace photosapp
