// The owner prompt: what can be evaluated, and one reply per request, off
// the main thread, for each way a person answers.

#include "sim/auth/LocalAuthentication.h"

#include "sim/dispatch/Queue.h"
#include "sim/foundation/NSError.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/UIViewController.h"
#include "tests/sim/uikit/MainLoopFixture.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using rt::Ref;
using namespace rt::literals;
using fnd::Dictionary;
using fnd::Value;

namespace {

struct Reply {
    bool ok;
    long code;
    bool onMainThread;
};

struct Authentication : uitest::MainLoopTest {
    Ref<rt::Object> window, root, context;
    std::mutex lock;
    std::vector<Reply> replies;
    std::thread::id mainThread = std::this_thread::get_id();

    void SetUp() override {
        MainLoopTest::SetUp();
        auth::registerLocalAuthentication();
        auth::setCredentialsForTesting({true, "1234", true});
        window = uikit::makeView(gfx::CGRectMake(0, 0, 375, 667), rt::getClass("UIWindow"));
        root = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIViewController"), "new"_sel);
        rt::send(window, "setRootViewController:"_sel, root);
        rt::send(window, "makeKeyAndVisible"_sel);
        context = rt::sendClass<Ref<rt::Object>>(rt::getClass("LAContext"), "new"_sel);
    }
    void ask(const std::string& reason, long policy = auth::LAPolicyDeviceOwnerAuthentication) {
        rt::send(context, "evaluatePolicy:localizedReason:reply:"_sel, policy, reason,
                 rt::Block<void(bool, Ref<rt::Object>)>([this](bool ok, Ref<rt::Object> error) {
                     std::lock_guard guard(lock);
                     replies.push_back(
                         {ok, error ? rt::send<long>(error, "code"_sel) : 0, std::this_thread::get_id() == mainThread});
                 }));
        settle();
    }
    // The main loop's work, then the global queue's (where replies run).
    void settle() {
        loop.runFor(dsp::seconds(0.5));
        dsp::globalQueue().waitUntilIdle();
    }
    Ref<rt::Object> prompt() { return rt::send<Ref<rt::Object>>(root, "presentedViewController"_sel); }
    std::string promptTitle() { return prompt() ? rt::send<std::string>(prompt(), "title"_sel) : "(none)"; }
    Dictionary finger(const char* which) {
        auto answer = uikit::automation::handle({{"command", Value("touch-id")}, {"finger", Value(which)}});
        settle();
        return answer;
    }
    void press(const std::string& button) {
        ASSERT_TRUE(prompt());
        ASSERT_TRUE(uikit::pressAlertButton(prompt(), button)) << button;
        settle();
    }
    std::vector<Reply> taken() {
        std::lock_guard guard(lock);
        return replies;
    }
};

long refusalCode(const Ref<rt::Object>& context, long policy) {
    Ref<rt::Object> error;
    bool can = rt::send<bool>(context, "canEvaluatePolicy:error:"_sel, policy, &error);
    if (can) return 0;
    return error ? rt::send<long>(error, "code"_sel) : 1;
}

} // namespace

TEST_F(Authentication, WhatCanBeEvaluatedFollowsThePasscodeAndTheFinger) {
    auth::setCredentialsForTesting({false, "", false});
    EXPECT_EQ(refusalCode(context, auth::LAPolicyDeviceOwnerAuthentication), -5);
    EXPECT_EQ(refusalCode(context, auth::LAPolicyDeviceOwnerAuthenticationWithBiometrics), -7);
    auth::setCredentialsForTesting({true, "1234", false});
    EXPECT_EQ(refusalCode(context, auth::LAPolicyDeviceOwnerAuthentication), 0);
    EXPECT_EQ(refusalCode(context, auth::LAPolicyDeviceOwnerAuthenticationWithBiometrics), -7);
    auth::setCredentialsForTesting({false, "", true});
    EXPECT_EQ(refusalCode(context, auth::LAPolicyDeviceOwnerAuthentication), 0);
    EXPECT_TRUE(rt::send<bool>(context, "canEvaluatePolicy:error:"_sel,
                               auth::LAPolicyDeviceOwnerAuthenticationWithBiometrics,
                               static_cast<Ref<rt::Object>*>(nullptr)));

    auth::setCredentialsForTesting({false, "", false});
    ask("Trips needs to be unlocked.");
    EXPECT_FALSE(prompt()) << "nothing to ask with: no prompt";
    ASSERT_EQ(taken().size(), 1u);
    EXPECT_FALSE(taken()[0].ok);
    EXPECT_EQ(taken()[0].code, -5);
    EXPECT_FALSE(taken()[0].onMainThread);
}

