#pragma once
// NSTimer as a runtime class, on the main run loop and its clock (the
// process's user-interface thread, where apps schedule their timers); with
// no main loop set, on the calling thread's loop.
//
//   +scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:
//   -invalidate -isValid -userInfo -fire -timeInterval
//
// The target is kept until the timer is invalidated (a one-shot timer
// invalidates itself after firing). The selector is sent with the timer as
// its argument when it takes one ("tick:"), and with none otherwise
// ("movePhoto"), as Objective-C calls both.

#include "sim/runtime/Runtime.h"

namespace dsp {

void defineNSTimer();

} // namespace dsp
