#include "shell/run_recording.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "shell/run_script.h"
#include "test_support.h"

namespace kelvaron {
namespace {

TEST(RunRecording, TheFolderKeepsTheLastFiftyNewestFirst) {
    const std::filesystem::path home = test::MakeTempDir();
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    EXPECT_EQ(RecordingsFolder(), home / "kelvaron" / "runs");
    std::vector<std::filesystem::path> made;
    for (int i = 0; i < 52; ++i) {
        made.push_back(NewRecordingFile(RecordingsFolder(), "line_local.dat"));
        test::WriteFile(made.back(), "# run " + std::to_string(i) + "\n");
    }
    const std::vector<std::filesystem::path> kept = Recordings(RecordingsFolder());
    ASSERT_EQ(kept.size(), 50u);
    // Newest first: the last made leads, the two oldest are gone.
    EXPECT_EQ(kept.front(), made.back());
    EXPECT_EQ(kept.back(), made[2]);
    EXPECT_NE(made.back().filename().string().find("line_local"), std::string::npos);
}

TEST(RunRecording, KeysAScriptLineCannotHoldAreWrittenAsCodes) {
    // Return types "\r" as well as its key; a chunk's line break cannot stand
    // on a script line either.
    const RunScript script =
        ParseRunScript(FormatScriptEvent(5, ScriptCharCommand('\r')) + "\n" +
                       FormatScriptEvent(6, ScriptCharCommand(' ')) + "\n" +
                       FormatScriptEvent(7, ScriptKeyCommand(116, true)) + "\n" +
                       FormatScriptEvent(8, ScriptSerialCommand("AB\r\n")));
    ASSERT_TRUE(script.ok()) << script.error;
    ASSERT_EQ(script.events.size(), 4u);
    EXPECT_EQ(std::get<ScriptChar>(script.events[0].action).character, '\r');
    EXPECT_EQ(std::get<ScriptChar>(script.events[1].action).character, ' ');
    EXPECT_EQ(std::get<ScriptKey>(script.events[2].action).code, 116);  // F5 with Shift
    EXPECT_TRUE(std::get<ScriptKey>(script.events[2].action).shift);
    EXPECT_EQ(std::get<ScriptSerial>(script.events[3].action).text, "AB\x7f\x7f");
    EXPECT_FALSE(ParseRunScript("0 char U+0080").ok());
}

}  // namespace
}  // namespace kelvaron
