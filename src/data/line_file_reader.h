#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "data/cab_image_lists.h"
#include "data/line_definition.h"
#include "data/line_source_map.h"
#include "platform/picture_loader.h"

namespace kelvaron {
class TextFile;
}

namespace kelvaron {

// Reads the line definition file `fileName` from `dataDir` into `line` (which starts afresh),
// appending the pictures of its image-list sections to `images`. False with the system's
// message in `error` ("路線ファイルに誤りがあります。" + section label + ":" + the line being
// read) when the file cannot be read, a value does not convert, a picture cannot be loaded,
// a list is not ended by "#", or a value would break the run (a list beyond its capacity,
// a frame rate outside 1..30, a filming-speed unit that does not run forwards or is too long
// to measure, a speed limit of 0 km/h or less).
bool LoadLineFile(const std::filesystem::path& dataDir, std::string_view fileName,
                  PictureLoader& pictures, CabImageLists& images, LineDefinition& line,
                  std::string& error);

// The same reading over lines already in memory (an editor's unsaved text), named `fileName`
// in the definition. With `source`, also notes which lines each section and entry came from,
// and the line being read when reading failed.
bool ReadLineDefinition(TextFile& file, const std::filesystem::path& dataDir,
                        std::string_view fileName, PictureLoader& pictures, CabImageLists& images,
                        LineDefinition& line, std::string& error, LineSourceMap* source = nullptr);

}  // namespace kelvaron
