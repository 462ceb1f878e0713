#include "data/line_dump.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "common/common_util.h"
#include "common/json_text.h"

namespace kelvaron {

namespace {

// One record on one line: {"Field": value, ...}.
class Record {
  public:
    Record& Add(std::string_view name, int64_t value) { return AddJson(name, ToDecimal(value)); }
    Record& Add(std::string_view name, std::string_view text) {
        return AddJson(name, JsonString(text));
    }
    Record& AddJson(std::string_view name, const std::string& json) {
        if (!body_.empty()) body_ += ", ";
        body_ += JsonString(name) + ": " + json;
        return *this;
    }
    std::string Text() const { return "{" + body_ + "}"; }

  private:
    std::string body_;
};

// The top-level object; tables put one row on each line.
class Document {
  public:
    void Member(std::string_view name, const std::string& json) {
        if (!body_.empty()) body_ += ",\n";
        body_ += "  " + JsonString(name) + ": " + json;
    }
    void Member(std::string_view name, int64_t value) { Member(name, ToDecimal(value)); }
    void Text(std::string_view name, std::string_view text) { Member(name, JsonString(text)); }

    template <typename Rows, typename RowToJson>
    void Table(std::string_view name, const Rows& rows, RowToJson rowToJson) {
        std::string json = "[";
        bool first = true;
        for (const auto& row : rows) {
            json += first ? "\n    " : ",\n    ";
            json += rowToJson(row);
            first = false;
        }
        Member(name, json + (first ? "]" : "\n  ]"));
    }
    template <typename Rows>
    void Texts(std::string_view name, const Rows& rows) {
        Table(name, rows, [](std::string_view text) { return JsonString(text); });
    }

    std::string Finish() const { return "{\n" + body_ + "\n}\n"; }

