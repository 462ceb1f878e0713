#include "drive/driving_policy.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "run/signal_image_classes.h"
#include "run/signals.h"
#include "sim/run_clock.h"

namespace kelvaron {

namespace {

constexpr long double kMetre = 100;  // 1/100 m
constexpr int64_t kStepMs = 100;     // the driver acts every 100 ms
// Below a limit the driver keeps this much in hand (km/h).
constexpr long double kBelowLimit = 2;
constexpr long double kBrakeToBelow = 3;
// Power goes on below the speed wanted less this, off above it less that.
constexpr long double kPowerOnBelow = 4;
constexpr long double kPowerOffBelow = 1.5;
// The stop mark is met within these (m): a little more room short than long.
constexpr long double kStopShort = 0.3;
constexpr long double kStopLong = 0.2;
constexpr long double kStopTolerance = 0.5;
// No power against a cylinder holding more than this (kPa).
constexpr long double kReleasedCylinder = 40;
// The vigilance device rings after 60 s without a touch; the driver answers
// well before.
constexpr int32_t kVigilanceAnswer = 250;
// Arrive this much before the departure time (1/30 s), when the time allows.
constexpr int32_t kArriveEarly = 150;
constexpr int32_t kLateTolerance = 450;  // 15 s
constexpr int64_t kLookLimitMs = 240'000;
constexpr int64_t kLegLimitMs = 1'800'000;
constexpr int64_t kFinishAfterMs = 3000;
// A driver held this long where no timetable holds him gives up.
constexpr int64_t kGiveUpMs = 30 * 60 * 1000;
constexpr long double kLowestCap = 20;  // km/h: slower is no way to keep time
constexpr long double kReplanSpan = 6;  // km/h

long double Kmh(const RunState& s) {
    return static_cast<long double>(s.Speed) / kFixed4Scale;
}

long double Ms(long double kmh) {
    return kmh / 3.6L;
}

std::string Metres(long double hundredths) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1Lf m", hundredths / kMetre);
    return text;
}

// The speed a restriction allows, with what the driver keeps in hand.
long double Below(long double limit, long double margin) {
    return limit > margin * 2 ? limit - margin : limit / 2;
}

bool StopKind(const Restriction& r) {
    return r.speed <= 0;
}

}  // namespace

DrivingPolicy::DrivingPolicy(const TrainConfig& train, const LineDefinition& line)
    : ahead_(line, train), levels_(train), topPower_(std::max(train.Power, 1)) {
    deceleration_.resize(static_cast<size_t>(levels_.Top()) + 1);
    for (int32_t e = 0; e <= levels_.Top(); ++e) {
        deceleration_[static_cast<size_t>(e)] = levels_.NominalDeceleration(e) * 0.9L;
    }
}

void DrivingPolicy::LearnDeceleration(int32_t level, long double fromKmh, long double toKmh,
                                      long double metres) {
    if (level <= 0 || level > levels_.Top() || metres < 5 || fromKmh <= toKmh + 5) return;
    const long double measured = (Ms(fromKmh) * Ms(fromKmh) - Ms(toKmh) * Ms(toKmh)) / (2 * metres);
    long double& a = deceleration_[static_cast<size_t>(level)];
    const long double floor = levels_.NominalDeceleration(level) * 0.3L;
    a = std::max(floor, (a + measured) / 2);
}

DriverAction DrivingPolicy::Decide(const DriveView& view, int64_t t, LookAhead* look) {
    DriverAction action;
    const RunState& s = view.state;
    HandleTarget want = HandlesOf(s);
    if (s.HoldPosition) want.brake = 0;
    if (programmed_) {
        const int32_t level = t >= programSwitchAt_ ? programLater_ : programLevel_;
        if (t >= programHoldUntil_) want = {0, levels_.BrakeNotchFor(level, s)};
    } else if (phase_ == Phase::Dwell) {
        Dwell(view, t, look, action, want);
    } else if (phase_ == Phase::Run) {
        Run(view, t, look, want);
    }
    if (finishAt_ >= 0 && t >= finishAt_) phase_ = Phase::Finished;
    Reflexes(view, action, want);
    action.handles = want;
    return action;
}

