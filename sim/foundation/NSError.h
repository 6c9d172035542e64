#pragma once
// NSError as a runtime class: what a completion handler gets when a change
// failed.
//
//   +errorWithDomain:code:userInfo:  (NSString, NSInteger, NSDictionary)
//   -domain, -code, -userInfo, -localizedDescription

#include "sim/foundation/Value.h"
#include "sim/runtime/Runtime.h"

namespace fnd {

class ErrorObject : public rt::Object {
public:
    using Object::Object;
    std::string domain;
    long code = 0;
    Dictionary userInfo;
};

void registerNSError();
// An error whose localized description is `description`.
rt::Ref<rt::Object> makeError(const std::string& domain, long code, const std::string& description);

} // namespace fnd
