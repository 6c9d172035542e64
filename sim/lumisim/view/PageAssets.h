#pragma once
// The viewer's page, built into lumisim from sim/lumisim/view/page at
// configure time (no build step of its own, nothing fetched).

#include <string_view>
#include <vector>

namespace lumisim::view {

struct PageAsset {
    std::string_view path; // "/", "/view.js", "/view.css"
    std::string_view type; // its Content-Type
    std::string_view body;
};

const std::vector<PageAsset>& pageAssets();

} // namespace lumisim::view