TEST_F(Authentication, TheEnrolledFingerAnswersOnceOffTheMainThread) {
    ask("Trips needs to be unlocked.");
    EXPECT_EQ(promptTitle(), "Touch ID for \u201cthis app\u201d");
    EXPECT_EQ(rt::send<std::string>(prompt(), "message"_sel), "Trips needs to be unlocked.");
    EXPECT_TRUE(taken().empty());
    EXPECT_TRUE(fnd::valueForKey(finger("enrolled"), "ok").boolValue());
    ASSERT_EQ(taken().size(), 1u);
    EXPECT_TRUE(taken()[0].ok);
    EXPECT_FALSE(taken()[0].onMainThread);
    EXPECT_FALSE(prompt()) << "the prompt closed";
    EXPECT_FALSE(fnd::valueForKey(finger("enrolled"), "ok").boolValue()) << "no prompt: the finger does nothing";
    EXPECT_EQ(taken().size(), 1u);
}

TEST_F(Authentication, ThreeWrongFingersFailAndCancelCancels) {
    ask("Trips needs to be unlocked.");
    finger("other");
    EXPECT_EQ(promptTitle(), "Try Again");
    finger("other");
    EXPECT_TRUE(taken().empty());
    finger("other");
    ASSERT_EQ(taken().size(), 1u);
    EXPECT_FALSE(taken()[0].ok);
    EXPECT_EQ(taken()[0].code, -1);
    EXPECT_FALSE(prompt());

    ask("Rome needs to be unlocked.");
    press("Cancel");
    ASSERT_EQ(taken().size(), 2u);
    EXPECT_EQ(taken()[1].code, -2);
}

TEST_F(Authentication, ThePasscodeIsAskedAgainUntilItIsRight) {
    ask("Trips needs to be unlocked.");
    press("Enter Passcode");
    EXPECT_EQ(promptTitle(), "Enter Passcode");
    ASSERT_TRUE(uikit::typeIntoAlertField(prompt(), 0, "0000"));
    press("OK");
    EXPECT_EQ(rt::send<std::string>(prompt(), "message"_sel), "Wrong passcode. Try again.");
    EXPECT_TRUE(taken().empty());
    ASSERT_TRUE(uikit::typeIntoAlertField(prompt(), 0, "1234"));
    press("OK");
    ASSERT_EQ(taken().size(), 1u);
    EXPECT_TRUE(taken()[0].ok);

    // Without a finger, the passcode prompt comes first.
    auth::setCredentialsForTesting({true, "1234", false});
    ask("Rome needs to be unlocked.");
    EXPECT_EQ(promptTitle(), "Enter Passcode");
    EXPECT_FALSE(fnd::valueForKey(finger("enrolled"), "ok").boolValue());
}

TEST_F(Authentication, RequestsTakeTurnsOnePromptAtATime) {
    ask("Trips needs to be unlocked.");
    ask("Rome needs to be unlocked.");
    EXPECT_EQ(rt::send<std::string>(prompt(), "message"_sel), "Trips needs to be unlocked.");
    finger("enrolled");
    ASSERT_TRUE(prompt());
    EXPECT_EQ(rt::send<std::string>(prompt(), "message"_sel), "Rome needs to be unlocked.");
    press("Cancel");
    ASSERT_EQ(taken().size(), 2u);
    EXPECT_TRUE(taken()[0].ok);
    EXPECT_FALSE(taken()[1].ok);
}
