#include "drive_scripts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "data_files.h"
#include "platform/headless/fake_video_reader.h"
#include "platform/headless/memory_settings_store.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "platform/headless/stderr_message_box.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/qt/qt_picture_loader.h"
#include "shell/run_script.h"
#include "shell/run_window.h"
#include "sim/scheduler.h"

namespace kelvaron::demo {

namespace {

constexpr int64_t kStepMs = 100;
constexpr int64_t kGiveUpMs = 20 * 60 * 1000;
constexpr double kPlannedDecel = 0.5;  // m/s², the driver's comfortable braking
constexpr double kLimitDecel = 0.45;   // m/s², braking down to a speed limit

struct Plan {
    const char* label;
    const char* train;
    const char* line;
    const char* script;
    bool electric;
    double lineSpeed;  // km/h
    int maxPower;
    double fullDecel;           // m/s² at full service brake
    double loseElec;            // km/h below which the brake shoes alone brake
    std::vector<size_t> stops;  // stations stopped at after the first
};

// One run driven from start to the terminus; every input is recorded with
// its virtual time in the runner's script format.
class Driver : public SchedulerClient {
  public:
    Driver(RunWindow& window, VirtualMixer& mixer, const Route& route, const Plan& plan)
        : window_(window), mixer_(mixer), route_(route), plan_(plan) {
        driven_.stations.assign(route.stations.size(), 0);
        driven_.timeChecks.assign(route.timeChecks.size(), 0);
    }

    void OnTick(int64_t t) override {
        mixer_.SetTime(t);
        window_.MMTimer1Timer();
    }
    void OnRefresh(int64_t t) override {
        mixer_.SetTime(t);
        window_.Timer1Timer();
    }

    bool Drive(std::string& error) {
        Record(0, "start");
        window_.start1Click();
        scheduler_.Start(0);
        holdBrake_ = plan_.electric ? 7 : 1;  // out of emergency; the express charges its pipe
        // As the runner plays a script: every input of one moment comes before
        // that moment's tick and refresh.
        for (int64_t t = kStepMs / 2; t < kGiveUpMs; t += kStepMs) {
            scheduler_.AdvanceBefore(t, *this);
            mixer_.SetTime(t);
            if (!Step(t, error)) return false;
            if (finished_) return true;
            scheduler_.AdvanceTo(t, *this);
        }
        error = std::string(plan_.label) + ": the run did not reach the terminus in time";
        return false;
    }

    const std::string& Script() const { return script_; }
    const DrivenTimes& Driven() const { return driven_; }

  private:
    enum class Phase { Dwell, Drive };

    const RunState& S() const { return window_.State(); }
    double Speed() const { return static_cast<double>(S().Speed) / 10000.0; }
    double Metres() const { return static_cast<double>(S().Distance) / 100.0; }
    const StationData& Station(size_t i) const { return window_.Line().Station[i]; }

    void Record(int64_t t, const std::string& command) {
        script_ += std::to_string(t) + " " + command + "\n";
    }
    void Comment(const std::string& text) { script_ += "# " + text + "\n"; }

    void Press(int64_t t, char c) {
        window_.Input().TypedChar(c);
        Record(t, c == ' ' ? std::string("char space") : std::string("char ") + c);
    }
    void Enter(int64_t t) {
        window_.Input().KeyDown(kKeyReturn, false);
        Record(t, "key RETURN");
    }

    bool Step(int64_t t, std::string& error) {
        if (S().ForcedEB) {
            error = std::string(plan_.label) + ": an emergency brake was forced at frame " +
                    std::to_string(S().Frame);
            return false;
        }
        NotePassing();
        if (phase_ == Phase::Dwell) {
            Dwell(t);
        } else if (!DriveOn(t, error)) {
            return false;
        }
        if (finished_) return true;
        Protection(t);
        Habits(t);
        MoveHandles(t);
        return true;
    }

    // The clock at the first step past each passed station and timing point.
    void NotePassing() {
        const double here = Metres();
        for (size_t i = 0; i < route_.stations.size(); ++i) {
            const bool passed =
                std::find(plan_.stops.begin(), plan_.stops.end(), i) == plan_.stops.end();
            if (i > 0 && passed && driven_.stations[i] == 0 &&
                here >= route_.stations[i].stopMetres) {
                driven_.stations[i] = S().ClockTicks;
            }
        }
        for (size_t k = 0; k < route_.timeChecks.size(); ++k) {
            if (driven_.timeChecks[k] == 0 && here >= route_.timeChecks[k].metres) {
                driven_.timeChecks[k] = S().ClockTicks;
            }
        }
    }

