#include "sim/uikit/UITableView.h"

#include "sim/uikit/UIScrollView.h"
#include "sim/uikit/UIView.h"

namespace uikit {

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

namespace {

rt::Class* g_table = nullptr;

class TableObject : public ScrollViewObject {
public:
    using ScrollViewObject::ScrollViewObject;
    Ref<rt::Object> header;
    Objects rows;
};

void place(TableObject* t, const Ref<rt::Object>& view) {
    if (view && viewOf(view.get())->superview != t) rt::send(Ref<rt::Object>(t), "addSubview:"_sel, view);
}

void layoutTable(TableObject* self, rt::Sel) {
    double y = 0, w = self->frame.size.width;
    if (self->header) {
        gfx::CGRect f = rt::send<gfx::CGRect>(self->header, "frame"_sel);
        rt::send(self->header, "setFrame:"_sel, gfx::CGRect{{0, 0}, {w, f.size.height}});
        y = f.size.height;
    }
    for (const auto& row : self->rows) {
        double h = rt::send<gfx::CGRect>(row, "frame"_sel).size.height;
        rt::send(row, "setFrame:"_sel, gfx::CGRect{{0, y}, {w, h}});
        y += h;
    }
    self->contentSize = {w, y};
    self->boundsOrigin = clampedOffset(self, self->boundsOrigin);
}

Ref<rt::Object> header(TableObject* self, rt::Sel) { return self->header; }
void setHeader(TableObject* self, rt::Sel, Ref<rt::Object> v) {
    if (self->header) rt::send(self->header, "removeFromSuperview"_sel);
    self->header = std::move(v);
    place(self, self->header);
    rt::send(Ref<rt::Object>(self), "setNeedsLayout"_sel);
}
Objects rows(TableObject* self, rt::Sel) { return self->rows; }
void setRows(TableObject* self, rt::Sel, Objects rows) {
    for (const auto& r : self->rows)
        rt::send(r, "removeFromSuperview"_sel);
    self->rows = std::move(rows);
    for (const auto& r : self->rows)
        place(self, r);
    rt::send(Ref<rt::Object>(self), "setNeedsLayout"_sel);
}

class CellObject : public ViewObject {
public:
    using ViewObject::ViewObject;
    Ref<rt::Object> text, detail;
};
rt::Class* g_cell = nullptr;

Ref<rt::Object> label(CellObject* self, Ref<rt::Object>& slot) {
    if (!slot) {
        slot = makeView({}, rt::getClass("UILabel"));
        rt::send(Ref<rt::Object>(self), "addSubview:"_sel, slot);
    }
    return slot;
}
Ref<rt::Object> textLabel(CellObject* self, rt::Sel) { return label(self, self->text); }
Ref<rt::Object> detailTextLabel(CellObject* self, rt::Sel) { return label(self, self->detail); }

} // namespace

void defineUITableView() {
    g_table = rt::defineClass("UITableView", rt::getClass("UIScrollView"), rt::factoryOf<TableObject>);
    rt::addMethod<&layoutTable>(g_table, "layoutSubviews"_sel);
    rt::addMethod<&header>(g_table, "tableHeaderView"_sel);
    rt::addMethod<&setHeader>(g_table, "setTableHeaderView:"_sel);
    rt::addMethod<&rows>(g_table, "rows"_sel);
    rt::addMethod<&setRows>(g_table, "setRows:"_sel);
    g_cell = rt::defineClass("UITableViewCell", rt::getClass("UIView"), rt::factoryOf<CellObject>);
    rt::addMethod<&textLabel>(g_cell, "textLabel"_sel);
    rt::addMethod<&detailTextLabel>(g_cell, "detailTextLabel"_sel);
}

} // namespace uikit
