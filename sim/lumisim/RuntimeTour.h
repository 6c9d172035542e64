#pragma once

namespace lumisim {
// Prints a walk through class definition, hooking and adding methods; 0 when
// every step behaved as expected.
int runRuntimeTour();
} // namespace lumisim
