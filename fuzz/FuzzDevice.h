#pragma once
// What every fuzz target shares: a device root of its own, made once per
// fuzzing process, where the readers find the files each input is written to.

#include <string>
#include <string_view>

namespace fuzzing {

// Makes the device root (a temporary folder) and this process an
// unsandboxed one; idempotent.
void setUpDevice();
// Writes the bytes where a reader will look (a device path), plainly: the
// reader must cope with whatever lands there.
void plant(const std::string& devicePath, std::string_view bytes);

} // namespace fuzzing
