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
# The two run side by side. The support tool's tests are left out: they start a process of their
# own and share no threads with the test.
build/tsan/tests/platform/common/platform_common_tests --gtest_brief=1 &
common=$!
build/tsan/tests/backend/backend_tests --gtest_brief=1 --gtest_filter='-*ToolCommands.*' &
backend=$!
status=0
wait "$common" || { echo "tsan: the transport and common library tests failed or raced" >&2; status=1; }
wait "$backend" || { echo "tsan: the back-end tests failed or raced" >&2; status=1; }
exit "$status"
