#!/usr/bin/env bash
# Builds the tests of the two parts that run threads, the transport (with the rest of the common
# library) and the back end, with ThreadSanitizer (preset tsan, build/tsan), and runs them. Fails
# on a test failure or a data race. Qt is not built with ThreadSanitizer, so the reports that lie
# wholly inside Qt are suppressed (tests/tsan.supp says why for each).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$(nproc)"

export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp second_deadlock_stack=1 history_size=4 ${TSAN_OPTIONS:-}"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
status=0
for test in build/tsan/tests/platform/common/platform_common_tests build/tsan/tests/backend/backend_tests; do
  echo "tsan: $test"
  "$test" --gtest_brief=1 || { echo "tsan: $test failed (exit $?)" >&2; status=1; }
done
exit "$status"
