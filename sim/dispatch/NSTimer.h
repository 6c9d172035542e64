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

#include "sim/runtime/Face.h"
#include "sim/runtime/Runtime.h"

namespace dsp {

// NSTimer's face (the class's behaviour is described above).
struct NSTimer : rt::NSObject {
    RT_FACE(NSTimer, rt::NSObject)
    static NSTimer scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(
        double seconds, const rt::Face& target, rt::Sel selector, const rt::Face& userInfo, bool repeats) {
        return rt::sendClass<rt::Ref<rt::Object>>(
            cls(), rt::SelLiteral<"scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:">{}, seconds,
            target, selector, userInfo, repeats);
    }
    void fire() const { msg(rt::SelLiteral<"fire">{}); }
    void invalidate() const { msg(rt::SelLiteral<"invalidate">{}); }
    bool isValid() const { return msg<bool>(rt::SelLiteral<"isValid">{}); }
    double timeInterval() const { return msg<double>(rt::SelLiteral<"timeInterval">{}); }
    rt::NSObject userInfo() const { return msg<rt::Ref<rt::Object>>(rt::SelLiteral<"userInfo">{}); }
};

void defineNSTimer();

} // namespace dsp
