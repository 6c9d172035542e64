#pragma once
// A real device for end-to-end tests: a fresh device folder with the probe
// library injected, booted with the lumisim binary, and shut down (every
// process it started ended) when the test ends.

#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/Value.h"
#include "sim/ipc/DeviceSocket.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

inline constexpr const char* kCamera = "com.apple.camera";
inline constexpr const char* kPhotos = "com.apple.mobileslideshow";
inline constexpr const char* kSpringBoard = "com.apple.springboard";

// Whether a device's answer says "ok".
inline bool ok(const fnd::Dictionary& answer) { return fnd::valueForKey(answer, "ok").boolValue(); }

struct CommandResult {
    int status;
    std::string output; // stdout and stderr
};

// Runs the lumisim binary of this build.
CommandResult lumisim(const std::vector<std::string>& args);

class Device {
public:
    // With `withTweak`, lumicrate12's package is installed into the booted
    // device with `lumisim install`, as a person would.
    // `model` is the device model it boots as (lumisim boot --model);
    // `bootOptions` go to lumisim boot as they stand (--passcode CODE, --touch-id).
    explicit Device(bool withTweak = false, const std::string& model = "iphone8",
                    const std::vector<std::string>& bootOptions = {});
    ~Device();
    const std::string& root() const { return m_root; }

    // A connection to the device on the operator's channel (this test process).
    std::unique_ptr<ipc::DeviceSocket> connect(fnd::Dictionary hello = {});
    fnd::Dictionary status();
    std::optional<pid_t> pidOf(const std::string& bundle);
    bool serves(const std::string& centre);
    // Whether the app's process has told the device it observes `name`. A post
    // made before that may rightly miss it, so tests that post wait on this.
    bool observes(const std::string& bundle, const std::string& name);
    void awaitObservers(const std::vector<std::string>& bundles, const std::string& name);
    void launch(const std::string& bundle);
    void post(const std::string& name);
    void send(const std::string& message, fnd::Dictionary info, const std::string& centre = "com.lumi.probe");
    // `count` sample photos drawn into the device's folder (lumisim
    // sample-photos): their paths, in order.
    std::vector<std::string> samplePhotos(int count);
    // lumicrate12's locked list written by SpringBoard's array writer, as the
    // Photos app has it written; true once the file holds it.
    bool lockAlbums(const std::vector<std::string>& titles);

    // An automation request to a running app; the device's answer.
    fnd::Dictionary ui(const std::string& bundle, fnd::Dictionary request);
    // Whether the app shows the one element that matches (key: "label",
    // "text", "tag"...); a tap on it, and an alert's button pressed, each
    // once it is there (waited for as waitFor waits).
    bool shows(const std::string& bundle, const char* key, const fnd::Value& value);
    bool tapWhenShown(const std::string& bundle, const char* key, const fnd::Value& value);
    bool pressWhenShown(const std::string& bundle, const std::string& button);
    const std::string& installOutput() const { return m_installOutput; }

    std::vector<std::string> logLines();
    // Sanitizer reports in any of the device's logs, and processes that died
    // of a signal the device did not send. The destructor fails the test on
    // any, so every e2e test checks it.
    std::vector<std::string> crashes();
    std::size_t countLog(const std::string& needle);
    // Waits (on a run loop, up to `limit` of real time) until `done`.
    bool waitFor(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(20));

private:
    std::string m_root;
    dsp::RunLoop m_loop;
    std::unique_ptr<ipc::DeviceSocket> m_control;
    std::string m_installOutput;
};

} // namespace e2e
