#!/usr/bin/env bash
# Builds everything with the sanitizer preset and runs every test, on SQLite and, through a
# throw-away cluster on loopback, on PostgreSQL; runs the transport and back-end tests again under
# ThreadSanitizer; checks formatting and clang-tidy; then builds the Debian package (Release, only
# the two programs) and checks it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh

# shellcheck source=scripts/pg-scratch.sh
source scripts/pg-scratch.sh
pg_scratch_start || echo "test: PostgreSQL could not be started; its tests will say they were skipped"
trap pg_scratch_stop EXIT

cmake --preset debug
cmake --build --preset debug -j "$(nproc)"
status=0
ctest --preset debug -j "$(nproc)" --timeout 600 || status=$?

# The threads of the transport and the back end, under ThreadSanitizer.
scripts/tsan.sh || { echo "test: a ThreadSanitizer test failed or found a race" >&2; status=1; }
# Every C++ file formatted; no clang-tidy finding in the sources changed since the revision named in
# scripts/tidy-base (a run over all of src/ takes longer than the test budget allows: plain
# scripts/tidy.sh does that).
scripts/check-format.sh || status=1
scripts/tidy.sh --since "$(cat scripts/tidy-base)" || status=1

package_dir=build/package/out
rm -rf "$package_dir"
if scripts/package.sh "$package_dir" && scripts/check-package.sh "$package_dir"/*.deb; then
  :
else
  echo "test: the package failed its build or its checks" >&2
  status=1
fi
exit "$status"
