#include "platform/ffmpeg/sound_track.h"

#include <cstdint>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "platform/ffmpeg/restricted_input.h"

namespace kelvaron {

namespace {

struct Decoding {
    AVFormatContext* format = nullptr;
    AVCodecContext* decoder = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;

    ~Decoding() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&resampler);
        avcodec_free_context(&decoder);
        avformat_close_input(&format);
    }
};

// Appends the frame's samples, converted to mono 16-bit; false once the
// track has reached its longest allowed length.
bool Append(Decoding& d, WaveSound& out, size_t limit) {
    const AVFrame* f = d.frame;
    if (f->nb_samples <= 0) return true;
    const int room = swr_get_out_samples(d.resampler, f->nb_samples);
    if (room <= 0) return true;
    const size_t before = out.samples.size();
    out.samples.resize(before + static_cast<size_t>(room));
    uint8_t* target[1] = {reinterpret_cast<uint8_t*>(out.samples.data() + before)};
    const int got = swr_convert(d.resampler, target, room,
                                const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
    out.samples.resize(before + static_cast<size_t>(got > 0 ? got : 0));
    if (out.samples.size() < limit) return true;
    out.samples.resize(limit);
    return false;
}

}  // namespace

WaveSound ReadSoundTrack(const std::filesystem::path& file) {
    av_log_set_level(AV_LOG_QUIET);
    // The title movie comes with the data folder, like the cab video: read
    // under the same restrictions, with its own time limit (declared first:
    // the context calls it until it is closed).
    Deadline deadline{std::chrono::steady_clock::now() + kOpenTimeLimit};
    Decoding d;
    const std::string name = file.string();
    if (!OpenRestrictedInput(d.format, name, deadline)) return {};
    if (avformat_find_stream_info(d.format, nullptr) < 0) return {};
    // The track is as long as the file holds, and the file is a regular one.
    deadline.end = std::chrono::steady_clock::time_point::max();
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(d.format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (index < 0 || codec == nullptr) return {};
    for (unsigned i = 0; i < d.format->nb_streams; ++i) {
        if (static_cast<int>(i) != index) d.format->streams[i]->discard = AVDISCARD_ALL;
    }
    d.decoder = avcodec_alloc_context3(codec);
    d.packet = av_packet_alloc();
    d.frame = av_frame_alloc();
    if (!d.decoder || !d.packet || !d.frame) return {};
    if (avcodec_parameters_to_context(d.decoder, d.format->streams[index]->codecpar) < 0) return {};
    if (avcodec_open2(d.decoder, codec, nullptr) < 0) return {};
    const int rate = d.decoder->sample_rate;
    if (rate <= 0 || d.decoder->ch_layout.nb_channels <= 0) return {};

    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    if (swr_alloc_set_opts2(&d.resampler, &mono, AV_SAMPLE_FMT_S16, rate, &d.decoder->ch_layout,
                            d.decoder->sample_fmt, rate, 0, nullptr) < 0 ||
        swr_init(d.resampler) < 0) {
        return {};
    }

    WaveSound out;
    out.rate = rate;
    const size_t limit = static_cast<size_t>(rate) * kMaxSoundTrackSeconds;
    bool inputEnded = false;
    for (;;) {
        const int got = avcodec_receive_frame(d.decoder, d.frame);
        if (got == 0) {
            // A frame whose layout changed midway cannot go through this resampler.
            if (d.frame->sample_rate != rate || d.frame->format != d.decoder->sample_fmt ||
                d.frame->ch_layout.nb_channels != d.decoder->ch_layout.nb_channels) {
                break;
            }
            if (!Append(d, out, limit)) break;
            continue;
        }
        if (got == AVERROR_EOF || inputEnded) break;
        if (av_read_frame(d.format, d.packet) < 0) {
            inputEnded = true;
            avcodec_send_packet(d.decoder, nullptr);
            continue;
        }
        if (d.packet->stream_index == index) avcodec_send_packet(d.decoder, d.packet);
        av_packet_unref(d.packet);
    }
    if (out.samples.empty()) return {};
    return out;
}

}  // namespace kelvaron
