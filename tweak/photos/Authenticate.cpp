#include "tweak/photos/Authenticate.h"

#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/SystemLog.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/photos/PhotosState.h"
#include "tweak/springboard/AuthBroker.h"

#include <algorithm>
#include <array>
#include <deque>
#include <sys/random.h>

namespace lc {

namespace {

constexpr std::size_t kOutstandingKept = 8;

std::deque<std::string>& outstanding() { // main thread only
    static std::deque<std::string> tokens;
    return tokens;
}

std::string randomHex(std::size_t bytes) {
    std::array<unsigned char, 32> buffer{};
    std::size_t got = 0;
    while (got < bytes) {
        ssize_t n = getrandom(buffer.data() + got, bytes - got, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            rt::fatal("lumicrate12: no random source for the gate's tokens");
        }
        got += static_cast<std::size_t>(n);
    }
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < bytes; ++i) {
        hex += digits[buffer[i] >> 4];
        hex += digits[buffer[i] & 15];
    }
    return hex;
}

rt::NSObject receiverFor(const std::string& controller) {
    const PhotosState& s = photosState();
    if (controller == "PUAlbumListViewController") return s.listController;
    if (controller == "PUZoomableGridViewController") return s.zoomGridController;
    if (controller == "PUAlbumListCellContentView") return s.cellContentView;
    return s.gadgetController;
}

// The checked send: a receiver that lacks the method, or has it with
// another signature, is sent nothing (and the answer changes nothing).
void answer(const rt::NSObject& receiver, const char* selector, int method) {
    if (!receiver) return;
    if (auto sent = rt::trySend(receiver.get(), rt::sel(selector), method); !sent.ok())
        fnd::systemLog(fnd::LogLevel::Notice, "lumicrate12: the gate's answer not delivered: " + sent.error());
}

} // namespace

std::string newRequestToken() {
    std::string token = randomHex(16);
    auto& tokens = outstanding();
    tokens.push_back(token);
    while (tokens.size() > kOutstandingKept)
        tokens.pop_front();
    return token;
}

bool takeRequestToken(const std::string& token) {
    auto& tokens = outstanding();
    auto it = std::find(tokens.begin(), tokens.end(), token);
    if (token.empty() || it == tokens.end()) return false;
    tokens.erase(it);
    return true;
}

void LCAuthenticate(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) {
    if (fnd::mainBundleIdentifier() != kPhotosBundle) return;
    fnd::Dictionary result = readAuthenticationResult();
    const std::string* token = fnd::valueForKey(result, kTokenKey).string();
    if (!token || !takeRequestToken(*token)) {
        fnd::systemLog(fnd::LogLevel::Notice,
                       "lumicrate12: an authentication result of no request of this app ignored");
        return;
    }
    int method = fnd::valueForKey(result, "method").intValue();
    const std::string* controller = fnd::valueForKey(result, "controller").string();
    bool success = fnd::valueForKey(result, "success").boolValue();
    rt::NSObject receiver = receiverFor(controller ? *controller : std::string());
    if (success || passOptionIs(PassOption::Owner)) return answer(receiver, "unlockAuthorised:", method);
    answer(receiver, "requestPassword:", method);
}

} // namespace lc
