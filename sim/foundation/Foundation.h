#pragma once
// Foundation as apps and libraries see it: the faces of its runtime classes
// (Face.h), whose methods are message sends.
//
// Strings, numbers, arrays, dictionaries, data and dates cross message
// boundaries as values (std::string, fnd::Value, fnd::Array,
// fnd::Dictionary, fnd::Data, fnd::Date in Value.h), so they need no face:
// an NSString is a std::string and an NSDictionary an fnd::Dictionary. The
// faces are for Foundation's objects: bundles, errors, index paths,
// predicates, sort descriptors and string sets. NSTimer belongs to the run
// loop (sim/dispatch/NSTimer.h).

#include "sim/foundation/Value.h"
#include "sim/runtime/Face.h"

#include <string>
#include <vector>

namespace fnd {

using namespace rt::literals;
using NSInteger = long;
using NSUInteger = unsigned long;
using NSComparisonResult = long;
inline constexpr NSComparisonResult NSOrderedAscending = -1, NSOrderedSame = 0, NSOrderedDescending = 1;

// The Core Foundation of iOS 12.0, which code compares against to tell
// system versions apart.
inline constexpr double kCFCoreFoundationVersionNumber = 1556.0;

struct NSBundle : rt::NSObject {
    RT_FACE(NSBundle, rt::NSObject)
    static NSBundle mainBundle() { return rt::sendClass<rt::Ref<rt::Object>>(cls(), "mainBundle"_sel); }
    static NSBundle bundleWithPath(const std::string& path) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "bundleWithPath:"_sel, path);
    }
    std::string bundleIdentifier() const { return msg<std::string>("bundleIdentifier"_sel); }
    std::string bundlePath() const { return msg<std::string>("bundlePath"_sel); }
    std::string pathForResource_ofType(const std::string& name, const std::string& type) const {
        return msg<std::string>("pathForResource:ofType:"_sel, name, type);
    }
    // An empty table means "Localizable".
    std::string localizedStringForKey_value_table(const std::string& key, const std::string& value,
                                                  const std::string& table) const {
        return msg<std::string>("localizedStringForKey:value:table:"_sel, key, value, table);
    }
};

struct NSError : rt::NSObject {
    RT_FACE(NSError, rt::NSObject)
    static NSError errorWithDomain_code_userInfo(const std::string& domain, NSInteger code, const Dictionary& info) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "errorWithDomain:code:userInfo:"_sel, domain, code, info);
    }
    NSInteger code() const { return msg<NSInteger>("code"_sel); }
    std::string domain() const { return msg<std::string>("domain"_sel); }
    std::string localizedDescription() const { return msg<std::string>("localizedDescription"_sel); }
    Dictionary userInfo() const { return msg<Dictionary>("userInfo"_sel); }
};

struct NSIndexPath : rt::NSObject {
    RT_FACE(NSIndexPath, rt::NSObject)
    static NSIndexPath indexPathForItem_inSection(NSInteger item, NSInteger section) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "indexPathForItem:inSection:"_sel, item, section);
    }
    static NSIndexPath indexPathForRow_inSection(NSInteger row, NSInteger section) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "indexPathForRow:inSection:"_sel, row, section);
    }
    NSInteger item() const { return msg<NSInteger>("item"_sel); }
    NSInteger row() const { return msg<NSInteger>("row"_sel); }
    NSInteger section() const { return msg<NSInteger>("section"_sel); }
    NSComparisonResult compare(const NSIndexPath& other) const {
        return msg<NSComparisonResult>("compare:"_sel, other);
    }
};

struct NSPredicate : rt::NSObject {
    RT_FACE(NSPredicate, rt::NSObject)
    static NSPredicate predicateWithFormat_argumentArray(const std::string& format,
                                                         const std::vector<std::string>& arguments) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "predicateWithFormat:argumentArray:"_sel, format, arguments);
    }
    std::string predicateFormat() const { return msg<std::string>("predicateFormat"_sel); }
};

struct NSSortDescriptor : rt::NSObject {
    RT_FACE(NSSortDescriptor, rt::NSObject)
    static NSSortDescriptor sortDescriptorWithKey_ascending(const std::string& key, bool ascending) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "sortDescriptorWithKey:ascending:"_sel, key, ascending);
    }
    std::string key() const { return msg<std::string>("key"_sel); }
    bool ascending() const { return msg<bool>("ascending"_sel); }
};

// A set of strings (what PHFetchResult's fetchedObjectIDsSet answers).
struct NSSet : rt::NSObject {
    RT_FACE(NSSet, rt::NSObject)
    std::vector<std::string> allObjects() const { return msg<std::vector<std::string>>("allObjects"_sel); }
    bool containsObject(const std::string& member) const { return msg<bool>("containsObject:"_sel, member); }
    NSUInteger count() const { return msg<NSUInteger>("count"_sel); }
};

} // namespace fnd
