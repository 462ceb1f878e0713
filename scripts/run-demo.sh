#!/bin/sh
# The program's main job on the bundled demo: both runs of the generated line,
# driven by the scripts shipped beside the data and by the automatic driver,
# without a display.
set -eu
BUILD="${1:-build}"
DATA="$BUILD/demo-data"

for run in local express; do
    script="$DATA/drive_$run.txt"
    echo "== $run run ($script)"
    "$BUILD/kelvaron" --headless --data "$DATA" --run "$run" --script "$script" \
        --trace "$BUILD/demo-$run-trace.csv" --sound-log "$BUILD/demo-$run-sounds.log"
    echo "   trace: $BUILD/demo-$run-trace.csv, sound log: $BUILD/demo-$run-sounds.log"
    echo "== $run run (automatic driver)"
    "$BUILD/kelvaron" --headless --data "$DATA" --run "$run" --autopilot \
        --trace "$BUILD/demo-$run-autopilot-trace.csv"
    echo "   trace: $BUILD/demo-$run-autopilot-trace.csv"
done

# With a display, the desktop program opens on the same data to drive by hand.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "== opening the desktop program on $DATA"
    exec "$BUILD/kelvaron" --data "$DATA"
fi
echo "(no display: run '$BUILD/kelvaron --data $DATA' on a desktop to drive it yourself)"