void DrivingPolicy::Reflexes(const DriveView& view, DriverAction& action, HandleTarget& want) {
    const RunState& s = view.state;
    const TrainConfig& train = view.train;
    const long double v = Kmh(s);
    const bool standing = SpeedRoundsToZero(s);

    if (s.ForcedEB || s.SpeedCheckEB) {
        // The protection has the train: power off, full service, and once
        // standing, the emergency position and the reset a driver gives.
        want = {0, 1 - train.Brake};
        if (s.ForcedEB && standing) action.keys += "0r";
        return;
    }
    // Cab signalling brakes any train that runs on with a stop aspect or
    // over the aspect's speed unless the driver brakes fully himself.
    if (train.ATS_Type == 2) {
        bool hold = false;
        const int32_t image = s.SignalImageIndex;
        if (image != kNone) {
            hold = IsStopImage(image) || (IsYYImage(image) && v > view.line.Speed_YY) ||
                   (IsYImage(image) && v > view.line.Speed_Y) ||
                   (IsYGImage(image) && v > view.line.Speed_YG);
        }
        hold = hold || v > view.line.Speed_G;
        // A stop aspect about to come into view counts already.
        for (const SignalData& signal : view.line.Signal) {
            if (signal.ViewStart <= s.Frame) continue;
            const long double metresToView =
                (FrameDistance(view.line, signal.ViewStart) - s.Distance) / kMetre;
            if (metresToView < Ms(v) * 0.4L + 3 &&
                IsStopImage(SignalImageFor(signal.Type, signal.Aspect))) {
                hold = true;
            }
            break;
        }
        if (hold && !standing) want = {0, 1 - train.Brake};
    }
    // The bell is answered with the brake applied.
    if (s.AtsAlarm) {
        want.power = 0;
        want.brake = std::min(want.brake, -1);
        action.keys += ' ';
    } else if (train.EB == 1 && s.VigilanceTimer > kVigilanceAnswer && v > 1) {
        action.keys += ' ';
    }
    if (s.Reverser != 1 && std::fabs(v) <= 1) action.keys += 'f';

    // A manual gearbox: up a gear at the top of the gear's range, down at its
    // foot, power off while the gear changes.
    if (train.Engine_Type == 0 && train.ManualGears() && !train.Engine.empty()) {
        const auto gears = static_cast<int32_t>(train.Engine.size());
        const GearCurve& engaged =
            train.Engine[static_cast<size_t>(std::clamp(s.EngagedGear, 0, gears - 1))];
        if (s.GearShifted) {
            want.power = 0;
        } else if (standing && s.Gear > 0) {
            if (s.EffectivePower == 0) action.keys += 'x';
        } else if (want.power > 0 && s.Gear + 1 < gears && s.Gear == s.EngagedGear &&
                   v >= engaged.S2 - 1) {
            want.power = 0;
            if (s.EffectivePower == 0) action.keys += 's';
        }
    }
}

void DrivingPolicy::ArriveAt(const DriveView& view, int32_t station) {
    (void)view;
    phase_ = Phase::Dwell;
    station_ = station;
    doorsOpened_ = false;
    doorsClosing_ = false;
    braking_.reset();
    power_ = 0;
}

