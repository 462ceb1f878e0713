#include "data/line_dump.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kelvaron {
namespace {

using ::testing::HasSubstr;

TEST(LineDump, TablesUnderTheirSectionNames) {
    LineDefinition line;
    line.LineName = "東西線 \"快速\"\\\t\x01";
    line.Station = {{.Kind = 2, .Name = "中央駅", .ZoneStart = 10, .StopPosition = 5017}};
    line.EventTable = {{.Position = 5000, .Kind = 45, .Index = 0}};
    line.EventCount = 1;
    const std::string json = LineDefinitionToJson(line);
    EXPECT_THAT(json, HasSubstr(R"("LineName": "東西線 \"快速\"\\\t\u0001")"));
    EXPECT_THAT(json, HasSubstr(R"("Station": [
    {"Kind": 2, "Name": "中央駅", "ZoneStart": 10, "ZoneEnd": 0, "DepartureSound": 0, )"
                                R"("DepartureTime": 0, "DoorCloseTime": 0, "StopPosition": 5017}
  ])"));
    EXPECT_THAT(json, HasSubstr(R"("EventTable": [
    {"Position": 5000, "Kind": 45, "Index": 0}
  ])"));
    EXPECT_THAT(json, HasSubstr("\"Signal\": [],"));
    EXPECT_THAT(json, HasSubstr("\"EventCount\": 1\n}\n"));
}

}  // namespace
}  // namespace kelvaron
