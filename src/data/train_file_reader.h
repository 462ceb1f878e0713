#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "data/cab_image_lists.h"
#include "data/train_config.h"
#include "platform/picture_loader.h"

namespace kelvaron {

// Reads the train definition file `fileName` of the data folder into `train`
// (pass a fresh TrainConfig for a new run). The notch and gear pictures go to
// `images.NotchImageP`, `NotchImageB`, `GearImageList`, the stop-position
// marker is appended to `images.SignImageList`; file names inside the file are
// resolved against `dataDir`.
//
// False with the message to show in `error` when the file is faulty: the
// train-file message followed by the section being read, or one of the
// traction consistency messages. Nothing is ever written beyond a table's
// capacity: a list longer than its table makes the file faulty.
bool LoadTrainFile(const std::filesystem::path& dataDir, std::string_view fileName,
                   PictureLoader& pictures, CabImageLists& images, TrainConfig& train,
                   std::string& error);

}  // namespace kelvaron
