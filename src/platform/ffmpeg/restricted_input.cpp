#include "platform/ffmpeg/restricted_input.h"

#include <filesystem>
#include <system_error>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace kelvaron {

namespace {

constexpr const char* kProtocols = "file";
constexpr const char* kContainers = "avi,mov,mp4,matroska,webm,mpeg,mpegts,asf,flv,ogg,nut";

}  // namespace

bool OpenRestrictedInput(AVFormatContext*& format, const std::string& file, Deadline& deadline) {
    format = nullptr;
    std::error_code ec;
    // A device or a pipe would block the reader.
    if (!std::filesystem::is_regular_file(file, ec)) return false;
    format = avformat_alloc_context();
    if (format == nullptr) return false;
    format->interrupt_callback = AVIOInterruptCB{&Deadline::Passed, &deadline};
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", kProtocols, 0);
    av_dict_set(&options, "format_whitelist", kContainers, 0);
    const int opened = avformat_open_input(&format, ("file:" + file).c_str(), nullptr, &options);
    av_dict_free(&options);
    return opened >= 0;  // on failure the context has been freed and nulled
}

}  // namespace kelvaron
