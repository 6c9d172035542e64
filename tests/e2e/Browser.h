#pragma once
// Headless Chromium for end-to-end tests of the live viewer, driven over the
// DevTools protocol on a pipe (--remote-debugging-pipe: JSON messages, each
// ended by a NUL, on the browser's descriptors 3 and 4), with no port and no
// extra program. One page, attached once; every call waits for its answer.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <sys/types.h>

namespace e2e {

class Browser {
public:
    // The browser's program, or none where it is not installed.
    static std::optional<std::string> executable();
    Browser();
    ~Browser();
    bool started() const { return !m_session.empty(); }

    void open(const std::string& url);
    // The expression's value (returned by value), or null when it threw.
    nlohmann::json evaluate(const std::string& expression);
    // "mousePressed", "mouseMoved" or "mouseReleased" at a point of the page.
    void mouse(const char* type, double x, double y);
    // A key pressed and released, as typed: "1", "Enter", "Backspace".
    void key(const std::string& key);
    // The page as a PNG file's bytes.
    std::string screenshot();

private:
    nlohmann::json call(const std::string& method, nlohmann::json params, bool onPage = true);
    pid_t m_pid = -1;
    int m_toBrowser = -1, m_fromBrowser = -1;
    std::string m_session, m_dataDir, m_buffer;
    int m_nextId = 1;
};

} // namespace e2e
