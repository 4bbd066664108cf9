#!/usr/bin/env bash
# Plants deliberate faults one at a time and records which tests catch each: shows what the test
# suite is worth. Run it from the top of a clean work tree with a configured build of it.
#   scripts/fault-check.sh PATCH_DIR BUILD_DIR
# PATCH_DIR holds one patch per fault (*.patch, applied with `git apply`). For each patch: apply,
# build, run every test program the fault made the build relink (each whole, in one process), and
# when none of them fails, the scenario tests (ctest -L e2e); then take the patch back out.
# FAULT_CHECK_SCENARIOS=always plays the scenarios for every fault; FAULT_CHECK_SCENARIO_ARGS adds
# ctest options for them (e.g. "-E postgres" to play them on SQLite only).
# FAULT_CHECK_TARGETS="records_tests backend_tests" builds and runs only those test programs (much
# quicker when the fault's own layer is known to catch it); the scenarios then build everything.
# Prints "NAME: caught by TEST...", "NAME: ESCAPED" or "NAME: does not build" per fault; the logs
# are kept in BUILD_DIR/fault-check/, and a fault with a result there is not run again.
set -uo pipefail

patches=${1:?usage: fault-check.sh PATCH_DIR BUILD_DIR}
build=${2:?usage: fault-check.sh PATCH_DIR BUILD_DIR}
out="$build/fault-check"
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 ASAN_OPTIONS=detect_leaks=0

if ! git diff --quiet; then
  echo "fault-check: the work tree has changes; start from a clean tree" >&2
  exit 2
fi
cmake --build "$build" >"$out/clean.build.log" 2>&1 || { echo "fault-check: the clean tree does not build" >&2; exit 2; }

for patch in "$patches"/*.patch; do
  name=$(basename "$patch" .patch)
  if [ -s "$out/$name.result" ]; then
    cat "$out/$name.result"
    continue
  fi
  if ! git apply "$patch"; then
    echo "$name: does not apply"
    continue
  fi
  stamp="$out/$name.stamp"
  touch "$stamp"
  : >"$out/$name.failed"
  # shellcheck disable=SC2086 # a list of targets
  if ! cmake --build "$build" ${FAULT_CHECK_TARGETS:+--target $FAULT_CHECK_TARGETS} >"$out/$name.build.log" 2>&1; then
    echo "$name: does not build" | tee "$out/$name.result"
    git apply -R "$patch"
    continue
  fi
  # Test programs the fault did not relink cannot notice it.
  # shellcheck disable=SC2016 # expanded by the inner shell
  find "$build/tests" -type f -executable -name '*_tests' -newer "$stamp" | sort |
    xargs -r -P 2 -I{} sh -c '"$1" --gtest_brief=1 >"$2/$3.$(basename "$1").log" 2>&1' _ {} "$out" "$name"
  for log in "$out/$name".*_tests.log; do
    [ -e "$log" ] || continue
    sed -n 's/^\[  FAILED  \] \([^ ,]*\).*/\1/p' "$log" | grep -v '^[0-9]*$' >>"$out/$name.failed"
    # A crash ends the program before gtest can list what failed.
    grep -q 'PASSED\|FAILED TESTS\|tests\? ran' "$log" || echo "$(basename "$log" .log) (crashed)" >>"$out/$name.failed"
  done
  if [ ! -s "$out/$name.failed" ] || [ "${FAULT_CHECK_SCENARIOS:-}" = always ]; then
    rm -f "$build/Testing/Temporary/LastTestsFailed.log"
    [ -z "${FAULT_CHECK_TARGETS:-}" ] || cmake --build "$build" >>"$out/$name.build.log" 2>&1
    # shellcheck disable=SC2086
    ctest --test-dir "$build" -L e2e -j2 --timeout 300 ${FAULT_CHECK_SCENARIO_ARGS:-} >"$out/$name.e2e.log" 2>&1
    [ -s "$build/Testing/Temporary/LastTestsFailed.log" ] &&
      cut -d: -f2- "$build/Testing/Temporary/LastTestsFailed.log" >>"$out/$name.failed"
  fi
  sort -u -o "$out/$name.failed" "$out/$name.failed"
  if [ -s "$out/$name.failed" ]; then
    echo "$name: caught by $(tr '\n' ' ' <"$out/$name.failed")"
  else
    echo "$name: ESCAPED"
  fi | tee "$out/$name.result"
  git apply -R "$patch"
done
cmake --build "$build" >"$out/clean.build.log" 2>&1
