#include "data_files.h"

#include <cstdio>
#include <fstream>
#include <initializer_list>

#include "common/text_decoding.h"
#include "data_path_names.h"
#include "line_content.h"
#include "sound_synth.h"

namespace kelvaron::demo {

namespace {

// Builds a data file line by line.
class DataText {
  public:
    DataText& Line(const std::string& text = {}) {
        text_ += text;
        text_ += "\r\n";
        return *this;
    }
    DataText& Value(const std::string& header, const std::string& value) {
        return Line(header).Line(value);
    }
    DataText& Value(const std::string& header, long long value) {
        return Value(header, std::to_string(value));
    }
    DataText& Fields(std::initializer_list<std::string> fields) {
        std::string line;
        for (const std::string& f : fields) {
            if (!line.empty()) line += ",";
            line += f;
        }
        return Line(line);
    }
    const std::string& Str() const { return text_; }

  private:
    std::string text_;
};

std::string N(long long v) {
    return std::to_string(v);
}

std::string Decimal(double v, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

bool Save(const std::filesystem::path& outDir, const std::string& name, const DataText& text,
          std::string& error) {
    if (WriteShiftJis(DataFile(outDir, name), text.Str())) return true;
    error = name;
    return false;
}

void Lamp(DataText& t, const std::string& section, const std::string& file, int left, int top) {
    t.Line(section).Line(file).Line(N(left)).Line(N(top));
}

void Indicator(DataText& t, const char* section, const IndicatorPlace& place) {
    t.Line(section).Line(N(place.left)).Line(N(place.top));
    for (const std::string& file : place.files) t.Line(file);
    t.Line("#");
}

void TrainDriving(DataText& t, bool diesel) {
    t.Line("- 列車の基本設定");
    t.Value("[Handle]", 1).Value("[BrakeType]", diesel ? 0 : 1).Value("[Brake]", diesel ? 4 : 8);
    t.Value("[Power]", diesel ? 5 : 4).Value("[Hold]", 0);
    t.Value("[BrakeRate]", diesel ? "3.2" : "3.5");
    t.Value("[PowerDelay]", diesel ? 5 : 3).Value("[BrakeDelay]", diesel ? 6 : 3);
    t.Value("[SAPDelay]", diesel ? 6 : 4);
    t.Value("[BrakeUp]", diesel ? 150 : 250).Value("[BrakeDown]", diesel ? 120 : 200);
    t.Value("[EBPress]", diesel ? 390 : 440).Value("[SAPPress]", diesel ? 0 : 400);
    t.Value("[HighAirPress]", 880).Value("[LowAirPress]", diesel ? 740 : 780);
    t.Value("[Curr1]", diesel ? 0 : 420).Value("[Curr2]", diesel ? 0 : 300);
    t.Value("[Engine_Type]", diesel ? 0 : 1).Value("[DoorType]", diesel ? 1 : 0);
    t.Value("[Mt]", diesel ? "60.0" : "70.0").Value("[Tt]", diesel ? "0" : "62.0");
    t.Value("[Cars]", diesel ? 3 : 4);
    t.Value("[StopLine]", kStopMarker);
    t.Value("[Tons]", diesel ? "120.0" : "132.0");
    t.Value("[EB]", diesel ? 0 : 1).Value("[MaxSpeed]", 110);
    t.Value("[Lose_elec]", diesel ? 20 : 8).Value("[Mc]", diesel ? 0 : 1);
    t.Line();
    t.Line(diesel ? "- 保安装置 (速度照査パターン式)" : "- 保安装置 (警報と確認扱い)");
    t.Value("[ATS_Type]", diesel ? 1 : 0).Value("[ATS_Alert]", 0).Value("[ATS_Time]", 5);
    t.Value("[ATS_Cnt]", diesel ? 1 : 0);
    t.Line();
}

void TrainSoundChannels(DataText& t, bool diesel) {
    const int d = DriveSoundCount(diesel ? TrainKind::Diesel : TrainKind::Electric);
    t.Line("- 音 (チャンネル番号: 走行音 " + N(d) + " 本の後に路線ファイルの音が並ぶ)");
    const auto channel = [&](LineSound s) { return d + static_cast<int>(s); };
    t.Value("[Sound_br1]", channel(kBrakeRelease)).Value("[Sound_br2]", channel(kReleaseAll));
    t.Value("[Sound_EB]", channel(kEmergencyAir)).Value("[Sound_Ats1]", channel(kAtsBell));
    t.Value("[Sound_Ats2]", channel(kAtsChime)).Value("[Sound_Atc]", channel(kAtcChime));
    t.Value("[Sound_Horn]", channel(kHorn)).Value("[Sound_Horn2]", channel(kWhistle));
    t.Value("[Sound_Horn3]", channel(kHornLong));
    t.Value("[Sound_DoorOpen]", channel(kDoorOpen)).Value("[Sound_DoorClose]", channel(kDoorClose));
    t.Value("[Sound_EBring]", channel(kVigilanceRing)).Value("[Sound_squeak]", channel(kSqueal));
    t.Value("[CP_Start]", channel(kCompressorStart)).Value("[CP_Cnt]", channel(kCompressorRun));
    t.Value("[CP_End]", channel(kCompressorStop)).Value("[Stop]", channel(kStopAlert));
    t.Line("[Buzzer]").Line(N(channel(kBuzzer1))).Line(N(channel(kBuzzer2)));
    t.Value("[DepSign]", channel(kDepartureSignal));
    if (diesel) {
        t.Line("[EngineSound]");
        for (int i = 0; i < 3; ++i) t.Line(N(kRollingBands + i));
        t.Line();
        t.Line("- 変速機 (自動変速: 低速・中速・高速 km/h、その加速度 km/h/s)");
        t.Value("[Gear_Type]", "AT");
        t.Line("[Engine]");
        t.Line("0").Line("20").Line("45").Line("2.2").Line("1.8").Line("1.0");
        t.Line("30").Line("55").Line("80").Line("1.1").Line("0.9").Line("0.6");
        t.Line("60").Line("85").Line("115").Line("0.6").Line("0.45").Line("0.2");
        t.Line("#");
    } else {
        t.Line();
        t.Line(
            "- 力行ノッチ (起動加速度, 定トルク域終端の加速度, 定トルク域終端 km/h, 定出力域終端 "
            "km/h, 特性域の減衰)");
        t.Line("[Notch]");
        t.Line("1.0").Line("0.9").Line("20").Line("30").Line("0.97");
        t.Line("2.0").Line("1.9").Line("30").Line("45").Line("0.975");
        t.Line("2.6").Line("2.5").Line("38").Line("60").Line("0.98");
        t.Line("3.0").Line("2.9").Line("42").Line("75").Line("0.985");
        t.Line("#");
    }
    t.Line();
    t.Line(
        "- モーター音 (ファイル, モード 0力行/1制動/2常時, 速度 低・高, ピッチ 低・高, 音量 "
        "低・高)");
    t.Line("[MotorSound]");
    for (const MotorSoundRecord& m :
         MotorSounds(diesel ? TrainKind::Diesel : TrainKind::Electric)) {
        t.Line(m.file).Line(N(m.mode)).Line(Decimal(m.lowSpeed, 1)).Line(Decimal(m.highSpeed, 1));
        t.Line(Decimal(m.lowPitch, 2)).Line(Decimal(m.highPitch, 2));
        t.Line(Decimal(m.lowVolume, 1)).Line(Decimal(m.highVolume, 1));
    }
    t.Line("#");
    t.Line();
    t.Line(diesel ? "- 走行音 (10km/hごと) とエンジン音 (走行・停車中・扉開)"
                  : "- 走行音 (10km/hごと)");
    t.Line("[DriveSound]");
    for (const std::string& file :
         DriveSoundFiles(diesel ? TrainKind::Diesel : TrainKind::Electric)) {
        t.Line(file);
    }
    t.Line("#");
    t.Line();
}

void TrainPanel(DataText& t, const CabDesign& cab) {
    t.Line("- アナログ時計");
    t.Line("[Clock]").Line(N(cab.clockX)).Line(N(cab.clockY)).Line(N(cab.clockR));
    t.Line();
    t.Line("- 運転台パネル (トンネル内は照明の入った絵に替わる)");
    Lamp(t, "[Panel]", cab.panel, cab.panelLeft, cab.panelTop);
    Lamp(t, "[Panel2]", cab.panel2, cab.panelLeft, cab.panelTop);
    for (const LampPlace& lamp : cab.lamps) Lamp(t, lamp.section, lamp.file, lamp.left, lamp.top);
    t.Line();
    for (const NeedlePlace& n : cab.needles) {
        t.Line(n.heading);
        t.Line(n.section).Line(n.file).Line(N(n.left)).Line(N(n.top)).Line(N(n.size)).Line(
            N(n.size));
        t.Line(N(n.zeroAngle)).Line(Decimal(n.scale, 6));
    }
    t.Line();
    t.Line("- ノッチ表示");
    Indicator(t, "[NotchImageP]", cab.notchP);
    Indicator(t, "[NotchImageB]", cab.notchB);
    if (!cab.gear.labels.empty()) {
        t.Line("- 変速段表示 (0: 力行なし, 1: 変速, 2以降: 直結段)");
        Indicator(t, "[GearImageList]", cab.gear);
    }
    t.Line();
    t.Line("- その他の表示 (右側の表示板、形式板)");
    t.Line("[Others]");
    for (const OtherPlace& o : cab.others) t.Line(o.file).Line(N(o.left)).Line(N(o.top));
    t.Line("#");
}

// Which of the line's signals the cab voices follow with "よし".
bool CalledAfterAspect(const SignalSite& s) {
    return s.role == SignalRole::Home || s.role == SignalRole::Repeater;
}

}  // namespace

int DriveSoundCount(TrainKind kind) {
    return static_cast<int>(DriveSoundFiles(kind).size());
}

bool WriteShiftJis(const std::filesystem::path& file, const std::string& utf8) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    const std::string bytes = EncodeCp932(utf8);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool WriteTrainFile(const std::filesystem::path& outDir, const std::string& fileName,
                    const CabDesign& cab, std::string& error) {
    const bool diesel = cab.kind == TrainKind::Diesel;
    DataText t;
    if (diesel) {
        t.Line("キハ2000形 急行用気動車 3両編成 (2ハンドル・自動空気ブレーキ・自動変速)");
    } else {
        t.Line("1000系 通勤形電車 4両編成 (2ハンドル・電気指令式ブレーキ・回生ブレーキ)");
    }
    t.Line("湾岸線デモ用。このファイルは生成プログラムが作ったものです。");
    t.Line();
    TrainDriving(t, diesel);
    TrainSoundChannels(t, diesel);
    TrainPanel(t, cab);
    return Save(outDir, fileName, t, error);
}

bool WriteLineFile(const std::filesystem::path& outDir, const std::string& fileName,
                   const Route& route, const Timetable& timetable, std::string& error) {
    const bool local = timetable.run == RunKind::Local;
    DataText t;
    t.Line(local ? "湾岸線 各駅停車 北浜→港町 路線データ" : "湾岸線 急行 北浜→港町 路線データ");
    t.Line("このファイルは生成プログラムが作ったものです。");
    t.Line();
    t.Value("[LineName]", local ? "湾岸線 各駅停車 北浜→港町" : "湾岸線 急行 北浜→港町");
    t.Value("[DataName]", kDataName);
    t.Value("[StartPos]", route.stations[0].stopFrame);
    t.Value("[StartTime]", timetable.startTime);
    t.Value("[FrameRate]", 30).Value("[Pre_Time]", 60).Value("[OneMan]", local ? 0 : 1);
    t.Line("[Staf]").Line(local ? kStaffLocal : kStaffExpress).Line(kStillPicture);
    t.Value("[Speed_YY]", 25)
        .Value("[Speed_Y]", 45)
        .Value("[Speed_YG]", 65)
        .Value("[Speed_G]", 110);
    t.Line();
    t.Line("- 音 (番号 n は車両の走行音の数 + n のチャンネル)");
    t.Line("[SoundData]");
    for (const std::string& file : LineSoundFiles()) t.Line(file);
    t.Line("#");
    t.Line("- 喚呼音声 (停止, 警戒, 注意, 減速, 進行, 制限, 時刻の差, 延, 回復, 早, 確認, 定時)");
    t.Line("[KankoSound1]");
    for (const Voice& v : FixedCallouts()) t.Line(v.file);
    t.Line("- 信号名などの喚呼音声 (番号順。最後は発車時の出発進行)");
    t.Line("[KankoSound2]");
    for (const Voice& v : NumberedCallouts()) t.Line(v.file);
    t.Line("#");
    t.Line();
    t.Line("[Sound]");
    t.Line("; 対向列車とのすれ違い (一度だけ)");
    t.Fields({N(kPassingTrain), N(route.passingTrain.soundStartFrame),
              N(route.passingTrain.soundStartFrame + 120), "60", "0"});
    t.Line("; 鉄橋 (速度に合わせた音程で繰り返し)");
    t.Fields({N(kBridgeRumble), N(route.bridge.startFrame), N(route.bridge.endFrame), "50", "1"});
    t.Line("; トンネル (一定の音程で繰り返し)");
    t.Fields(
        {N(kTunnelRoar), N(route.tunnels[0].startFrame), N(route.tunnels[0].endFrame), "75", "2"});
    t.Line("#");
    t.Line("- 踏切 (音源の位置と聞こえる範囲 1/100 m)");
    t.Line("[Doppler]");
    for (const PointSite& c : route.crossings)
        t.Fields({N(kCrossingBell), N(c.frame), "20000", "0"});
    t.Line("#");
    t.Line("[Tunnel]");
    for (const Stretch& s : route.tunnels) t.Line(N(s.startFrame)).Line(N(s.endFrame));
    t.Line("#");
    t.Line("- 駅 (駅名, 種別 0停車/1通過/2運転停車, 停車範囲, 発車音, 発車時刻, 戸閉時刻)");
    t.Line("[Station]");
    for (size_t i = 0; i < route.stations.size(); ++i) {
        const StationSite& s = route.stations[i];
        const StationTimes& st = timetable.stations[i];
        const bool passed = st.kind == 1;
        t.Fields({s.name, N(st.kind), N(s.zoneStart), N(s.zoneEnd),
                  N(passed ? 0 : (i % 2 == 0 ? kMelodyA : kMelodyB)), N(passed ? 0 : st.departure),
                  N(passed ? 0 : st.doorClose)});
    }
    t.Line("#");
    t.Line("[StopSound]");
    for (size_t i = 1; i < route.stations.size(); ++i) {
        if (timetable.stations[i].kind != 0) continue;
        t.Line(N(route.FrameAt(route.stations[i].stopMetres - 300)));
    }
    t.Line("#");
    t.Line(
        "- 信号 (制御, 名前, 名前の喚呼, 形式, 表示開始, 信号位置, 警報点, 制限点, 固定現示, "
        "固定の時刻)");
    t.Line("[Signal]");
    for (size_t i = 0; i < route.signals.size(); ++i) {
        const SignalSite& s = route.signals[i];
        int control = 0, aspect = 0, until = 0;
        const bool last = i + 1 == route.signals.size();
        if (last) {
            control = 2;  // into the terminus: always caution
            aspect = 2;
        } else if (local && s.role == SignalRole::Departure &&
                   timetable.stations[static_cast<size_t>(s.station)].kind == 2) {
            control = 1;  // held at danger until the crossing train has passed
            until = timetable.stations[static_cast<size_t>(s.station)].departure;
        }
        t.Fields({N(control), s.name, N(s.callNumber), N(s.type), N(s.viewStart), N(s.frame),
                  N(s.alarmFrame), N(s.frame), N(aspect), N(until)});
    }
    t.Line("#");
    t.Line("- 勾配 (‰, 開始, 終了)");
    t.Line("[Slope]");
    for (const GradeSite& g : route.grades) {
        t.Fields({Decimal(g.permil, 1), N(g.at.startFrame), N(g.at.endFrame)});
    }
    t.Line("#");
    t.Line("[Sign]");
    for (const PointSite& w : route.whistleBoards) {
        t.Fields({N(kSignWhistle), N(route.FrameAt(w.metres - 200)), N(w.frame)});
    }
    for (const PointSite& c : route.crossingBoards) {
        t.Fields({N(kSignCrossing), N(route.FrameAt(c.metres - 150)), N(c.frame)});
    }
    t.Line("#");
    t.Line("[SignalKanko]");
    for (size_t i = 0; i < route.signals.size(); ++i) {
        if (CalledAfterAspect(route.signals[i])) {
            t.Fields({N(static_cast<long long>(i)), "1", N(kNumberedSlotBase + kCallYoshi)});
        }
    }
    t.Line("#");
    t.Line("[StationKanko]");
    t.Line("0,1,2");
    t.Line("2,1,2");
    t.Line("#");
    t.Line("- 速度制限 (速度, 標識, 予備, 開始, 終了)");
    t.Line("[SpeedLimit]");
    t.Fields({N(route.limits[0].speed), N(kSignLimit45), "0", N(route.limits[0].startFrame),
              N(route.limits[0].endFrame)});
    t.Fields({N(route.limits[1].speed), N(kSignLimit35), "0", N(route.limits[1].startFrame),
              N(route.limits[1].endFrame)});
    t.Line("#");
    t.Line("[SpeedCheck]");
    for (const PointSite& c : route.speedChecks) t.Fields({"50", N(c.frame)});
    t.Line("#");
    t.Line("- 車内放送 (音, 位置)");
    t.Line("[Announce]");
    if (local) {
        for (size_t k = 0; k < route.announceLocal.size(); ++k) {
            t.Fields(
                {N(kFirstAnnouncement + static_cast<int>(k)), N(route.announceLocal[k].frame)});
        }
    } else {
        const int base = kFirstAnnouncement + kLocalAnnouncements;
        t.Fields({N(base), N(route.stations[0].stopFrame + 420)});
        t.Fields({N(base + 1), N(route.FrameAt(route.stations[2].stopMetres - 300))});
        t.Fields({N(base + 2), N(route.stations[2].stopFrame + 420)});
        t.Fields({N(base + 3), N(route.FrameAt(route.stations[4].stopMetres - 300))});
    }
    t.Line("#");
    t.Line("- 標識の絵 (停止位置の絵は車両ファイルが先頭に入れる: 上り勾配, 下り勾配)");
    t.Line("[SignImageList]");
    for (const std::string& file : SlopePictureFiles()) t.Line(file);
    t.Line("#");
    t.Line("- 標識の絵と喚呼 (時刻, 制限45, 制限35, 汽笛, 踏切)");
    t.Line("[OtherImageList]");
    for (const SignPicture& s : SignPictures()) t.Line(s.image).Line(s.voice.file);
    t.Line("#");
    t.Line("[SignalImageList]");
    for (const std::string& file : SignalPictureFiles()) t.Line(file);
    t.Line("#");
    t.Line("- 撮影列車の速度 (開始, 終了, 開始時 km/h, 終了時 km/h)");
    t.Line("[SpeedUnit]");
    for (const SpeedUnitData& u : route.units) {
        t.Fields({N(u.StartFrame), N(u.EndFrame), N(u.StartSpeed), N(u.EndSpeed)});
    }
    t.Line("#");
    t.Line("- 時刻確認 (種別, 開始, 終了, 予定時刻)");
    t.Line("[Time]");
    for (size_t k = 0; k < route.timeChecks.size(); ++k) {
        const int32_t f = route.timeChecks[k].frame;
        t.Fields(
            {N(static_cast<long long>(k % 2)), N(f - 120), N(f + 120), N(timetable.timeChecks[k])});
    }
    t.Line("#");
    return Save(outDir, fileName, t, error);
}

bool WriteSupportFiles(const std::filesystem::path& outDir, std::string& error) {
    DataText mascon;
    for (const char* code :
         {"PW1", "PW2", "PW3", "PW4", "PW5", "PW6", "PW0", "BK1", "BK2", "BK3", "BK4",
          "BK5", "BK6", "BK7", "BK8", "BKE", "RVF", "RVN", "RVR", "BT1", "BT3", "BT7"}) {
        mascon.Line(code);
    }
    mascon.Line("#");
    mascon.Line("上の22行がシリアル接続の主幹制御器が送る符号 (5文字まで)。");
    mascon.Line("順に P1〜P4 (5・6行目もP4), 切, B1〜B8, 非常, 前進, 中立, 後退, ボタン1・3・7。");
    if (!Save(outDir, "mascon.dat", mascon, error)) return false;

    DataText labels;
    labels.Line("Kelvaron 表示文字と映像フォルダの設定");
    labels.Value("[Path]", "movie\\");
    labels.Value("[Forward]", "前進").Value("[Neutral]", "中立").Value("[Reverse]", "後退");
    labels.Value("[Stop]", "　停車").Value("[Pass]", "　通過").Value("[Stop2]", "　運転停車");
    labels.Value("[Neut]", "緩め").Value("[Neut2]", "切");
    labels.Value("[Apply]", "ブレーキ").Value("[Maintain]", "保ち").Value("[Hold]", "重なり");
    labels.Value("[Hold2]", "抑速").Value("[EB]", "非常");
    labels.Value("[Start]", "運転開始(&S)").Value("[Move]", "駅へ移動(&M)");
    labels.Line("[Display]").Line("表示(&D)").Line("操作説明(&H)").Line("再描画(&R)");
    labels.Value("[Control]", "コントローラ(&C)");
    if (!Save(outDir, "kelvaron.dat", labels, error)) return false;

    DataText help;
    help.Line("操作説明");
    for (const char* line : {
             "z / a   ノッチ 上げ/下げ",
             ", / .   ブレーキ 緩め/込め",
             "/       非常ブレーキ",
             "8 / 2   ワンハンドル 力行/制動",
             "5       全て緩める",
             "0       非常ブレーキ",
             "f n b   前進 / 中立 / 後退",
             "3 / 6   警笛 / 電子笛",
             "4 / 1   ブザー",
             "d / 7   扉 (ワンマン)",
             "1 / -   車内放送 次/戻す",
             "space   ATS 確認",
             "r       非常の復帰 (停車中)",
             "s / x   変速 上げ/下げ",
             "Enter   指差喚呼",
             "F1      時刻表 出す/しまう",
             "F2 F3   時刻表 上/下",
             "F5      数値ウィンドウ",
             "wheel   ワンハンドル操作",
         }) {
        help.Line(line);
    }
    if (!Save(outDir, "operation.dat", help, error)) return false;

    std::ofstream readme(outDir / "readme.html", std::ios::binary | std::ios::trunc);
    readme << R"(<!DOCTYPE html>
<html lang="ja"><head><meta charset="utf-8"><title>Kelvaron デモ路線 湾岸線</title>
<style>body{font-family:sans-serif;max-width:44em;margin:2em auto;line-height:1.5}
td,th{border:1px solid #999;padding:2px 8px}table{border-collapse:collapse}</style></head>
<body>
<h1>Kelvaron デモ路線 「湾岸線」</h1>
<p>北浜から港町まで約2.6 km、5駅の架空の路線です。運転台からの映像、音、運転台パネル、
データファイルはすべて生成プログラム <code>kelvaron-demo-gen</code> が作ったものです。</p>
<h2>2つの運転</h2>
<table>
<tr><th>ボタン</th><th>列車</th><th>停車駅</th></tr>
<tr><td>上 (急行)</td><td>キハ2000形 気動車 3両 (自動空気ブレーキ、自動変速、速度照査式ATS)</td>
<td>北浜・緑ヶ丘・港町 (桜台・東川は通過、ワンマン運転)</td></tr>
<tr><td>下 (各駅停車)</td><td>1000系 電車 4両 (電気指令式ブレーキ、警報確認式ATS、EB装置)</td>
<td>各駅 (東川は運転停車、車掌乗務)</td></tr>
</table>
<h2>運転のしかた</h2>
<ol><li>メニューの「運転開始」で時計が動き出します。</li>
<li>ブレーキを「,」で緩め、「z」でノッチを入れて発車します (各駅停車は戸閉の後)。</li>
<li>駅が近づいたら「.」でブレーキをかけ、停止位置 (画面右の「停車」表示) の範囲に止めます。</li>
<li>急行はワンマン運転です。停車したら「d」で扉を開け、発車時刻の後に「d」で閉めます。「1」で車内放送。</li></ol>
<p>キーの一覧は表示メニューの「操作説明」にあります。Enter で信号や標識を指差喚呼します。</p>
<h2>見どころ</h2>
<ul><li>桜台の先の対向列車、緑ヶ丘手前の45 km/h制限の曲線、トンネル、鉄橋と2か所の踏切。</li>
<li>先行列車が60秒前を走っており、閉塞信号の現示が変わります。</li>
<li>東川の出発信号は発車時刻まで停止現示、港町の場内信号は常に注意現示です。</li></ul>
</body></html>
)";
    if (!readme) {
        error = "readme.html";
        return false;
    }
    return true;
}

}  // namespace kelvaron::demo
