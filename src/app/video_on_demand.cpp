#include "app/video_on_demand.h"

#include <dlfcn.h>

#include "app/program_handover.h"
#include "platform/ffmpeg/video_module.h"

namespace kelvaron {

namespace {

std::string ModuleError(const std::string& what) {
    return std::string("kelvaron: cannot load the video module ") + what;
}

}  // namespace

VideoOnDemand::VideoOnDemand()
    : loading_(std::async(std::launch::async, []() -> Loaded {
          const auto file = FindCompanionFile(kVideoModuleFile);
          if (!file) return {nullptr, ModuleError(std::string(kVideoModuleFile) + ": not found")};
          // Never closed: the reader's code lives in it until the program ends.
          void* module = dlopen(file->c_str(), RTLD_NOW | RTLD_LOCAL);
          if (module == nullptr) return {nullptr, ModuleError(dlerror())};
          auto create = reinterpret_cast<VideoModuleFactory>(dlsym(module, kVideoModuleFactory));
          if (create == nullptr) return {nullptr, ModuleError(file->string() + ": no reader")};
          return {std::unique_ptr<VideoReader>(create()), ""};
      })) {}

VideoOnDemand::~VideoOnDemand() {
    if (loading_.valid()) loading_.wait();
}

VideoReader* VideoOnDemand::Reader() {
    if (loading_.valid()) {
        Loaded loaded = loading_.get();
        reader_ = std::move(loaded.reader);
        error_ = std::move(loaded.error);
    }
    return reader_.get();
}

bool VideoOnDemand::Open(const std::filesystem::path& file) {
    VideoReader* reader = Reader();
    return reader != nullptr && reader->Open(file);
}

void VideoOnDemand::Close() {
    if (reader_) reader_->Close();
}

int32_t VideoOnDemand::FrameCount() const {
    return reader_ ? reader_->FrameCount() : -1;
}

double VideoOnDemand::FramesPerSecond() const {
    return reader_ ? reader_->FramesPerSecond() : 0;
}

WaveSound VideoOnDemand::SoundTrack() {
    VideoReader* reader = Reader();
    return reader != nullptr ? reader->SoundTrack() : WaveSound{};
}

bool VideoOnDemand::DecodeFrameTo(int32_t n, const FrameTarget& into) {
    VideoReader* reader = Reader();
    return reader != nullptr && reader->DecodeFrameTo(n, into);
}

}  // namespace kelvaron
