#pragma once
// What the object runtime holds in a running app, for `lumisim runtime`:
// a class's own methods, each with the file its implementation lives in,
// so that anyone can see which library hooked or added what.

#include "sim/foundation/Value.h"

#include <string>

namespace apps {

// The methods of one class, instance and class methods, as an answer:
// {"ok": true, "methods": [{"selector", "kind" ("-" or "+"), "types", "library"}]},
// or an error when the process has no class of that name.
fnd::Dictionary describeMethods(const std::string& className);

// Adds the automation command "methods" {class} that answers with the above.
void addMethodListing();

} // namespace apps
