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

VideoOnDemand::VideoOnDemand(VideoFactsCache cache) : cache_(std::move(cache)) {}

VideoOnDemand::~VideoOnDemand() = default;

VideoReader* VideoOnDemand::Reader() {
    if (loaded_) return reader_.get();
    loaded_ = true;
    const auto file = FindCompanionFile(kVideoModuleFile);
    if (!file) {
        error_ = ModuleError(std::string(kVideoModuleFile) + ": not found");
        return nullptr;
    }
    // Never closed: the reader's code lives in it until the program ends.
    void* module = dlopen(file->c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        error_ = ModuleError(dlerror());
        return nullptr;
    }
    auto create = reinterpret_cast<VideoModuleFactory>(dlsym(module, kVideoModuleFactory));
    if (create == nullptr) {
        error_ = ModuleError(file->string() + ": no reader");
        return nullptr;
    }
    reader_.reset(create());
    return reader_.get();
}

VideoReader* VideoOnDemand::OpenReader() {
    if (!facts_) return nullptr;
    if (!readerOpen_) {
        VideoReader* reader = Reader();
        // The file changed since it was opened: nothing of it is shown.
        if (reader == nullptr || !reader->Open(file_)) return nullptr;
        readerOpen_ = true;
    }
    return reader_.get();
}

bool VideoOnDemand::Open(const std::filesystem::path& file) {
    Close();
    if (auto known = cache_.Find(file)) {
        file_ = file;
        facts_ = known;
        return true;
    }
    VideoReader* reader = Reader();
    if (reader == nullptr || !reader->Open(file)) return false;
    file_ = file;
    readerOpen_ = true;
    facts_ = VideoFacts{reader->FrameCount(), reader->FramesPerSecond()};
    cache_.Remember(file, *facts_);
    return true;
}

void VideoOnDemand::Close() {
    if (reader_) reader_->Close();
    readerOpen_ = false;
    facts_.reset();
    file_.clear();
}

int32_t VideoOnDemand::FrameCount() const {
    return facts_ ? facts_->frameCount : -1;
}

double VideoOnDemand::FramesPerSecond() const {
    return facts_ ? facts_->framesPerSecond : 0;
}

WaveSound VideoOnDemand::SoundTrack() {
    VideoReader* reader = OpenReader();
    return reader != nullptr ? reader->SoundTrack() : WaveSound{};
}

bool VideoOnDemand::DecodeFrameTo(int32_t n, const FrameTarget& into) {
    VideoReader* reader = OpenReader();
    return reader != nullptr && reader->DecodeFrameTo(n, into);
}

bool VideoOnDemand::DrawFrameTo(const FrameTarget& into) {
    // Nothing was decoded before the reader was opened.
    return readerOpen_ && reader_->DrawFrameTo(into);
}

}  // namespace kelvaron
