#include "platform/ffmpeg/ffmpeg_video_reader.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>
#include <string>
#include <system_error>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/common.h>
#include <libavutil/dict.h>
#include <libswscale/swscale.h>
}

#include "platform/ffmpeg/restricted_input.h"
#include "platform/ffmpeg/sound_track.h"

namespace kelvaron {

namespace {

// Index given to a frame without a time stamp whose place is not known.
constexpr int64_t kUnknown = std::numeric_limits<int64_t>::min();
constexpr int64_t kFarIndex = int64_t{1} << 40;

// Without a keyframe index, a forward step longer than this jumps instead of
// decoding every frame on the way.
constexpr int64_t kPlayOnLimit = 100;

bool Valid(AVRational r) {
    return r.num > 0 && r.den > 0;
}

// The full-range ("J") pixel formats are their plain counterparts with the
// full range set on the scaler.
AVPixelFormat PlainFormat(AVPixelFormat format, bool& fullRange) {
    switch (format) {
        case AV_PIX_FMT_YUVJ420P:
            fullRange = true;
            return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P:
            fullRange = true;
            return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P:
            fullRange = true;
            return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P:
            fullRange = true;
            return AV_PIX_FMT_YUV440P;
        case AV_PIX_FMT_YUVJ411P:
            fullRange = true;
            return AV_PIX_FMT_YUV411P;
        default:
            return format;
    }
}

// Largest time stamp of the stream's packets, read from a context of its own
// so that the reader's position is untouched. Reads only the last seconds
// when the length is known, the whole file otherwise.
int64_t LastTimestamp(const std::string& file, int streamIndex, int64_t fromTimestamp,
                      Deadline& deadline) {
    AVFormatContext* format = nullptr;
    if (!OpenRestrictedInput(format, file, deadline)) return AV_NOPTS_VALUE;
    int64_t last = AV_NOPTS_VALUE;
    if (streamIndex < static_cast<int>(format->nb_streams)) {
        if (fromTimestamp != AV_NOPTS_VALUE) {
            av_seek_frame(format, streamIndex, fromTimestamp, AVSEEK_FLAG_BACKWARD);
        }
        AVPacket* packet = av_packet_alloc();
        while (packet != nullptr && av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == streamIndex) {
                const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
                if (ts != AV_NOPTS_VALUE && (last == AV_NOPTS_VALUE || ts > last)) last = ts;
            }
            av_packet_unref(packet);
        }
        av_packet_free(&packet);
    }
    avformat_close_input(&format);
    return last;
}

// What the scaler was last set up for.
struct ScalerSource {
    int width = 0;
    int height = 0;
    int targetWidth = 0;
    int targetHeight = 0;
    AVPixelFormat format = AV_PIX_FMT_NONE;
    bool fullRange = false;
    AVColorSpace colorspace = AVCOL_SPC_UNSPECIFIED;
    bool operator==(const ScalerSource&) const = default;
};

}  // namespace

