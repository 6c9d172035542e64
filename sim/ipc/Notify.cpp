#include "sim/ipc/Notify.h"

#include "sim/ipc/Endpoint.h"

struct __CFNotificationCenter {};

namespace {
ipc::Endpoint& endpoint() {
    ipc::Endpoint* e = ipc::Endpoint::shared();
    if (!e) rt::fatal("Darwin notify centre used before the process joined the device");
    return *e;
}
} // namespace

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter() {
    static __CFNotificationCenter center;
    return &center;
}

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, CFStringRef name, const void*,
                                     CFNotificationSuspensionBehavior behavior) {
    if (!center || !callback || !name) return;
    auto suspension = static_cast<ipc::Suspension>(behavior);
    endpoint().addObserver(name, suspension, [center, observer, callback](const std::string& n) {
        callback(center, const_cast<void*>(observer), n.c_str(), nullptr, nullptr);
    });
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFStringRef name, const void* object,
                                          CFDictionaryRef userInfo, bool) {
    // The Darwin centre has no payload: a post with one is a programming error
    // on the phone too (CF logs and drops it).
    if (!center || !name || object || userInfo) return;
    endpoint().post(name);
}

int notify_post(const char* name) {
    if (!name || !*name) return 1;
    endpoint().post(name);
    return 0;
}
