#pragma once
// UITableView, as far as the Settings lists use it: a scroll view with a
// header view and rows stacked under it, each as tall as its frame says.
//
//   -tableHeaderView -setTableHeaderView: -setRows: (the row views, top to
//   bottom; they are laid out at the table's width) -rows
// UITableViewCell (a UIView): -textLabel -detailTextLabel

namespace uikit {

void defineUITableView();

} // namespace uikit
