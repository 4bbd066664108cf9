#!/usr/bin/env bash
# Builds everything with the sanitizer preset and runs every test, on SQLite and, through a
# throw-away cluster on loopback, on PostgreSQL; then builds the Debian package (Release, only the
# two programs) and checks it.
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

package_dir=build/package/out
rm -rf "$package_dir"
if scripts/package.sh "$package_dir" && scripts/check-package.sh "$package_dir"/*.deb; then
  :
else
  echo "test: the package failed its build or its checks" >&2
  status=1
fi
exit "$status"
