#!/bin/sh
# What the desktop program costs against what playing its video costs, in one
# run on a virtual display: the program drives the demo from its drive script
# while `ffmpeg -re -i VIDEO -f null -` plays the same cab-view video at the
# same time (at N times the filming speed: `-readrate N`); both processes' CPU
# seconds over the same stretch are compared.
# Also prints the program's peak RSS, its presenter figures and the load.
#
#   bench/desktop_cpu.sh [DATA [SECONDS [WINDOW [SPEED]]]]
#
#   DATA     data folder (default build/demo-data; a 1280x720 line is made by
#            `build/kelvaron-demo-gen build/demo-data-hd --hd`)
#   SECONDS  driving time measured, after the train has left (default 60)
#   WINDOW   cab: the cab at its own 640x440; full: filling the 1920x1080 screen
#   SPEED    1: the drive as recorded; 3: the run three times faster than the
#            wall clock, which shows the video at three times the filming speed
#   SHOT=FILE  also saves a screenshot at the end of the measurement.
#   MIX=FILE   measures with the sound mix written to FILE by OpenAL Soft's WAVE
#              writer, as figures before 2026-12-09 were (the file starts again
#              whenever the program opens its sound device).
#   BUILD=DIR  where the program is (default build).
#   ROUNDS=N   measures N times in a row and ends with the median ratio: on a
#              shared machine one run's ratio can stray by a tenth or more.
set -eu

ROUNDS=${ROUNDS:-1}
if [ "$ROUNDS" -gt 1 ]; then
    RATIOS=""
    for round in $(seq 1 "$ROUNDS"); do
        echo "== round $round of $ROUNDS"
        OUT=$(ROUNDS=1 "$0" "$@")
        echo "$OUT"
        RATIOS="$RATIOS $(echo "$OUT" | awk '/^ratio/ { print $2 }')"
    done
    echo "$RATIOS" | tr ' ' '\n' | grep . | sort -n |
        awk '{ r[NR] = $1 } END { printf "median ratio %.2f of %d rounds (%s to %s)\n",
             NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2, NR, r[1], r[NR] }'
    exit 0
fi

DATA=${1:-build/demo-data}
SECONDS_MEASURED=${2:-60}
WINDOW=${3:-cab}
SPEED=${4:-1}
BUILD=${BUILD:-build}
PROGRAM=$BUILD/kelvaron
for tool in Xvfb ffmpeg; do
    command -v $tool >/dev/null || { echo "$tool is missing: make deps" >&2; exit 1; }