    // Standing at station `at_`: hold the brake, work the doors, leave.
    void Dwell(int64_t t) {
        const StationData& st = Station(at_);
        const bool last = at_ + 1 == route_.stations.size();
        wantPower_ = 0;
        wantBrake_ = holdBrake_;
        if (S().DoorsOpen) sawDoorsOpen_ = true;
        bool ready = false;
        if (plan_.electric) {
            if (st.Kind == 2) {
                ready = S().ClockTicks > st.DepartureTime + 60;
            } else {
                ready = sawDoorsOpen_ && !S().DoorsOpen && S().ClockTicks > st.DepartureTime;
            }
            if (last && sawDoorsOpen_ && t - arrivedAt_ > 6000) Finish(t);
        } else {
            if (at_ > 0 && !openPressed_ && !S().DoorsOpen && t - arrivedAt_ > 1500) {
                Press(t, 'd');
                openPressed_ = true;
            }
            if (last) {
                if (S().DoorsOpen && t - arrivedAt_ > 8000) Finish(t);
                return;
            }
            if (S().DoorsOpen && !closePressed_ && S().ClockTicks > st.DepartureTime + 9 * 30) {
                Press(t, 'd');
                closePressed_ = true;
            }
            ready = closePressed_ && !S().DoorsOpen;
        }
        if (ready && !last) {
            Comment("depart from station " + std::to_string(at_));
            phase_ = Phase::Drive;
            next_ = NextStop();
            stopping_ = false;
            wantBrake_ = 0;
        }
    }

    size_t NextStop() const {
        for (size_t i : plan_.stops) {
            if (i > at_) return i;
        }
        return at_;
    }

    void Finish(int64_t t) {
        Comment("terminus reached");
        Record(t, "close");
        finished_ = true;
    }

    // The speed a careful driver allows here: the line speed, the limits in
    // force and those ahead braked down to in time.
    double TargetSpeed() const {
        double target = plan_.lineSpeed;
        const double here = Metres();
        for (const LimitSite& l : route_.limits) {
            const double allowed = l.speed - 3;
            if (here >= l.startMetres - 3 && here <= l.endMetres) {
                target = std::min(target, allowed);
            } else if (l.startMetres > here) {
                const double room = std::max(0.0, l.startMetres - here - 15);
                const double v = std::sqrt(std::pow(allowed / 3.6, 2) + 2 * kLimitDecel * room);
                target = std::min(target, v * 3.6);
            }
        }
        return target;
    }

    bool DriveOn(int64_t t, std::string& error) {
        const double v = Speed();
        const double ms = v / 3.6;
        const StationData& st = Station(next_);
        const double toStop = st.StopPosition / 100.0 - Metres();
        if (S().Speed == 0 && S().Frame >= st.ZoneStart && S().Frame <= st.ZoneEnd &&
            (stopping_ || creeping_)) {
            char text[96];
            std::snprintf(text, sizeof text, "stopped %.1f m from the mark", -toStop);
            Comment(text);
            driven_.stations[next_] = S().ClockTicks;
            at_ = next_;
            phase_ = Phase::Dwell;
            arrivedAt_ = t;
            sawDoorsOpen_ = openPressed_ = closePressed_ = creeping_ = false;
            holdBrake_ = plan_.electric ? 5 : 2;
            return true;
        }
        if (toStop < -8) {
            error = std::string(plan_.label) + ": overran the stop at station " +
                    std::to_string(next_) + " by " + std::to_string(-toStop) + " m";
            return false;
        }
        // Stopped short of the zone: creep up on power notch 1.
        if (S().Speed == 0 && stopping_) {
            creeping_ = true;
            stopping_ = false;
        }
        if (creeping_) {
            wantBrake_ = 0;
            wantPower_ = v < 6 && toStop > 4 ? 1 : 0;
            if (v >= 6 || toStop <= 4) {
                creeping_ = false;
                stopping_ = true;
            }
            return true;
        }
        if (!stopping_ && toStop - 2 < ms * ms / (2 * kPlannedDecel) + ms * 1.5) stopping_ = true;
        if (stopping_) {
            wantPower_ = 0;
            const double need = ms * ms / (2 * std::max(0.3, toStop - 0.5));
            BrakeFor(need);
            return true;
        }
        const double target = TargetSpeed();
        if (v < target - 6) {
            wantPower_ = plan_.maxPower;
        } else if (v >= target - 1.5) {
            wantPower_ = 0;
        }
        if (v > target + 1.5) {
            wantPower_ = 0;
            BrakeFor(std::min(0.6, (v - target) / 3.6 * 0.4));
        } else {
            BrakeFor(0);
        }
        return true;
    }

