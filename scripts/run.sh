#!/usr/bin/env bash
# Builds the program (Release, in its own build folder, only the program's target) and starts it
# on the embedded demo database. Without a display it says so and plays the tour offscreen
# instead, telling where the pictures are. Options are handed to the program, e.g.
#   scripts/run.sh --user officer
#   scripts/run.sh --database postgresql://halberon@localhost/halberon
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh

build=build/run
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALBERON_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target halberon-bankruptcy -j "$(nproc)"
program="$build/src/app/halberon-bankruptcy"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  pictures="${HALBERON_TOUR_DIR:-$PWD/build/tour}"
  echo "run: there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the screen"
  echo "run: cannot open; playing the tour offscreen instead."
  "$program" --tour "$pictures" -platform offscreen "$@"
  echo "run: the tour's pictures are in $pictures"
  exit 0
fi
exec "$program" "$@"
