#pragma once

#include <filesystem>
#include <string>

#include "data/cab_image_lists.h"
#include "data/panel_model.h"
#include "data/train_config.h"
#include "platform/picture_loader.h"

namespace kelvaron {

// Builds the run window's panel model: the fixed components of the window and
// the cab panel that the train file's panel sections describe, with their
// pictures loaded from the data folder. `staffImageFile` is the timetable card
// of the line file (empty: none). Whatever the model held before is replaced.
//
// False when a picture cannot be loaded; `error` is then the file name as the
// data file writes it followed by "が見つかりません" and, unless the file is
// simply missing, the reason it was refused.
bool BuildCabPanel(const std::filesystem::path& dataDir, const TrainConfig& train,
                   const std::string& staffImageFile, const CabImageLists& images,
                   PictureLoader& pictures, PanelModel& panel, std::string& error);

}  // namespace kelvaron
