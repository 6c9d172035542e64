#pragma once
// A UIKit test: the classes defined, and a main run loop on a manual clock
// that the test steps (layout passes, animations, timers, transitions).

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIView.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace uitest {

// A key window of an iPhone 8's size, a plain controller at its root.
struct KeyWindow {
    rt::Ref<rt::Object> window, root;
};
inline KeyWindow showKeyWindow() {
    using namespace rt::literals;
    KeyWindow k;
    k.window = uikit::makeView(gfx::CGRectMake(0, 0, 375, 667), rt::getClass("UIWindow"));
    k.root = rt::sendClass<rt::Ref<rt::Object>>(rt::getClass("UIViewController"), "new"_sel);
    rt::send(k.window, "setRootViewController:"_sel, k.root);
    rt::send(k.window, "makeKeyAndVisible"_sel);
    return k;
}

// An alert titled `title` with one text field and an OK button that puts
// the field's text in `answered`, presented over `root`.
inline rt::Ref<rt::Object> presentFieldAlert(const rt::Ref<rt::Object>& root, const std::string& title,
                                             std::string& answered) {
    using namespace rt::literals;
    using rt::Ref;
    auto alert = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIAlertController"),
                                                "alertControllerWithTitle:message:preferredStyle:"_sel, title,
                                                std::string(""), 1L);
    rt::send(alert, "addTextFieldWithConfigurationHandler:"_sel, rt::Block<void(Ref<rt::Object>)>());
    auto field = rt::send<std::vector<Ref<rt::Object>>>(alert, "textFields"_sel)[0];
    rt::send(alert, "addAction:"_sel,
             rt::sendClass<Ref<rt::Object>>(rt::getClass("UIAlertAction"), "actionWithTitle:style:handler:"_sel,
                                            std::string("OK"), 0L,
                                            rt::Block<void(Ref<rt::Object>)>([&answered, field](Ref<rt::Object>) {
                                                answered = rt::send<std::string>(field, "text"_sel);
                                            })));
    rt::send(root, "presentViewController:animated:completion:"_sel, alert, false, rt::Block<void()>());
    return alert;
}

// What the recognisers of a test reported, as "tap STATE" and "press STATE",
// and a target whose tap: and press: report them (recognisers do not retain
// their target: the test keeps it).
inline std::vector<std::string>& recognised() {
    static std::vector<std::string> lines;
    return lines;
}
inline void recordTap(rt::Id, rt::Sel, rt::Ref<rt::Object> r) {
    using namespace rt::literals;
    recognised().push_back("tap " + std::to_string(rt::send<long>(r, "state"_sel)));
}
inline void recordPress(rt::Id, rt::Sel, rt::Ref<rt::Object> r) {
    using namespace rt::literals;
    recognised().push_back("press " + std::to_string(rt::send<long>(r, "state"_sel)));
}
inline rt::Ref<rt::Object> makeRecognisedTarget() {
    using namespace rt::literals;
    static rt::Class* cls = [] {
        rt::Class* c = rt::defineClass("RecognisedTarget");
        rt::addMethod<&recordTap>(c, "tap:"_sel);
        rt::addMethod<&recordPress>(c, "press:"_sel);
        return c;
    }();
    return rt::sendClass<rt::Ref<rt::Object>>(cls, "new"_sel);
}

struct MainLoopTest : ::testing::Test {
    std::shared_ptr<dsp::ManualClock> clock = std::make_shared<dsp::ManualClock>();
    dsp::RunLoop loop{clock};
    void SetUp() override {
        uikit::registerUIKit();
        dsp::RunLoop::setMain(&loop);
    }
    void TearDown() override { dsp::RunLoop::setMain(nullptr); }
};

} // namespace uitest
