#pragma once
// NSIndexPath as a runtime class, with the section and item (or row) of
// UIKit's additions: what a collection view names its cells by.
//
//   +indexPathForItem:inSection: +indexPathForRow:inSection:
//   -item -row -section -isEqual: -hash -compare: (-1, 0, 1; section first)

#include "sim/runtime/Runtime.h"

namespace fnd {

class IndexPathObject : public rt::Object {
public:
    using Object::Object;
    long section = 0;
    long item = 0;
};

void registerNSIndexPath();
rt::Ref<rt::Object> makeIndexPath(long item, long section);
// The C++ side; null for nil or another kind of object.
IndexPathObject* indexPathOf(rt::Id obj);

} // namespace fnd