    // Sets the brake for a deceleration in m/s²: service steps on the
    // electric train, apply-lap-release on the automatic air brake.
    void BrakeFor(double decel) {
        // Below the speed where the electric brake fades the shoes grip harder.
        const double v = Speed();
        const auto shoe = [](double x) { return 0.32 * (1 + 0.01 * x) / (1 + 0.05 * x); };
        if (v > 0 && v < plan_.loseElec) decel *= shoe(plan_.loseElec) / shoe(v);
        if (plan_.electric) {
            const double share = decel / plan_.fullDecel;
            wantBrake_ = decel <= 0 ? 0 : std::clamp(static_cast<int>(std::ceil(share * 7)), 1, 7);
            return;
        }
        const double bc = static_cast<double>(S().BcPressure) / 10000.0;
        const double wanted =
            decel <= 0 ? 0 : std::clamp(decel / plan_.fullDecel * 390, 60.0, 390.0);
        if (wanted <= 0) {
            wantBrake_ = 0;
        } else if (bc < wanted - 15) {
            wantBrake_ = 3;
        } else if (bc > wanted + 50) {
            wantBrake_ = 0;
        } else {
            wantBrake_ = 2;
        }
    }

    // ATS alarms are confirmed with the brake applied.
    void Protection(int64_t t) {
        if (!S().AtsAlarm || S().ForcedEB) return;
        if (S().BrakeNotch >= 0) {
            Press(t, '.');
        } else {
            Press(t, ' ');
            Comment("ATS alarm confirmed");
        }
    }

    // What a driver does besides the handles: calls the signal ahead and the
    // time-check prompts, sounds the horn at the whistle and crossing boards,
    // gives the one-man announcements, and keeps the vigilance device quiet.
    void Habits(int64_t t) {
        const RunState& s = S();
        if (s.CurrentSignal != kNone && s.CurrentSignal != lastSignal_ && Speed() > 5) {
            lastSignal_ = s.CurrentSignal;
            callAt_ = t + 600;
        }
        if ((s.PromptImage == 900 || s.PromptImage == 901) && !promptCalled_ && Speed() > 5) {
            promptCalled_ = true;
            callAt_ = t + 400;
        }
        if (s.PromptImage == kNone) promptCalled_ = false;
        if (callAt_ > 0 && t >= callAt_) {
            Enter(t);
            callAt_ = 0;
        }
        const double here = Metres();
        for (size_t i = 0; i < horns_.size(); ++i) {
            if (!hornDone_[i] && here > horns_[i] - 60 && here < horns_[i]) {
                hornDone_[i] = true;
                Press(t, '3');
            }
        }
        if (!plan_.electric && phase_ == Phase::Drive && announced_ < 4) {
            const double toStop = Station(next_).StopPosition / 100.0 - here;
            const bool leaving = announced_ % 2 == 0 && Speed() > 15;
            const bool nearing = announced_ % 2 == 1 && toStop < 400;
            if (leaving || nearing) {
                Press(t, '1');
                ++announced_;
            }
        }
        if (s.VigilanceTimer > 400 && Speed() > 5) Press(t, 'a');
    }

    void MoveHandles(int64_t t) {
        const int brake = -wantBrake_;
        if (S().BrakeNotch < brake) {
            Press(t, ',');
        } else if (S().BrakeNotch > brake) {
            Press(t, '.');
        }
        if (wantPower_ > S().PowerNotch && S().BrakeNotch == 0) {
            Press(t, 'z');
        } else if (wantPower_ < S().PowerNotch) {
            Press(t, 'a');
        }
    }