struct FfmpegVideoReader::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* decoder = nullptr;
    AVStream* stream = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* decoded = nullptr;
    AVFrame* held = nullptr;        // the last frame at or before the one asked for
    AVFrame* ahead = nullptr;       // a frame decoded beyond it, kept for the next call
    const AVFrame* last = nullptr;  // the frame decoded last: held or ahead
    SwsContext* scaler = nullptr;

    std::string file;
    AVRational frameRate{0, 1};
    int64_t startPts = 0;
    int32_t frameCount = 0;

    bool hasHeld = false;
    bool hasAhead = false;
    int64_t heldIndex = 0;
    int64_t aheadIndex = 0;
    int64_t lastIndex = -1;   // index of the last frame the decoder gave
    bool atStart = true;      // nothing decoded since the start of the stream
    bool inputEnded = false;  // the demuxer has no more packets
    bool drained = false;     // the decoder has given its last frame
    ScalerSource scalerSource;
    int32_t jumps = 0;
    Deadline deadline;  // of the opening

    ~State() {
        sws_freeContext(scaler);
        av_frame_free(&ahead);
        av_frame_free(&held);
        av_frame_free(&decoded);
        av_packet_free(&packet);
        avcodec_free_context(&decoder);
        avformat_close_input(&format);
    }

    AVRational FrameDuration() const { return AVRational{frameRate.den, frameRate.num}; }

    // Time stamps of a broken file can be anything; indexes stay far inside
    // the 64-bit range so that sums of them never overflow.
    int64_t IndexOf(int64_t pts) const {
        const int64_t index =
            av_rescale_q(av_sat_sub64(pts, startPts), stream->time_base, FrameDuration());
        return std::clamp<int64_t>(index, -kFarIndex, kFarIndex);
    }
    int64_t TimestampOf(int64_t index) const {
        return av_sat_add64(startPts, av_rescale_q(index, FrameDuration(), stream->time_base));
    }

    // The next frame out of the decoder into `decoded`, with its index; false
    // at the end of the stream.
    bool NextFrame(int64_t& index) {
        while (!drained) {
            const int got = avcodec_receive_frame(decoder, decoded);
            if (got == 0) {
                const int64_t pts = decoded->best_effort_timestamp;
                if (pts != AV_NOPTS_VALUE) {
                    index = IndexOf(pts);
                } else {
                    index = lastIndex == kUnknown ? kUnknown : lastIndex + 1;
                }
                lastIndex = index;
                atStart = false;
                return true;
            }
            // Past the end of the input nothing more will come; before it, a
            // broken packet's error only means the next packet is needed.
            if (got == AVERROR_EOF || inputEnded) {
                drained = true;
                break;
            }
            if (av_read_frame(format, packet) < 0) {
                inputEnded = true;
                avcodec_send_packet(decoder, nullptr);
                continue;
            }
            // An empty packet would end the decoder's input: it stands for a
            // repeated frame, which needs no decoding.
            if (packet->stream_index == stream->index && packet->size > 0) {
                avcodec_send_packet(decoder, packet);  // a broken packet is skipped
            }
            av_packet_unref(packet);
        }
        return false;
    }

    // Decodes on until `held` is the frame shown at n: frame n itself, or the
    // last one before it when n has no frame of its own (a dropped frame, a
    // file cut short). False when a frame's place cannot be told.
    bool PlayOnTo(int64_t n) {
        while (!(hasHeld && heldIndex == n)) {
            if (hasAhead) {
                if (aheadIndex > n) return true;
                std::swap(held, ahead);
                av_frame_unref(ahead);
                heldIndex = aheadIndex;
                hasHeld = true;
                hasAhead = false;
                continue;
            }
            int64_t index = 0;
            if (!NextFrame(index)) return true;
            if (index == kUnknown) return false;
            AVFrame* into = index > n ? ahead : held;
            av_frame_unref(into);
            av_frame_move_ref(into, decoded);
            if (index > n) {
                aheadIndex = index;
                hasAhead = true;
                return true;
            }
            heldIndex = index;
            hasHeld = true;
        }
        return true;
    }

    bool JumpTo(int64_t index) {
        if (av_seek_frame(format, stream->index, TimestampOf(index), AVSEEK_FLAG_BACKWARD) < 0) {
            return false;
        }
        avcodec_flush_buffers(decoder);
        av_frame_unref(held);
        av_frame_unref(ahead);
        hasHeld = hasAhead = false;
        inputEnded = drained = false;
        atStart = index <= 0;
        lastIndex = atStart ? -1 : kUnknown;
        ++jumps;
        return true;
    }

    // Whether decoding on from the current place to n costs more than jumping:
    // true when a keyframe after the current place lies at or before n.
    bool WorthJumping(int64_t from, int64_t n) {
        const AVIndexEntry* key =
            avformat_index_get_entry_from_timestamp(stream, TimestampOf(n), AVSEEK_FLAG_BACKWARD);
        if (key == nullptr) return n - from > kPlayOnLimit;
        return IndexOf(key->timestamp) > from + 1;
    }

    // The decoded frame shown at n, or null.
    const AVFrame* Locate(int64_t n) {
        if (hasHeld && heldIndex <= n &&
            (heldIndex == n || (hasAhead && aheadIndex > n) || (drained && !hasAhead))) {
            return held;
        }
        const bool behind = hasHeld ? heldIndex < n : atStart;
        if (behind && !WorthJumping(hasHeld ? heldIndex : -1, n) && PlayOnTo(n) && hasHeld) {
            return held;
        }
        // A file whose index places keyframes too late lands beyond n: jump
        // again from further back, and at last from the start.
        int64_t back = 0;
        for (;;) {
            const int64_t target = std::max<int64_t>(n - back, 0);
            if (!JumpTo(target)) return nullptr;
            if (PlayOnTo(n) && hasHeld) return held;
            if (target == 0) return hasAhead ? ahead : nullptr;
            back = back == 0 ? 32 : back * 4;
        }
    }

    bool Convert(const AVFrame* frame, const FrameTarget& into) {
        if (frame->width <= 0 || frame->height <= 0) return false;
        if (into.pixels == nullptr || into.width <= 0 || into.height <= 0 ||
            into.stride < into.width * 4) {
            return false;
        }
        ScalerSource wanted{frame->width,     frame->height,
                            into.width,       into.height,
                            AV_PIX_FMT_NONE,  frame->color_range == AVCOL_RANGE_JPEG,
                            frame->colorspace};
        wanted.format = PlainFormat(static_cast<AVPixelFormat>(frame->format), wanted.fullRange);
        // A changed source or target frees the old scaler, even when no new one can be made.
        // The fast bilinear filter costs a third of the plain one per HD frame; the
        // cab is scaled by less than 3 either way, where the two look the same.
        scaler = sws_getCachedContext(scaler, wanted.width, wanted.height, wanted.format,
                                      into.width, into.height, AV_PIX_FMT_RGB32, SWS_FAST_BILINEAR,
                                      nullptr, nullptr, nullptr);
        if (scaler == nullptr) return false;
        if (!(wanted == scalerSource)) {
            const int* coefficients = sws_getCoefficients(
                wanted.colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT);
            sws_setColorspaceDetails(scaler, coefficients, wanted.fullRange ? 1 : 0, coefficients,
                                     1, 0, 1 << 16, 1 << 16);
            scalerSource = wanted;
        }
        uint8_t* target[1] = {into.pixels};
        const int targetStride[1] = {into.stride};
        sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, target, targetStride);
        return true;
    }
};