void DrivingPolicy::Dwell(const DriveView& view, int64_t t, LookAhead* look, DriverAction& action,
                          HandleTarget& want) {
    const RunState& s = view.state;
    const LineDefinition& line = view.line;
    if (station_ < 0) station_ = LineAhead::StopZoneAt(line, s.Frame);
    if (station_ < 0 || static_cast<size_t>(station_) >= line.Station.size() ||
        static_cast<size_t>(station_) >= s.StationFlag.size()) {
        // Not at a platform: straight on to the first stop ahead.
        phase_ = Phase::Run;
        restSince_ = t;
        nextStop_ = -1;
        for (size_t i = 0; i < line.Station.size(); ++i) {
            if (line.Station[i].Kind != 1 && line.Station[i].ZoneEnd >= s.Frame) {
                nextStop_ = static_cast<int32_t>(i);
                break;
            }
        }
        Run(view, t, look, want);
        return;
    }
    want = {0, levels_.StandingNotch()};
    const StationData& st = line.Station[static_cast<size_t>(station_)];
    const StationFlags& flags = s.StationFlag[static_cast<size_t>(station_)];
    const bool last = ahead_.NextStop(line, station_) < 0;
    if (s.DoorsOpen) doorsOpened_ = true;

    // In one-man operation the driver works the doors a conductor would.
    if (line.OneMan == 1 && st.Kind == 0 && SpeedRoundsToZero(s)) {
        if (!doorsOpened_ && !s.DoorsOpen) {
            action.keys += 'd';
            doorsOpened_ = true;
        } else if (!last && flags.doorsClosed && s.DoorsOpen && s.DoorCommand && !doorsClosing_) {
            action.keys += 'd';
            doorsClosing_ = true;
        }
    }
    if (last) {
        // The run ends with the train at rest at the terminus and, in
        // one-man operation, the doors opened by the driver.
        const bool doorsDone = line.OneMan == 0 || st.Kind != 0 || doorsOpened_;
        if (finishAt_ < 0 && doorsDone) finishAt_ = t + kFinishAfterMs;
        return;
    }
    const bool ready = flags.departurePlayed && !s.DoorsOpen && (st.Kind == 2 || flags.doorsClosed);
    if (!ready) return;
    phase_ = Phase::Run;
    restSince_ = t;
    nextStop_ = ahead_.NextStop(line, station_);
    timetablePlanned_ = false;
    speedCap_ = 1e9;
    Run(view, t, look, want);
}

long double DrivingPolicy::CapHere(const DriveView& view,
                                   const std::vector<Restriction>& restrictions) const {
    const RunState& s = view.state;
    long double cap = view.train.MaxSpeed > 0 ? view.train.MaxSpeed - kBelowLimit : 1e9L;
    for (const Restriction& r : restrictions) {
        if (StopKind(r)) continue;
        const bool near = s.Distance >= r.from - ahead_.LimitMargin() && s.Distance <= r.to;
        if (near || r.Holds(s.Frame, s.Distance)) cap = std::min(cap, Below(r.speed, kBelowLimit));
    }
    if (view.train.ATS_Type == 0 && view.train.ATS_Alert == 1 && s.AtsLimit > 0 &&
        s.AtsLimit < kStopAlarm) {
        cap = std::min(cap, Below(s.AtsLimit, kBelowLimit));
    }
    if (view.train.ATS_Type == 2) {
        cap = std::min<long double>(cap, Below(view.line.Speed_G, kBelowLimit));
    }
    return cap;
}

std::vector<DriveTarget> DrivingPolicy::Targets(
    const DriveView& view, const std::vector<Restriction>& restrictions) const {
    const RunState& s = view.state;
    std::vector<DriveTarget> targets;
    for (size_t i = 0; i < restrictions.size(); ++i) {
        const Restriction& r = restrictions[i];
        DriveTarget target;
        target.restriction = static_cast<int32_t>(i);
        if (StopKind(r)) {
            target.at = r.from - ahead_.StopMargin();
            target.speed = 0;
        } else {
            target.at = r.from - ahead_.LimitMargin();
            target.speed = Below(r.speed, kBrakeToBelow);
            if (target.at <= s.Distance) continue;  // in force already: the cap keeps it
        }
        targets.push_back(target);
    }
    if (nextStop_ >= 0 && static_cast<size_t>(nextStop_) < view.line.Station.size()) {
        DriveTarget stop;
        stop.at = view.line.Station[static_cast<size_t>(nextStop_)].StopPosition;
        stop.speed = 0;
        stop.station = true;
        targets.push_back(stop);
    }
    return targets;
}

long double DrivingPolicy::Envelope(const DriveView& view, const DriveTarget& target) const {
    const long double v = Ms(std::max<long double>(Kmh(view.state), 0));
    const long double a = deceleration_[static_cast<size_t>(levels_.Planned())] * 0.9L;
    const long double room = (target.at - view.state.Distance) / kMetre - v * 1.5L;
    const long double vt = Ms(target.speed);
    if (room <= 0) return target.speed;
    return std::sqrt(vt * vt + 2 * a * room) * 3.6L;
}

