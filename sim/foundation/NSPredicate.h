#pragma once
// NSPredicate and NSSortDescriptor as runtime classes, for the fetch
// options of the photo library.
//
// A predicate compares one key with one argument: "KEY = %@", "KEY == %@" or
// "KEY != %@", the argument a string. Any other format is a programming
// error and ends the process with a message naming it, as NSPredicate's
// parse exception would.
//
//   +[NSPredicate predicateWithFormat:argumentArray:]  (NSString, NSArray<NSString>)
//   -[NSPredicate predicateFormat]
//   +[NSSortDescriptor sortDescriptorWithKey:ascending:]
//   -[NSSortDescriptor key], -[NSSortDescriptor ascending]

#include "sim/runtime/Runtime.h"

namespace fnd {

class PredicateObject : public rt::Object {
public:
    using Object::Object;
    std::string key;
    bool negated = false;
    std::string argument;
    bool matches(const std::string& value) const { return (value == argument) != negated; }
};

class SortDescriptorObject : public rt::Object {
public:
    using Object::Object;
    std::string key;
    bool ascending = true;
};

void registerPredicates();
rt::Ref<rt::Object> makePredicate(const std::string& format, const std::vector<std::string>& arguments);
rt::Ref<rt::Object> makeSortDescriptor(const std::string& key, bool ascending);
// The C++ side of an object of these classes; null for nil or another kind.
const PredicateObject* predicateOf(rt::Id obj);
const SortDescriptorObject* sortDescriptorOf(rt::Id obj);

} // namespace fnd
