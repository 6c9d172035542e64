// The injection filter: which bundles a library is for. A filter that cannot
// be read, or is of the wrong shape, names nothing.

#include "sim/apps/host/Injection.h"

#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/SystemLog.h"
#include "tests/support/TempDeviceRoot.h"

#include <fstream>
#include <gtest/gtest.h>

using fnd::Array;
using fnd::Dictionary;
using fnd::Value;

namespace {
const std::string kFilter = "/Library/MobileSubstrate/DynamicLibraries/X.plist";
Value filter(Value bundles) { return Value(Dictionary{{"Filter", Value(Dictionary{{"Bundles", bundles}})}}); }
} // namespace

TEST(InjectionFilter, NamesExactlyTheBundlesItLists) {
    testsupport::TempDeviceRoot root;
    ASSERT_TRUE(
        fnd::writePlistFile(kFilter, filter(Value(Array{Value("com.apple.camera"), Value("com.apple.springboard")}))));
    EXPECT_TRUE(apps::filterMatches(kFilter, "com.apple.camera"));
    EXPECT_TRUE(apps::filterMatches(kFilter, "com.apple.springboard"));
    EXPECT_FALSE(apps::filterMatches(kFilter, "com.apple.Camera")); // exact, case-sensitive
    EXPECT_FALSE(apps::filterMatches(kFilter, "com.apple.mobileslideshow"));
}

TEST(InjectionFilter, TheUIKitBundleNamesEveryApp) {
    testsupport::TempDeviceRoot root;
    ASSERT_TRUE(fnd::writePlistFile(kFilter, filter(Value(Array{Value("com.apple.UIKit")}))));
    for (const char* app : {"com.apple.springboard", "com.apple.camera", "com.example.gallery"})
        EXPECT_TRUE(apps::filterMatches(kFilter, app)) << app;
    ASSERT_TRUE(fnd::writePlistFile(kFilter, filter(Value(Array{Value("com.apple.uikit")}))));
    EXPECT_FALSE(apps::filterMatches(kFilter, "com.apple.camera"));
}

TEST(InjectionFilter, AnAbsentGarbageOrMisshapenFilterNamesNothing) {
    testsupport::TempDeviceRoot root;
    EXPECT_FALSE(apps::filterMatches(kFilter, "com.apple.camera"));
    for (const Value& bad :
         {Value(Array{Value("com.apple.camera")}), Value(Dictionary{{"Filter", Value("com.apple.camera")}}),
          filter(Value("com.apple.camera")), filter(Value(Array{Value(1), Value(true)})),
          Value(Dictionary{{"Bundles", Value(Array{Value("com.apple.camera")})}})}) {
        ASSERT_TRUE(fnd::writePlistFile(kFilter, bad));
        EXPECT_FALSE(apps::filterMatches(kFilter, "com.apple.camera"));
    }
    std::ofstream(root.host(kFilter), std::ios::trunc) << "\x01garbage<plist>";
    EXPECT_FALSE(apps::filterMatches(kFilter, "com.apple.camera"));
}

TEST(InjectionFilter, NoLibraryIsLoadedWhenTheFolderHasNoneForTheBundle) {
    testsupport::TempDeviceRoot root;
    EXPECT_TRUE(apps::loadInjectedLibraries("com.apple.camera").empty());
    // A filter naming the bundle whose library is missing or not loadable: skipped.
    ASSERT_TRUE(fnd::writePlistFile(kFilter, filter(Value(Array{Value("com.apple.camera")}))));
    std::ofstream(root.host("/Library/MobileSubstrate/DynamicLibraries/X.dylib")) << "not a library";
    fnd::setLogSink([](fnd::LogLevel, const std::string&) {});
    EXPECT_TRUE(apps::loadInjectedLibraries("com.apple.camera").empty());
    fnd::setLogSink(nullptr);
}