  private:
    std::string body_;
};

}  // namespace

std::string LineDefinitionToJson(const LineDefinition& line) {
    Document doc;
    doc.Text("FileName", line.FileName);
    doc.Text("LineName", line.LineName);
    doc.Member("StartPos", line.StartPos);
    doc.Member("FrameRate", line.FrameRate);
    doc.Texts("Staf", line.Staf);
    doc.Member("StartTime", line.StartTime);
    doc.Member("Speed_YY", line.Speed_YY);
    doc.Member("Speed_Y", line.Speed_Y);
    doc.Member("Speed_YG", line.Speed_YG);
    doc.Member("Speed_G", line.Speed_G);
    doc.Text("DataName", line.DataName);
    doc.Member("Pre_Time", line.Pre_Time);
    doc.Member("OneMan", line.OneMan);
    doc.Texts("SoundData", line.SoundData);
    doc.Table("Announce", line.Announce, [](const AnnounceData& e) {
        return Record().Add("Sound", e.Sound).Add("AnnounceFrame", e.AnnounceFrame).Text();
    });
    doc.Texts("KankoSound1", line.KankoSound1);
    doc.Table("KankoSound2", line.KankoSound2, [](const Kanko& e) {
        return Record().Add("Number", e.Number).Add("FileName", e.FileName).Text();
    });
    doc.Member("CommentaryCount", line.CommentaryCount());
    doc.Table("Sound", line.Sound, [](const TrackSoundData& e) {
        return Record()
            .Add("Sound", e.Sound)
            .Add("StartFrame", e.StartFrame)
            .Add("EndFrame", e.EndFrame)
            .Add("ReferenceSpeed", e.ReferenceSpeed)
            .Add("Mode", e.Mode)
            .Text();
    });
    doc.Table("Doppler", line.Doppler, [](const DopplerData& e) {
        return Record()
            .Add("Sound", e.Sound)
            .Add("SourceFrame", e.SourceFrame)
            .Add("Range", e.Range)
            .Add("Spare", e.Spare)
            .Add("SourcePosition", e.SourcePosition)
            .Text();
    });
    doc.Table("Tunnel", line.Tunnel, [](const TunnelData& e) {
        return Record().Add("StartFrame", e.StartFrame).Add("EndFrame", e.EndFrame).Text();
    });
    doc.Table("Station", line.Station, [](const StationData& e) {
        return Record()
            .Add("Kind", e.Kind)
            .Add("Name", e.Name)
            .Add("ZoneStart", e.ZoneStart)
            .Add("ZoneEnd", e.ZoneEnd)
            .Add("DepartureSound", e.DepartureSound)
            .Add("DepartureTime", e.DepartureTime)
            .Add("DoorCloseTime", e.DoorCloseTime)
            .Add("StopPosition", e.StopPosition)
            .Text();
    });
    doc.Table("StopSound", line.StopSound, [](int32_t frame) { return ToDecimal(frame); });
    doc.Table("Signal", line.Signal, [](const SignalData& e) {
        return Record()
            .Add("Control", e.Control)
            .Add("Name", e.Name)
            .Add("CallNumber", e.CallNumber)
            .Add("Type", e.Type)
            .Add("ViewStart", e.ViewStart)
            .Add("SignalFrame", e.SignalFrame)
            .Add("AlarmFrame", e.AlarmFrame)
            .Add("LimitFrame", e.LimitFrame)
            .Add("FixedAspect", e.FixedAspect)
            .Add("FixedUntil", e.FixedUntil)
            .Add("Aspect", e.Aspect)
            .Text();
    });
    doc.Table("Slope", line.Slope, [](const SlopeData& e) {
        return Record()
            .Add("StartFrame", e.StartFrame)
            .Add("EndFrame", e.EndFrame)
            .Add("Gradient", e.Gradient)
            .Text();
    });
    doc.Table("Sign", line.Sign, [](const SignData& e) {
        return Record()
            .Add("StartFrame", e.StartFrame)
            .Add("EndFrame", e.EndFrame)
            .Add("Image", e.Image)
            .Text();
    });
    doc.Table("SignalKanko", line.SignalKanko, [](const SignalKankoData& e) {
        return Record()
            .Add("SignalIndex", e.SignalIndex)
            .Add("CallPosition", e.CallPosition)
            .Add("VoiceSlot", e.VoiceSlot)
            .Text();
    });
    doc.Table("StationKanko", line.StationKanko, [](const StationKankoData& e) {
        return Record()
            .AddJson("Values", "[" + ToDecimal(e.Values[0]) + ", " + ToDecimal(e.Values[1]) + ", " +
                                   ToDecimal(e.Values[2]) + "]")
            .Text();
    });
    doc.Table("SpeedLimit", line.SpeedLimit, [](const SpeedLimitData& e) {
        return Record()
            .Add("LimitSpeed", e.LimitSpeed)
            .Add("Image", e.Image)
            .Add("Spare", e.Spare)
            .Add("StartFrame", e.StartFrame)
            .Add("EndFrame", e.EndFrame)
            .Add("LimitPosition", e.LimitPosition)
            .Text();
    });
    doc.Table("SpeedCheck", line.SpeedCheck, [](const SpeedCheckData& e) {
        return Record().Add("CheckSpeed", e.CheckSpeed).Add("CheckFrame", e.CheckFrame).Text();
    });
    // The pictures live in the cab's image lists; the file's own data here are the voices.
    doc.Table("OtherImageList", line.OtherImageSounds,
              [](std::string_view sound) { return Record().Add("Sound", sound).Text(); });
    doc.Table("SpeedUnit", line.SpeedUnit, [](const SpeedUnitData& e) {
        return Record()
            .Add("StartFrame", e.StartFrame)
            .Add("EndFrame", e.EndFrame)
            .Add("StartSpeed", e.StartSpeed)
            .Add("EndSpeed", e.EndSpeed)
            .Add("CumulativeDistance", e.CumulativeDistance)
            .Text();
    });
    doc.Table("Time", line.Time, [](const TimeCheckData& e) {
        return Record()
            .Add("Kind", e.Kind)
            .Add("StartFrame", e.StartFrame)
            .Add("EndFrame", e.EndFrame)
            .Add("ScheduledTime", e.ScheduledTime)
            .Text();
    });
    doc.Table("EventTable", line.EventTable, [](const EventEntry& e) {
        return Record()
            .Add("Position", e.Position)
            .Add("Kind", e.Kind)
            .Add("Index", e.Index)
            .Text();
    });
    doc.Member("EventCount", line.EventCount);
    return doc.Finish();
}

}  // namespace kelvaron