bool DrivingPolicy::NeedsBraking(const DriveView& view, int64_t t, LookAhead* look,
                                 const DriveTarget& target, int64_t& again) {
    const RunState& s = view.state;
    const long double v = Kmh(s);
    again = t + kStepMs;
    if (v <= target.speed && !target.station) return false;
    const int64_t wait = 400;  // until the next look, and a step of the handle
    if (look == nullptr) {
        const long double a = deceleration_[static_cast<size_t>(levels_.Planned())];
        const long double vm = Ms(v), vt = Ms(target.speed);
        const long double room = (target.at - s.Distance) / kMetre;
        return room - (vm * vm - vt * vt) / (2 * a) - vm * (wait + kStepMs) / 1000.0L < 0;
    }
    DrivingPolicy trial = *this;
    trial.Program(t + wait, levels_.Planned());
    const Outcome o = look->Try(trial, target, kLookLimitMs);
    if (o.reached && !o.violated && o.where <= target.at) {
        LearnDeceleration(levels_.Planned(), v, target.speed, (o.where - s.Distance) / kMetre);
        // Braking later by the room left costs the room at about the present
        // speed: look again when half of it may be gone.
        const long double spare = (target.at - o.where) / kMetre;
        const long double seconds = spare / std::max<long double>(Ms(v), 1) / 2;
        again = t + std::clamp<int64_t>(static_cast<int64_t>(seconds * 1000), kStepMs, 5000);
        return false;
    }
    return true;
}

int32_t DrivingPolicy::KinematicLevel(const DriveView& view, const DriveTarget& target) const {
    const RunState& s = view.state;
    const long double vm = Ms(Kmh(s)), vt = Ms(target.speed);
    const long double room = (target.at - s.Distance) / kMetre;
    if (room <= 0.5L) return levels_.Top();
    // The level nearest to what is wanted: looked at again every step, the
    // choice swings around the wanted braking as a driver's hand does.
    const long double wanted = (vm * vm - vt * vt) / (2 * room);
    int32_t nearest = levels_.Top();
    for (int32_t e = 1; e <= levels_.Top(); ++e) {
        const long double a = deceleration_[static_cast<size_t>(e)];
        const long double best = deceleration_[static_cast<size_t>(nearest)];
        if (std::fabs(a - wanted) < std::fabs(best - wanted)) nearest = e;
    }
    return nearest;
}

