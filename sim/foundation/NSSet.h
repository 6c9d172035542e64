#pragma once
// NSSet of strings as a runtime class: the set of object identifiers a
// fetch result answers.
//
//   -count, -containsObject: (NSString), -allObjects (sorted)

#include "sim/runtime/Runtime.h"

#include <set>
#include <string>

namespace fnd {

class StringSetObject : public rt::Object {
public:
    using Object::Object;
    std::set<std::string> members;
};

void registerNSSet();
rt::Ref<rt::Object> makeStringSet(std::set<std::string> members);

} // namespace fnd
