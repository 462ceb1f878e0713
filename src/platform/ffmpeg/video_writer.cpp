#include "platform/ffmpeg/video_writer.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace kelvaron {

struct VideoWriter::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* encoder = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    int64_t nextPts = 0;
    bool failed = false;

    ~State() {
        sws_freeContext(scaler);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&encoder);
        if (format != nullptr && format->pb != nullptr &&
            !(format->oformat->flags & AVFMT_NOFILE)) {
            avio_closep(&format->pb);
        }
        avformat_free_context(format);
    }

    // Sends one picture (or, with null, the end of the stream) and writes every
    // packet the encoder has ready.
    bool Encode(const AVFrame* input) {
        if (avcodec_send_frame(encoder, input) < 0) return false;
        for (;;) {
            const int got = avcodec_receive_packet(encoder, packet);
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
            if (got < 0) return false;
            av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
            packet->stream_index = stream->index;
            if (av_interleaved_write_frame(format, packet) < 0) return false;
        }
    }
};

VideoWriter::VideoWriter() = default;

VideoWriter::~VideoWriter() {
    Close();
}

bool VideoWriter::Open(const std::filesystem::path& file, const VideoSettings& settings) {
    Close();
    // Failures come back as results; the library's own diagnostics stay quiet.
    av_log_set_level(AV_LOG_QUIET);
    const int32_t width = settings.width;
    const int32_t height = settings.height;
    const int32_t fps = settings.fps;
    if (width <= 0 || height <= 0 || fps <= 0) return false;
    const AVCodec* encoderCodec = avcodec_find_encoder_by_name(settings.codec.c_str());
    if (encoderCodec == nullptr || encoderCodec->type != AVMEDIA_TYPE_VIDEO) return false;

    auto state = std::make_unique<State>();
    const std::string name = file.string();
    if (avformat_alloc_output_context2(&state->format, nullptr, nullptr, name.c_str()) < 0) {
        return false;
    }
    state->stream = avformat_new_stream(state->format, nullptr);
    state->encoder = avcodec_alloc_context3(encoderCodec);
    state->frame = av_frame_alloc();
    state->packet = av_packet_alloc();
    if (!state->stream || !state->encoder || !state->frame || !state->packet) return false;

    AVCodecContext* enc = state->encoder;
    enc->width = width;
    enc->height = height;
    enc->time_base = AVRational{1, fps};
    enc->framerate = AVRational{fps, 1};
    enc->gop_size = std::max(1, settings.keyframeInterval);
    enc->max_b_frames = std::max(0, settings.bFrames);
    enc->pix_fmt = encoderCodec->pix_fmts ? encoderCodec->pix_fmts[0] : AV_PIX_FMT_YUV420P;
    // A fixed quantiser keeps pictures sharp whatever their size.
    enc->flags |= AV_CODEC_FLAG_QSCALE;
    enc->global_quality = FF_QP2LAMBDA * 3;
    if (state->format->oformat->flags & AVFMT_GLOBALHEADER) {
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (avcodec_open2(enc, encoderCodec, nullptr) < 0) return false;
    if (avcodec_parameters_from_context(state->stream->codecpar, enc) < 0) return false;
    state->stream->time_base = enc->time_base;
    state->stream->avg_frame_rate = enc->framerate;

    if (!(state->format->oformat->flags & AVFMT_NOFILE) &&
        avio_open(&state->format->pb, name.c_str(), AVIO_FLAG_WRITE) < 0) {
        return false;
    }
    state->frame->format = enc->pix_fmt;
    state->frame->width = width;
    state->frame->height = height;
    if (av_frame_get_buffer(state->frame, 0) < 0) return false;
    if (avformat_write_header(state->format, nullptr) < 0) return false;
    state_ = std::move(state);
    return true;
}

bool VideoWriter::Write(const Picture& picture) {
    if (!state_ || picture.Empty() ||
        picture.pixels.size() <
            static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height)) {
        return false;
    }
    State& s = *state_;
    s.scaler = sws_getCachedContext(s.scaler, picture.width, picture.height, AV_PIX_FMT_RGB32,
                                    s.encoder->width, s.encoder->height, s.encoder->pix_fmt,
                                    SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (s.scaler == nullptr || av_frame_make_writable(s.frame) < 0) {
        s.failed = true;
        return false;
    }
    const uint8_t* source[1] = {reinterpret_cast<const uint8_t*>(picture.pixels.data())};
    const int sourceStride[1] = {picture.width * 4};
    sws_scale(s.scaler, source, sourceStride, 0, picture.height, s.frame->data, s.frame->linesize);
    s.frame->pts = s.nextPts++;
    s.frame->quality = s.encoder->global_quality;
    if (!s.Encode(s.frame)) s.failed = true;
    return !s.failed;
}

bool VideoWriter::Close() {
    if (!state_) return false;
    State& s = *state_;
    if (!s.Encode(nullptr)) s.failed = true;
    if (av_write_trailer(s.format) < 0) s.failed = true;
    const bool ok = !s.failed;
    state_.reset();
    return ok;
}

bool WriteTestVideo(const std::filesystem::path& file, const VideoSettings& settings,
                    int32_t frames,
                    const std::function<void(int32_t frame, Picture& picture)>& draw) {
    VideoWriter writer;
    if (!writer.Open(file, settings)) return false;
    Picture picture;
    picture.width = settings.width;
    picture.height = settings.height;
    for (int32_t n = 0; n < frames; ++n) {
        picture.pixels.assign(
            static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height), 0xFF000000u);
        draw(n, picture);
        if (!writer.Write(picture)) return false;
    }
    return writer.Close();
}

}  // namespace kelvaron