  public:
    void HornAt(double metres) {
        horns_.push_back(metres);
        hornDone_.push_back(false);
    }

  private:
    RunWindow& window_;
    VirtualMixer& mixer_;
    const Route& route_;
    const Plan& plan_;
    Scheduler scheduler_;
    std::string script_;

    Phase phase_ = Phase::Dwell;
    size_t at_ = 0, next_ = 0;
    int64_t arrivedAt_ = 0;
    bool sawDoorsOpen_ = false, openPressed_ = false, closePressed_ = false;
    bool stopping_ = false, creeping_ = false, finished_ = false;
    int wantPower_ = 0, wantBrake_ = 0, holdBrake_ = 0;
    int32_t lastSignal_ = kNone;
    bool promptCalled_ = false;
    int64_t callAt_ = 0;
    int announced_ = 0;
    DrivenTimes driven_;
    std::vector<double> horns_;
    std::vector<bool> hornDone_;
};

// One drive of a run on the line file as it stands; its script and times.
bool DriveOnce(const std::filesystem::path& outDir, const Route& route, const Plan& plan,
               std::string& script, DrivenTimes& driven, std::string& error) {
    VirtualMixer mixer(nullptr, false);
    FakeVideoReader video;
    video.frameCountWhenOpen = route.lastFrame;
    QtPictureLoader pictures;
    ScriptedJoystick joystick;
    ScriptedSerialPort serial;
    MemorySettingsStore settings;
    StderrMessageBox messages;
    PlatformServices services{mixer, video, pictures, joystick, serial, settings, messages};
    RunWindow window(services, outDir, plan.train, plan.line);
    if (!window.FormCreate()) {
        error = std::string(plan.label) + ": " + window.StartupError();
        return false;
    }
    Driver driver(window, mixer, route, plan);
    for (const PointSite& w : route.whistleBoards) driver.HornAt(w.metres);
    for (const PointSite& c : route.crossingBoards) driver.HornAt(c.metres);
    if (!driver.Drive(error)) return false;
    window.FormCloseQuery();
    script = driver.Script();
    driven = driver.Driven();
    return true;
}

bool DriveRun(const std::filesystem::path& outDir, const Route& route, const Plan& plan,
              Timetable& timetable, std::string& error) {
    std::string script;
    bool settled = false;
    // Each pass settles at least the next stop's departure.
    for (size_t pass = 0; pass <= route.stations.size() && !settled; ++pass) {
        DrivenTimes driven;
        if (!WriteLineFile(outDir, plan.line, route, timetable, error) ||
            !DriveOnce(outDir, route, plan, script, driven, error)) {
            return false;
        }
        settled = !AdoptDrivenTimes(timetable, driven);
    }
    // The time checks and arrivals may have moved without moving a departure.
    if (!settled || !WriteLineFile(outDir, plan.line, route, timetable, error)) {
        if (error.empty()) error = std::string(plan.label) + ": the timetable does not settle";
        return false;
    }

    std::ofstream out(outDir / plan.script, std::ios::binary | std::ios::trunc);
    out << "# The " << plan.label << " run from the first station to the terminus, as the\n"
        << "# generator's driver drove it (milliseconds of virtual time, command):\n"
        << "#   kelvaron --headless --data DIR --train " << plan.train << " --line " << plan.line
        << " --script " << plan.script << "\n"
        << script;
    if (!out) {
        error = plan.script;
        return false;
    }
    return true;
}

}  // namespace

bool WriteDriveScripts(const std::filesystem::path& outDir, const Route& route, Timetable& local,
                       Timetable& express, std::string& error) {
    const Plan localPlan{
        "local", "train_1000.dat", "line_local.dat", "drive_local.txt", true, 65, 4, 3.5 / 3.6,
        8,       {1, 2, 3, 4}};
    const Plan expressPlan{"express",
                           "train_2000.dat",
                           "line_exp.dat",
                           "drive_express.txt",
                           false,
                           80,
                           5,
                           3.2 / 3.6,
                           20,
                           {2, 4}};
    return DriveRun(outDir, route, localPlan, local, error) &&
           DriveRun(outDir, route, expressPlan, express, error);
}

}  // namespace kelvaron::demo
