// What the live viewer takes from a page: each request whole, and anything
// else refused with its reason (nothing half-read is acted on).

#include "sim/lumisim/view/ViewInput.h"

#include <gtest/gtest.h>

using namespace lumisim::view;

TEST(ViewInput, EachRequestReadsWhole) {
    auto touch = parseInput("down 120.5 300");
    ASSERT_TRUE(touch.input);
    const Touch& t = std::get<Touch>(*touch.input);
    EXPECT_EQ(t.phase, Touch::Phase::Down);
    EXPECT_DOUBLE_EQ(t.x, 120.5);
    EXPECT_DOUBLE_EQ(t.y, 300);
    EXPECT_EQ(std::get<Touch>(*parseInput("up 0 -3").input).phase, Touch::Phase::Up);
    EXPECT_EQ(std::get<Keys>(*parseInput("keys 1 2 \xc3\xa9").input).text, "1 2 \xc3\xa9") << "spaces are typed too";
    EXPECT_EQ(std::get<Delete>(*parseInput("delete 3").input).count, 3);
    EXPECT_TRUE(std::holds_alternative<Return>(*parseInput("return").input));
    EXPECT_TRUE(std::holds_alternative<Home>(*parseInput("home").input));
    ParsedInput foreground = parseInput("foreground com.apple.camera");
    const Lifecycle& l = std::get<Lifecycle>(*foreground.input);
    EXPECT_TRUE(l.toForeground);
    EXPECT_EQ(l.bundle, "com.apple.camera");
    EXPECT_FALSE(std::get<TouchId>(*parseInput("touch-id other").input).enrolled);
}

TEST(ViewInput, AnythingElseIsRefusedWithItsReason) {
    for (const char* bad : {"",           "down",           "down 1",
                            "down 1 2 3", "down x 2",       "down 1e400 2",
                            "down nan 2", "move 1 200000",  "keys",
                            "keys \x01",  "keys \xc3",      "keys \xff",
                            "delete 0",   "delete 1001",    "delete -1",
                            "delete 2x",  "return now",     "home please",
                            "background", "background a b", "foreground ../x",
                            "touch-id",   "touch-id left",  "DOWN 1 2",
                            "tap 1 2"}) {
        ParsedInput p = parseInput(bad);
        EXPECT_FALSE(p.input) << '"' << bad << '"';
        EXPECT_FALSE(p.error.empty()) << '"' << bad << '"';
    }
    EXPECT_FALSE(parseInput("keys " + std::string(kLongestInput, 'a')).input) << "past the longest message";
    EXPECT_TRUE(parseInput("keys " + std::string(kLongestInput - 5, 'a')).input);
}