DrivingPolicy::BrakePlan DrivingPolicy::ChooseLevel(const DriveView& view, int64_t t,
                                                    LookAhead* look, const DriveTarget& target) {
    BrakePlan plan;
    if (look == nullptr) {
        plan.level = KinematicLevel(view, target);
        return plan;
    }
    const RunState& s = view.state;
    const long double v = Kmh(s);
    struct Trial {
        bool ok = false;
        long double error = 0;  // stations: m past the mark (+) or short (-)
        int64_t when = 0;
    };
    auto trial = [&](int32_t level, int64_t switchAt = kNever, int32_t later = 0) {
        DrivingPolicy copy = *this;
        copy.Program(t, level, switchAt, later);
        const Outcome o = look->Try(copy, target, kLookLimitMs);
        Trial r;
        r.when = o.when;
        if (target.station) {
            r.error = o.reached ? (o.where - target.at) / kMetre : 1e6L;
            r.ok = o.reached && !o.violated && r.error <= kStopLong && r.error >= -kStopShort;
        } else {
            r.ok = o.reached && !o.violated && o.where <= target.at;
            r.error = r.ok ? -1 : 1;
        }
        if (o.reached && switchAt == kNever) {
            LearnDeceleration(level, v, target.speed, (o.where - s.Distance) / kMetre);
        }
        return r;
    };

    const int32_t current = std::clamp(level_, 0, levels_.Top());
    // The plan in hand first: if it still meets the target, it stays.
    if (switchAt_ != kNever) {
        const Trial held = trial(current, switchAt_, laterLevel_);
        if (held.ok) {
            plan = {current, switchAt_, laterLevel_, true};
            return plan;
        }
    }
    const Trial now = trial(current);
    plan.level = current;
    plan.settled = now.ok;
    if (!target.station) {
        if (now.ok) {
            // Brake no harder than needed: try one step less.
            if (current > 1 && trial(current - 1).ok) plan.level = current - 1;
            return plan;
        }
        for (int32_t e = current + 1; e <= levels_.Top(); ++e) {
            if (trial(e).ok) {
                plan.level = e;
                plan.settled = true;
                return plan;
            }
        }
        plan.level = levels_.Top();
        return plan;
    }
    if (now.ok) return plan;

    // A stop: find the two levels whose stops lie either side of the mark.
    const int32_t step = now.error > 0 ? 1 : -1;
    int32_t weak = current, strong = current;
    Trial weakTrial = now, strongTrial = now;
    bool bracketed = false;
    for (int32_t e = current + step; e >= 0 && e <= levels_.Top(); e += step) {
        const Trial next = trial(e);
        if (next.ok) {
            plan.level = e;
            plan.settled = true;
            return plan;
        }
        if ((next.error > 0) != (now.error > 0)) {
            if (step > 0) {
                strong = e;
                strongTrial = next;
                weak = e - 1;
            } else {
                weak = e;
                weakTrial = next;
                strong = e + 1;
            }
            bracketed = true;
            break;
        }
        if (step > 0)
            weakTrial = next;
        else
            strongTrial = next;
    }
    if (!bracketed) {
        plan.level = step > 0 ? levels_.Top() : 0;
        return plan;
    }
    // Brake at the stronger level, then ease to the weaker one: the later the
    // change, the shorter the stop. The moment that lands on the mark is
    // found by halving, in the driver's steps of 100 ms.
    plan.level = strong;
    plan.later = weak;
    int64_t lo = 0;
    int64_t hi = std::max<int64_t>((strongTrial.when - t) / kStepMs, 1);
    long double best = 1e9L;
    while (lo <= hi) {
        const int64_t mid = (lo + hi) / 2;
        const Trial r = trial(strong, t + mid * kStepMs, weak);
        if (std::fabs(r.error) < best) {
            best = std::fabs(r.error);
            plan.switchAt = t + mid * kStepMs;
            plan.settled = r.ok;
        }
        if (r.ok) break;
        if (r.error > 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    if (plan.switchAt == t) {
        plan.level = weak;
        plan.switchAt = kNever;
    }
    return plan;
}

void DrivingPolicy::PlanTimetable(const DriveView& view, int64_t t, LookAhead* look) {
    nextTimetablePlan_ = kNever;
    if (nextStop_ < 0 || static_cast<size_t>(nextStop_) >= view.line.Station.size()) return;
    const RunState& s = view.state;
    const StationData& st = view.line.Station[static_cast<size_t>(nextStop_)];
    const int32_t aim = st.DepartureTime - kArriveEarly;
    auto arrival = [&](long double cap) {
        DrivingPolicy copy = *this;
        copy.speedCap_ = cap;
        return look->Arrive(copy, nextStop_, kLegLimitMs);
    };
    auto note = [&](const std::string& key, const char* format, int32_t clock) {
        char text[200];
        std::snprintf(text, sizeof text, format, st.Name.c_str(), timecalc(clock).c_str(),
                      std::fabs(static_cast<long double>(clock - st.DepartureTime)) / 30);
        report_.Add(key + std::to_string(nextStop_),
                    {s.ClockTicks, s.Distance / kMetre, Place(view), text});
    };
    // Looked at again on the way, the cap moves a little: a narrow search
    // around it, unless even a little faster is too slow.
    const bool again = timetablePlanned_ && speedCap_ < 1e9L;
    timetablePlanned_ = true;
    long double lo = kLowestCap, hi = 0;
    Outcome chosen;
    if (again) {
        chosen = arrival(speedCap_ + kReplanSpan);
        if (chosen.arrived && chosen.arrivalClock <= aim) {
            lo = std::max(kLowestCap, speedCap_ - kReplanSpan);
            hi = speedCap_ + kReplanSpan;
        }
    }
    if (hi == 0) {
        const Outcome fastest = arrival(1e9L);
        if (!fastest.arrived) return;
        speedCap_ = 1e9L;
        if (fastest.arrivalClock >= aim) {
            if (fastest.arrivalClock > st.DepartureTime + kLateTolerance) {
                note("late",
                     "the timetable cannot be kept: at the line's limits the train reaches %s at "
                     "%s at the earliest, %.0Lf s after its time",
                     fastest.arrivalClock);
            }
            return;
        }
        hi = std::max(fastest.maxSpeed, kLowestCap);
        chosen = fastest;
    }
    // The slowest cap that still arrives in time, found by halving.
    const long double top = hi;
    for (int i = 0; i < (again ? 3 : 4); ++i) {
        const long double mid = (lo + hi) / 2;
        const Outcome o = arrival(mid);
        if (o.arrived && o.arrivalClock <= aim) {
            hi = mid;
            chosen = o;
        } else {
            lo = mid;
        }
    }
    speedCap_ = hi < top || again ? hi : 1e9L;
    if (hi < kLowestCap + kReplanSpan) {
        const Outcome slowest = arrival(kLowestCap);
        if (slowest.arrived && slowest.arrivalClock < st.DepartureTime - kLateTolerance) {
            note("early",
                 "the timetable leaves more time than a train needs: driving slowly the train "
                 "reaches %s at %s, %.0Lf s before its time",
                 slowest.arrivalClock);
        }
    }
    // Halfway there the plan is looked at again, with what the run has
    // learned about its braking on the way.
    const int64_t toGo = static_cast<int64_t>(chosen.arrivalClock - s.ClockTicks) * 1000 / 30;
    if (toGo > 60'000) nextTimetablePlan_ = t + toGo / 2;
}

std::string DrivingPolicy::Place(const DriveView& view) const {
    return PlaceOnLine(view.line, view.state.Frame);
}

void DrivingPolicy::Run(const DriveView& view, int64_t t, LookAhead* look, HandleTarget& want) {
    const RunState& s = view.state;
    const LineDefinition& line = view.line;
    const long double v = Kmh(s);
    const std::vector<Restriction> restrictions = ahead_.From(s, line);

    // Arrival: standing in the zone of the station the run was heading for.
    if (nextStop_ >= 0 && AtRest(s) && LineAhead::StopZoneAt(line, s.Frame) == nextStop_) {
        const long double error =
            (s.Distance - line.Station[static_cast<size_t>(nextStop_)].StopPosition) / kMetre;
        // A copy takes any stop in the zone: it only wants the time.
        const bool canCreep = look != nullptr && !s.DoorsOpen && error < -kStopTolerance;
        if (!canCreep) {
            if (look != nullptr && std::fabs(error) > kStopTolerance) {
                report_.Add("stop " + std::to_string(nextStop_),
                            {s.ClockTicks, s.Distance / kMetre, Place(view),
                             "stopped " + Metres(std::fabs(error) * kMetre) +
                                 (error > 0 ? " past" : " short of") + " the stop mark"});
            }
            ArriveAt(view, nextStop_);
            want = {0, levels_.StandingNotch()};
            return;
        }
    }

    if (look != nullptr && nextStop_ >= 0 && (!timetablePlanned_ || t >= nextTimetablePlan_)) {
        PlanTimetable(view, t, look);
    }

    const std::vector<DriveTarget> targets = Targets(view, restrictions);
    const long double capHere = CapHere(view, restrictions);
    long double cap = std::min(capHere, speedCap_);
    for (const DriveTarget& target : targets) cap = std::min(cap, Envelope(view, target));

    // Still braking for a target that has gone (a signal cleared) or is met?
    if (braking_) {
        const bool stillThere =
            std::find(targets.begin(), targets.end(), *braking_) != targets.end();
        const bool met =
            braking_->station ? false : (braking_->speed > 0 ? v <= braking_->speed : AtRest(s));
        if (!stillThere || met || (braking_->station && AtRest(s))) braking_.reset();
    }

    if (!AtRest(s)) restSince_ = t;
    if (look != nullptr && t - restSince_ > kGiveUpMs) {
        report_.Add("held", {s.ClockTicks, s.Distance / kMetre, Place(view),
                             "the train stood here for 30 minutes; the driver gave up"});
        phase_ = Phase::Finished;
        return;
    }

    // Standing before a signal at danger: wait for it to clear.
    for (const DriveTarget& target : targets) {
        if (target.speed > 0 || target.station) continue;
        if (AtRest(s) && target.at - s.Distance < 60 * kMetre) {
            want = {0, levels_.StandingNotch()};
            return;
        }
    }

    if (!braking_) {
        // The targets near enough to brake for soon, most pressing first,
        // each looked at again only when its room may have run out.
        std::vector<std::pair<DriveTarget, int64_t>> kept;
        std::vector<std::pair<long double, DriveTarget>> urgent;
        const long double a = deceleration_[static_cast<size_t>(levels_.Planned())];
        for (const DriveTarget& target : targets) {
            const long double vm = Ms(std::max<long double>(v, 0)), vt = Ms(target.speed);
            const long double room = (target.at - s.Distance) / kMetre;
            const long double need = vm > vt ? (vm * vm - vt * vt) / (2 * a) : 0;
            const long double slack = room - need;
            if (slack < vm * 8 + 40 && (vm > vt || target.station))
                urgent.emplace_back(slack, target);
        }
        std::sort(urgent.begin(), urgent.end(),
                  [](const auto& x, const auto& y) { return x.first < y.first; });
        for (const auto& [slack, target] : urgent) {
            int64_t due = t;
            for (const auto& [seen, when] : nextLook_) {
                if (seen == target) due = when;
            }
            if (t >= due && NeedsBraking(view, t, look, target, due)) {
                braking_ = target;
                level_ = std::max(levels_.Planned(), KinematicLevel(view, target));
                switchAt_ = kNever;
                nextRefine_ = t;
                levelSettled_ = false;
                break;
            }
            kept.emplace_back(target, due);
        }
        nextLook_ = std::move(kept);
    }

    if (braking_) {
        if (t >= switchAt_) {
            level_ = laterLevel_;
            switchAt_ = kNever;
        }
        if (t >= nextRefine_) {
            const BrakePlan plan = ChooseLevel(view, t, look, *braking_);
            level_ = plan.level;
            switchAt_ = plan.switchAt;
            laterLevel_ = plan.later;
            levelSettled_ = plan.settled;
            const long double room = (braking_->at - s.Distance) / kMetre;
            nextRefine_ = t + (v > 40 ? 5 : v > 15 ? 3 : 1) * kStepMs;
            if (room < 30) nextRefine_ = t + kStepMs;
            // Holding a level that meets the target needs no more looks, but
            // one now and then costs little and catches the unforeseen.
            if (levelSettled_) nextRefine_ = t + 2000;
        }
        want = {0, levels_.BrakeNotchFor(level_, s)};
        power_ = 0;
        return;
    }

    // Cruising: power up to the speed wanted, coast near it, brake lightly
    // where a grade would carry the train over it.
    if (v > capHere + 1) {
        const int32_t level =
            std::min<int32_t>(levels_.Top(), 1 + static_cast<int32_t>((v - capHere) / 4));
        want = {0, levels_.BrakeNotchFor(level, s)};
        power_ = 0;
        return;
    }
    // Creeping up to the stop mark wants the first notch only.
    const bool nearMark =
        nextStop_ >= 0 &&
        view.line.Station[static_cast<size_t>(nextStop_)].StopPosition - s.Distance < 80 * kMetre;
    if (v < cap - kPowerOnBelow) {
        power_ = nearMark && v < 15 ? 1 : topPower_;
    } else if (v >= cap - kPowerOffBelow) {
        power_ = 0;
    }
    if (power_ > 0 && static_cast<long double>(s.BcPressure) / kFixed4Scale > kReleasedCylinder) {
        want = {0, 0};
        return;
    }
    want = {power_, 0};
}

}  // namespace kelvaron
