#pragma once

#include "common/picture.h"

namespace kelvaron {

// The image lists of the run window. The train file fills the notch and gear
// lists and puts the stop-position marker into SignImageList; the line file
// appends its sign, other-sign and signal pictures.
struct CabImageLists {
    ImageList SignImageList;    // 0 stop marker, 1 uphill, 2 downhill
    ImageList OtherImageList;   // 0 time-check prompt, then limit and other signs
    ImageList SignalImageList;  // signal pictures by signal image index 0..21
    ImageList NotchImageP;
    ImageList NotchImageB;
    ImageList GearImageList;
};

}  // namespace kelvaron
