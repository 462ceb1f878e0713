#!/bin/sh
# The program's main job on the data that exists so far.
set -eu
BUILD="${1:-build}"
"$BUILD/kelvaron" check --data tests/data/fixtures --train train_electric.dat
echo "Still to come: the headless runner and the generated demo line to drive."
