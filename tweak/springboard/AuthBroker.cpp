#include "tweak/springboard/AuthBroker.h"

#include "sim/auth/LocalAuthentication.h"
#include "sim/dispatch/Queue.h"
#include "sim/foundation/Foundation.h"
#include "sim/foundation/SystemLog.h"
#include "sim/ipc/MessagingCenter.h"
#include "sim/ipc/Notify.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/springboard/MessageServer.h"

namespace lc {

namespace {

// Writes the answer and tells the Photos app. Main thread.
void answer(fnd::Dictionary result, bool success) {
    result["success"] = fnd::Value(success);
    if (!writeAuthenticationResult(result))
        fnd::systemLog(fnd::LogLevel::Error, "lumicrate12: authenticate: the result could not be written");
    notify_post(kAuthenticateNotification);
}

} // namespace

std::string unlockReason(const std::string& albumTitle) { return albumTitle + " needs to be unlocked."; }

void authenticateWithUserInfo(rt::Id, rt::Sel, std::string, fnd::Dictionary userInfo) {
    std::optional<ipc::PeerIdentity> sender = ipc::MessagingCenter::currentSender();
    if (!sender || sender->bundleIdentifier != kPhotosBundle) {
        fnd::systemLog(fnd::LogLevel::Error, "lumicrate12: authenticate refused: sent by " + describeSender(sender));
        return;
    }
    const std::string* title = fnd::valueForKey(userInfo, "albumName").string();
    fnd::Dictionary result = std::move(userInfo);
    result["id"] = fnd::Value(fnd::NSBundle::mainBundle().bundleIdentifier());
    result["type"] = fnd::Value("SpringBoard");
    auto context = auth::LAContext::new_();
    switch (static_cast<PassOption>(passOption.load())) {
    case PassOption::Owner:
        if (!context.canEvaluatePolicy_error(auth::LAPolicyDeviceOwnerAuthentication, nullptr))
            return answer(std::move(result), false);
        context.evaluatePolicy_localizedReason_reply(
            auth::LAPolicyDeviceOwnerAuthentication, unlockReason(title ? *title : std::string()),
            [result, context](bool success, fnd::NSError) { // the context lives until it answers
                // A cancel or a failure answers nothing: the album stays closed.
                if (success) dsp::mainQueue().async([result] { answer(result, true); });
            });
        return;
    case PassOption::Password:
        return answer(std::move(result), false);
    }
    answer(std::move(result), true); // any other value: no check
}

} // namespace lc