done
[ -x "$PROGRAM" ] || { echo "$PROGRAM is missing: make build" >&2; exit 1; }
VIDEO=$(ls "$DATA"/movie/*.avi | head -1)
SCRIPT=$DATA/drive_express.txt
# The express leaves its first station 37 s into the script; measure after that.
DEPART_MS=38000

WORK=$(mktemp -d)
DISPLAY_NUMBER=$(( 90 + $$ % 100 ))
cleanup() {
    [ -n "${PROGRAM_PID:-}" ] && kill "$PROGRAM_PID" 2>/dev/null || true
    [ -n "${FFMPEG_PID:-}" ] && kill "$FFMPEG_PID" 2>/dev/null || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

Xvfb :$DISPLAY_NUMBER -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
sleep 1

# Settings of this measurement only: the window size and mode asked for.
export XDG_CONFIG_HOME=$WORK/config
mkdir -p "$XDG_CONFIG_HOME/Kelvaron"
# Xvfb has no window manager to honour a full-screen request, so "full" is a
# window filling the 1920 x 1080 screen under its menu bar: the same scaling
# and drawing as full screen.
if [ "$WINDOW" = full ]; then CAB="1920 1058"; else CAB="640 440"; fi
printf '[RunWindow]\nCabSize=@Size(%s)\nFullScreen=false\n' "$CAB" \
    > "$XDG_CONFIG_HOME/Kelvaron/desktop.conf"
# Sound is mixed as on a desktop and handed to nobody (OpenAL Soft's null
# device) where a desktop hands it to its sound server. Writing the mix to a
# file (MIX) adds the file system's work for every block of sound to the
# program's CPU, which no desktop run has.
if [ -n "${MIX:-}" ]; then
    printf '[general]\ndrivers=wave\n[wave]\nfile=%s\n' "$MIX" > "$WORK/alsoft.conf"
else
    printf '[general]\ndrivers=null\n' > "$WORK/alsoft.conf"
fi

# CPU seconds (user + system) of a process so far.
cpu() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%.3f", ($14 + $15) / hz }' "/proc/$1/stat"; }

# The drive, ended ten seconds after the measurement so that the program
# closes the run and prints its figures.
CLOSE_MS=$(( DEPART_MS + (SECONDS_MEASURED + 10) * 1000 * SPEED ))
awk -v end=$CLOSE_MS '/^[0-9]/ && $1 >= end { exit } { print } END { print end " close" }' \
    "$SCRIPT" > "$WORK/drive.txt"

SCALE=""
[ "$SPEED" != 1 ] && SCALE="--time-scale $SPEED"
# shellcheck disable=SC2086
DISPLAY=:$DISPLAY_NUMBER ALSOFT_CONF=$WORK/alsoft.conf "$PROGRAM" --data "$DATA" --run express \
    --script "$WORK/drive.txt" $SCALE --stats 2> "$WORK/stats.txt" &
PROGRAM_PID=$!
# Wall seconds until the train has left, at the run's speed.
sleep "$(awk -v ms=$DEPART_MS -v s="$SPEED" 'BEGIN { printf "%.2f", ms / 1000 / s }')"
kill -0 $PROGRAM_PID 2>/dev/null || { cat "$WORK/stats.txt" >&2; exit 1; }

# The anchor plays the same video at the same speed: `-re` at the filming
# speed; at N times it reads N times faster (`-readrate N`), so both decode
# the same frames per second of wall time.
if [ "$SPEED" = 1 ]; then RATE="-re"; else RATE="-readrate $SPEED"; fi
# shellcheck disable=SC2086
ffmpeg -nostdin -loglevel error $RATE -i "$VIDEO" -t $((SECONDS_MEASURED * SPEED)) -f null - &
FFMPEG_PID=$!
PROGRAM_START=$(cpu $PROGRAM_PID)
LOAD_START=$(cut -d' ' -f1 /proc/loadavg)
# ffmpeg's own figure is read just before it ends, when its stat still exists.
FFMPEG_CPU=0
END=$(( $(date +%s) + SECONDS_MEASURED ))
while [ "$(date +%s)" -lt $END ]; do
    sleep 0.5
    if kill -0 $FFMPEG_PID 2>/dev/null; then FFMPEG_CPU=$(cpu $FFMPEG_PID 2>/dev/null || echo "$FFMPEG_CPU"); fi
done
PROGRAM_CPU=$(awk -v a="$PROGRAM_START" -v b="$(cpu $PROGRAM_PID)" 'BEGIN { printf "%.3f", b - a }')
RSS_KB=$(awk '/VmHWM/ { print $2 }' "/proc/$PROGRAM_PID/status")
LOAD_END=$(cut -d' ' -f1 /proc/loadavg)
if [ -n "${SHOT:-}" ]; then
    ffmpeg -nostdin -loglevel error -y -f x11grab -video_size 1920x1080 -i :$DISPLAY_NUMBER \
        -frames:v 1 "$SHOT"
fi
wait $FFMPEG_PID 2>/dev/null || true
FFMPEG_PID=
wait $PROGRAM_PID 2>/dev/null || true
PROGRAM_PID=

SIZE=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=s=x:p=0 "$VIDEO")
echo "video $VIDEO ($SIZE), window $WINDOW, $SPEED x the filming speed, $SECONDS_MEASURED s measured"
echo "load average $LOAD_START at the start, $LOAD_END at the end ($(nproc) cores)"
awk -v k="$PROGRAM_CPU" -v f="$FFMPEG_CPU" -v s="$SECONDS_MEASURED" -v rate="$RATE" 'BEGIN {
    printf "kelvaron   %.2f CPU s per minute\n", k * 60 / s
    printf "ffmpeg %s %.2f CPU s per minute\n", rate, f * 60 / s
    if (f > 0) printf "ratio      %.2f\n", k / f }'
echo "peak RSS   $((RSS_KB / 1024)) MB"
grep -h 'frames shown' "$WORK/stats.txt" || true
