#include "input/rx_char.h"

#include "common/common_util.h"
#include "input/handle_operations.h"
#include "input/masconupdate.h"

namespace kelvaron {

namespace {

// The controller's positions are written as they come, only bounded to the
// train's own notches: a controller with more brake steps than the train
// must not leave the handle beyond EB (or the power beyond the top notch).
void SetHandles(RunContext& run, int32_t power, int32_t brake) {
    RunState& s = run.state;
    s.PowerNotch = ClampNotch(power, run.train.Power, run.train.Brake);
    s.BrakeNotch = ClampNotch(brake, run.train.Power, run.train.Brake);
    s.PowerMoved = true;
    s.BrakeMoved = true;
    s.SapMoved = true;
    masconupdate(run);
}

void ApplyLine(RunContext& run, int line, PostedInputQueue& posted) {
    // Lines 4 and 5 are the controller's fifth and sixth notches, which the
    // trains take as their fourth.
    static constexpr int32_t kPowerOfLine[] = {1, 2, 3, 4, 4, 4, 0};
    if (line <= 6) {
        SetHandles(run, kPowerOfLine[line], 0);
    } else if (line <= 14) {
        SetHandles(run, 0, 6 - line);
    } else if (line == 15) {
        SetHandles(run, 0, -8);
        Restart(run.mixer, run.train.Sound_EB);
    } else if (line <= 18) {
        if (!ReverserMayMove(run.state)) return;
        run.state.Reverser = 17 - line;
        masconupdate(run);
    } else if (line == 19) {
        PostChar(posted, '1');
    } else if (line == 20) {
        PostChar(posted, '3');
    } else if (line == 21) {
        PostChar(posted, '7');
    }
}

// Dropped bytes are shown escaped where they are not printable, and only the
// latest of them: a noisy line must not grow the caption without end.
std::string Visible(std::string_view noise) {
    constexpr size_t kNoiseShown = 16;
    if (noise.size() > kNoiseShown) noise = noise.substr(noise.size() - kNoiseShown);
    std::string text;
    for (const char c : noise) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            text += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
        }
    }
    return text;
}

void Apply(RunContext& run, const std::vector<SerialPiece>& pieces, const MasconCodes& codes,
           PostedInputQueue& posted) {
    std::string caption;
    for (const SerialPiece& piece : pieces) {
        if (piece.kind == SerialPiece::Kind::Noise) {
            caption += Visible(piece.text);
            continue;
        }
        caption = piece.text;
        for (int line = 0; line < kMasconMeaningfulLines; ++line) {
            if (codes[static_cast<size_t>(line)] == piece.text) ApplyLine(run, line, posted);
        }
    }
    if (!pieces.empty()) run.state.ValueWindowCaption = std::move(caption);
}

}  // namespace

void RxChar(RunContext& run, SerialPort& port, int count, int64_t nowMs, SerialFramer& framer,
            const MasconCodes& codes, PostedInputQueue& posted) {
    run.state.VigilanceTimer = 0;
    run.mixer.Stop(run.train.Sound_EBring);
    run.panel.SetVisible("Lamp_EB", false);
    Apply(run, framer.Receive(port.Read(count), nowMs), codes, posted);
}

void SerialWaitOver(RunContext& run, int64_t nowMs, SerialFramer& framer, const MasconCodes& codes,
                    PostedInputQueue& posted) {
    Apply(run, framer.Expire(nowMs), codes, posted);
}

}  // namespace kelvaron
