#!/usr/bin/env bash
# Builds everything with the sanitizer preset and runs every test, on SQLite and, through a
# throw-away cluster on loopback, on PostgreSQL.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh

# shellcheck source=scripts/pg-scratch.sh
source scripts/pg-scratch.sh
pg_scratch_start || echo "test: PostgreSQL could not be started; its tests will say they were skipped"
trap pg_scratch_stop EXIT

cmake --preset debug
cmake --build --preset debug -j "$(nproc)"
ctest --preset debug -j "$(nproc)" --timeout 600
