#pragma once
// The Photos app's half of the lock gate's answer: LCAuthenticate, the
// callback of the Darwin notification "com.zel.LCAuthenticate" that
// SpringBoard posts after writing authenticate.plist
// (tweak/springboard/AuthBroker).
//
// It reads the file and answers the object that asked, chosen by the
// result's "controller": "PUAlbumListViewController" the listController,
// "PUZoomableGridViewController" the zoomGridController,
// "PUAlbumListCellContentView" the cellContentView, anything else the
// gadgetController. With "success", or with passOption 0 (a device that
// cannot ask its owner), it sends unlockAuthorised: with the result's
// "method"; otherwise requestPassword:. An object that lacks the method
// (the zoomable grid has neither) gets nothing.
//
// Any app may post the notification, so a result counts only when it
// carries the token of a request this app made and has not yet seen
// answered: each request gets a fresh token (128 random bits, from the
// system's random source), SpringBoard copies it into the result, and the
// first result that brings it back uses it up. A spoofed or replayed post,
// or a result of a request this app did not make, does nothing.

#include "sim/ipc/Notify.h"

#include <string>

namespace lc {

inline constexpr const char* kTokenKey = "token";

// A new request's token, remembered until its answer comes (the newest
// few are kept: a request whose owner prompt was cancelled is never
// answered, and its token is dropped in time).
std::string newRequestToken();
// Uses the token up: whether it was outstanding.
bool takeRequestToken(const std::string& token);

void LCAuthenticate(CFNotificationCenterRef center, void* observer, CFStringRef name, const void* object,
                    CFDictionaryRef userInfo);

} // namespace lc
