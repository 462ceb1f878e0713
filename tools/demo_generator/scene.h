#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/picture.h"
#include "raster.h"
#include "route.h"

namespace kelvaron::demo {

// A flat picture standing beside the track and facing the cab: a station name
// board, a speed-limit board, a gradient post. Places in metres along the line
// and across it (0 is the centre of the cab's track, + to the right).
struct Board {
    double metres = 0;
    double across = 0;
    double bottom = 0;  // height above the rail, m
    double top = 0;
    double width = 0;
    std::shared_ptr<const Picture> picture;
    bool post = true;  // stands on a post from the ground
};

// Draws the view from the cab of the filming train: two tracks with sleepers
// in perspective, catenary masts and wires, sky and fields, houses, platforms
// at the stations, the tunnel, the bridge, the level crossings, the signals,
// the boards and an oncoming train, all where the route places them.
class SceneRenderer {
  public:
    SceneRenderer(const Route& route, std::vector<Board> boards, int32_t width, int32_t height);
    ~SceneRenderer();
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    // The view at video frame `frame` (the camera at the route's distance of
    // that frame; blinking lamps and the oncoming train follow the frame).
    void Render(int32_t frame, Picture& out);

  private:
    struct World;
    std::unique_ptr<World> world_;
};

}  // namespace kelvaron::demo
