// The system log and the coloured diagnostic line.

#include "sim/foundation/SystemLog.h"

#include <gtest/gtest.h>
#include <vector>

TEST(SystemLog, ColouredLineIsExactToTheByte) {
    std::string line =
        fnd::colouredLogLine("lumicrate12", "Tweak", 412, "DEBUG", "-[<X: 0x1> y]: reloading camera roll");
    EXPECT_EQ(line, "\x1b[1;36m[lumicrate12] \x1b[m\x1b[0;36mTweak:412\x1b[m \x1b[0;30;46mDEBUG:"
                    "\x1b[m -[<X: 0x1> y]: reloading camera roll");
}

TEST(SystemLog, LinesGoToTheInstalledSinkWithTheirLevel) {
    std::vector<std::pair<fnd::LogLevel, std::string>> lines;
    fnd::setLogSink([&](fnd::LogLevel l, const std::string& m) { lines.emplace_back(l, m); });
    fnd::systemLog(fnd::LogLevel::Notice, "one");
    fnd::systemLog(fnd::LogLevel::Error, "two");
    fnd::setLogSink(nullptr);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(static_cast<int>(lines[0].first), 5);
    EXPECT_EQ(lines[0].second, "one");
    EXPECT_EQ(lines[1].second, "two");
}
