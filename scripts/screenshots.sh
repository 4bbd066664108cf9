#!/usr/bin/env bash
# Takes the user guide's pictures: plays each scenario of scripts/screenshots/ offscreen, on a
# new demo database of its own, and puts the pictures its `screenshot NAME` steps took into
# docs/images/NAME.png. A scenario's "# args:" line gives the program more options (as in the
# end-to-end scenarios), e.g. "# args: --fault CASES=drop".
#   scripts/screenshots.sh                     all scenarios
#   scripts/screenshots.sh NAME.scenario...    only these (names or paths)
#   HALBERON_PROGRAM=PATH scripts/screenshots.sh   with this program instead of building one
# A new picture: add a `screenshot NAME` step to one of the scenarios (or a new scenario), run
# this script, and show docs/images/NAME.png in the docs (the test command checks that every
# picture the docs show exists, and that every picture in docs/images/ is shown).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

scripts/bootstrap.sh

# The program: HALBERON_PROGRAM if given, else built as scripts/run.sh builds it.
program=${HALBERON_PROGRAM:-}
if [ -z "$program" ]; then
  build=build/run
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALBERON_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" --target halberon-bankruptcy -j "$(nproc)"
  program="$top/$build/src/app/halberon-bankruptcy"
fi

scenarios=()
if [ $# -eq 0 ]; then
  scenarios=(scripts/screenshots/*.scenario)
else
  for name in "$@"; do
    if [ -f "$name" ]; then scenarios+=("$name"); else scenarios+=("scripts/screenshots/${name%.scenario}.scenario"); fi
  done
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p docs/images
# The pictures show dates and amounts in the US forms, and the same fonts on every machine.
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 HALBERON_FAULTS=
unset LANG LANGUAGE
failed=0
for scenario in "${scenarios[@]}"; do
  name=$(basename "$scenario" .scenario)
  run="$work/$name"
  mkdir -p "$run"
  args=()
  while IFS= read -r line; do
    read -r -a more <<<"${line#\# args:}"
    args+=("${more[@]}")
  done < <(grep '^# args:' "$scenario" || true)
  if ! "$program" --database "$run/halberon.sqlite" --user-folder "$run/user" \
    --script "$scenario" --out "$run/out" "${args[@]}" >"$run/output.txt" 2>&1; then
    echo "screenshots: $scenario failed:" >&2
    cat "$run/output.txt" >&2
    failed=1
    continue
  fi
  for picture in "$run"/out/*.png; do
    [ -e "$picture" ] || continue
    if command -v optipng >/dev/null; then optipng -quiet -o2 "$picture"; fi
    cp "$picture" docs/images/
    echo "screenshots: docs/images/$(basename "$picture") ($(du -k "$picture" | cut -f1) KiB, from $scenario)"
  done
done
exit "$failed"