FfmpegVideoReader::FfmpegVideoReader(std::chrono::milliseconds openTimeLimit)
    : openTimeLimit_(openTimeLimit) {}

FfmpegVideoReader::~FfmpegVideoReader() = default;

bool FfmpegVideoReader::Open(const std::filesystem::path& file) {
    Close();
    // A broken file is not reported: the library's own diagnostics stay quiet.
    av_log_set_level(AV_LOG_QUIET);
    auto s = std::make_unique<State>();
    const std::string name = file.string();
    s->file = name;
    s->deadline.end = std::chrono::steady_clock::now() + openTimeLimit_;
    if (!OpenRestrictedInput(s->format, name, s->deadline)) return false;
    if (avformat_find_stream_info(s->format, nullptr) < 0) return false;
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(s->format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (index < 0 || codec == nullptr) return false;
    s->stream = s->format->streams[index];
    if (s->stream->disposition & AV_DISPOSITION_ATTACHED_PIC) return false;
    for (unsigned i = 0; i < s->format->nb_streams; ++i) {
        if (static_cast<int>(i) != index) s->format->streams[i]->discard = AVDISCARD_ALL;
    }

    s->decoder = avcodec_alloc_context3(codec);
    s->packet = av_packet_alloc();
    s->decoded = av_frame_alloc();
    s->held = av_frame_alloc();
    s->ahead = av_frame_alloc();
    if (!s->decoder || !s->packet || !s->decoded || !s->held || !s->ahead) return false;
    if (avcodec_parameters_to_context(s->decoder, s->stream->codecpar) < 0) return false;
    if (avcodec_open2(s->decoder, codec, nullptr) < 0) return false;

    s->frameRate =
        Valid(s->stream->avg_frame_rate) ? s->stream->avg_frame_rate : s->stream->r_frame_rate;
    if (!Valid(s->frameRate) || !Valid(s->stream->time_base)) return false;
    if (s->stream->start_time != AV_NOPTS_VALUE) s->startPts = s->stream->start_time;

    int64_t count = s->stream->nb_frames;
    if (count <= 0) {
        // Containers that keep no frame count: the last frame's time stamp
        // tells it, read from near the end when the length is known.
        int64_t from = AV_NOPTS_VALUE;
        if (s->stream->duration != AV_NOPTS_VALUE) {
            from = av_sat_add64(s->startPts, s->stream->duration);
        } else if (s->format->duration != AV_NOPTS_VALUE) {
            from = av_sat_add64(s->startPts, av_rescale_q(s->format->duration, AV_TIME_BASE_Q,
                                                          s->stream->time_base));
        }
        if (from != AV_NOPTS_VALUE) {
            from = av_sat_sub64(from, av_rescale_q(10, AVRational{1, 1}, s->stream->time_base));
        }
        const int64_t last = LastTimestamp(name, index, from, s->deadline);
        if (Deadline::Passed(&s->deadline)) return false;
        if (last != AV_NOPTS_VALUE) count = s->IndexOf(last) + 1;
    }
    s->frameCount =
        static_cast<int32_t>(std::clamp<int64_t>(count, 0, std::numeric_limits<int32_t>::max()));
    // Decoding a frame later may take as long as it takes. The file's reader
    // keeps its own copy of the interrupt callback, so the deadline it points
    // at is lifted rather than the callback cleared.
    s->deadline.end = std::chrono::steady_clock::time_point::max();
    state_ = std::move(s);
    return true;
}

void FfmpegVideoReader::Close() {
    state_.reset();
}

int32_t FfmpegVideoReader::FrameCount() const {
    return state_ ? state_->frameCount : -1;
}

double FfmpegVideoReader::FramesPerSecond() const {
    return state_ ? av_q2d(state_->frameRate) : 0;
}

WaveSound FfmpegVideoReader::SoundTrack() {
    return state_ ? ReadSoundTrack(state_->file) : WaveSound{};
}

int32_t FfmpegVideoReader::JumpCount() const {
    return state_ ? state_->jumps : 0;
}

bool FfmpegVideoReader::DecodeFrameTo(int32_t n, const FrameTarget& into) {
    if (!state_ || n < 0 || n >= state_->frameCount) return false;
    state_->last = state_->Locate(n);
    if (state_->last == nullptr) return false;
    return into.pixels == nullptr || state_->Convert(state_->last, into);
}

bool FfmpegVideoReader::DrawFrameTo(const FrameTarget& into) {
    return state_ && state_->last != nullptr && state_->Convert(state_->last, into);
}

}  // namespace kelvaron
