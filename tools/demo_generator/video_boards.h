#pragma once

#include <vector>

#include "route.h"
#include "scene.h"

namespace kelvaron::demo {

// The boards the cab-view video shows beside the track: station name boards,
// speed-limit boards with their advance and release boards, the whistle and
// crossing warning boards, gradient posts, kilometre posts, stop-position
// targets and the crossbucks of the level crossings.
std::vector<Board> MakeVideoBoards(const Route& route);

}  // namespace kelvaron::demo
