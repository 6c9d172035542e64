#pragma once
// The code of each installed app, as the app process loads it: the classes
// of the app named by the bundle identifier (none for an app not built in).

#include <string>

namespace apps {

void registerStockApp(const std::string& bundleIdentifier);

} // namespace apps
