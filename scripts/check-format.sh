#!/usr/bin/env bash
# Fails when a tracked C++ file (.cpp, .h) does not match .clang-format, and names each such file.
# Formatting differs between clang-format versions: the repository is formatted with the one
# Debian 12 ships (14); CLANG_FORMAT picks another binary. Run with -v to see every difference.
#   scripts/check-format.sh        # names the files that are off
#   scripts/check-format.sh -v     # and shows where
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
command -v "$clang_format" >/dev/null || { echo "check-format: $clang_format not found" >&2; exit 2; }
verbose=0
[ "${1:-}" = "-v" ] && verbose=1

bad=()
while IFS= read -r -d '' file; do
  if ! "$clang_format" --dry-run -Werror "$file" >/dev/null 2>&1; then
    bad+=("$file")
    [ "$verbose" -eq 1 ] && "$clang_format" --dry-run "$file" 2>&1 | head -n 20
  fi
done < <(git ls-files -z -- '*.cpp' '*.h')

if [ "${#bad[@]}" -gt 0 ]; then
  printf 'check-format: not formatted: %s\n' "${bad[@]}" >&2
  echo "check-format: ${#bad[@]} file(s) differ from .clang-format ($("$clang_format" --version))." >&2
  echo "check-format: fix with: $clang_format -i FILE (or git clang-format for changed lines only)" >&2
  exit 1
fi
echo "check-format: every tracked .cpp/.h file matches .clang-format"
