#!/usr/bin/env bash
# Runs clang-tidy with the repository's .clang-tidy over the program's sources (src/) and fails on
# any finding. It reads the compile commands of a configured and built tree (the debug preset's by
# default; built, because the Qt sources include files moc generates).
#   scripts/tidy.sh                      # every .cpp under src/
#   scripts/tidy.sh --since v1.2         # only those changed since a git revision, and the .cpp
#                                        # files that include a changed src/ header
#   scripts/tidy.sh --since-tag          # only those changed since the latest tag (all without one)
# Options: --build DIR (default build/debug), --jobs N (default: the number of processors).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/debug
jobs=$(nproc)
since=""
while [ $# -gt 0 ]; do
  case "$1" in
    --since) since=${2:?--since needs a git revision}; shift 2 ;;
    --since-tag)
      since=$(git describe --tags --abbrev=0 2>/dev/null || true)
      [ -n "$since" ] || echo "tidy: no tag yet, so every file is checked"
      shift ;;
    --build) build=${2:?--build needs a folder}; shift 2 ;;
    --jobs) jobs=${2:?--jobs needs a number}; shift 2 ;;
    *) echo "tidy: unknown option $1" >&2; exit 2 ;;
  esac
done

clang_tidy=${CLANG_TIDY:-clang-tidy}
command -v "$clang_tidy" >/dev/null || { echo "tidy: $clang_tidy not found" >&2; exit 2; }
[ -f "$build/compile_commands.json" ] || {
  echo "tidy: $build/compile_commands.json is missing; configure and build first" >&2
  exit 2
}

files=()
if [ -z "$since" ]; then
  mapfile -t files < <(git ls-files -- 'src/*.cpp')
else
  git rev-parse --verify --quiet "$since^{commit}" >/dev/null || {
    echo "tidy: $since is not a git revision" >&2
    exit 2
  }
  # Changed since the revision, committed or not; deleted files have nothing left to check.
  mapfile -t changed < <(git diff --name-only --diff-filter=d "$since" -- 'src/*.cpp' 'src/*.h')
  declare -A wanted=() seen=()
  # A header is checked through the sources that include it (by its path from src/); one that no
  # source includes itself, through the sources of the headers that include it.
  includers() {
    local header=$1 user found=0
    [ -z "${seen[$header]:-}" ] || return 0
    seen[$header]=1
    while IFS= read -r user; do wanted[$user]=1; found=1; done \
      < <(git grep -l -F "#include \"${header#src/}\"" -- 'src/*.cpp' || true)
    [ "$found" -eq 0 ] || return 0
    while IFS= read -r user; do includers "$user"; done \
      < <(git grep -l -F "#include \"${header#src/}\"" -- 'src/*.h' || true)
  }
  for file in "${changed[@]}"; do
    case "$file" in
      *.cpp) wanted[$file]=1 ;;
      *.h) includers "$file" ;;
    esac
  done
  files=("${!wanted[@]}")
  echo "tidy: ${#files[@]} source file(s) changed since $since"
fi
[ "${#files[@]}" -gt 0 ] || { echo "tidy: nothing to check"; exit 0; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# clang cannot read GCC's precompiled headers (HALBERON_PCH): the commands go to clang-tidy
# without them; every source includes what it needs itself.
db=$build
if grep -q 'cmake_pch' "$build/compile_commands.json"; then
  db=$out/db
  mkdir -p "$db"
  sed -E 's# -Winvalid-pch -include [^ ]*/cmake_pch\.hxx##g' "$build/compile_commands.json" \
    >"$db/compile_commands.json"
fi
# One clang-tidy per file; a file's report is kept only when it has findings (non-zero exit, since
# .clang-tidy turns every warning into an error).
export clang_tidy db out
printf '%s\0' "${files[@]}" | xargs -0 -n 1 -P "$jobs" bash -c '
  log="$out/$(printf "%s" "$1" | tr / _).log"
  "$clang_tidy" -p "$db" --quiet "$1" >"$log" 2>&1 || exit 1
  rm -f "$log"' tidy-one || true

mapfile -t reports < <(find "$out" -name '*.log' | sort)
if [ "${#reports[@]}" -gt 0 ]; then
  for report in "${reports[@]}"; do grep -v -E '^[0-9]+ .* generated\.$' "$report" || true; done
  echo "tidy: findings in ${#reports[@]} of ${#files[@]} file(s)" >&2
  exit 1
fi
echo "tidy: no findings in ${#files[@]} file(s)"
