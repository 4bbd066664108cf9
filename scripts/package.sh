#!/usr/bin/env bash
# Builds the Debian package halberon-bankruptcy_<version>_amd64.deb: a Release build of the two
# programs only (in build/package), put together by CPack under /usr, its dependencies computed
# from the programs by dpkg-shlibdeps. The package goes into OUTDIR (default: the checkout's top
# folder); its path is the last line printed.
#   scripts/package.sh [OUTDIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-.}

scripts/bootstrap.sh

build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALBERON_BUILD_TESTS=OFF \
  -DHALBERON_BUILD_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" --target halberon-bankruptcy halberon_backend_tool -j "$(nproc)"

rm -rf "$build/cpack"
cpack --config "$build/CPackConfig.cmake" -B "$build/cpack" >"$build/cpack.log" 2>&1 || {
  cat "$build/cpack.log" >&2
  echo "package: cpack failed" >&2
  exit 1
}
debs=("$build"/cpack/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package: cpack made no package" >&2; exit 1; }
mkdir -p "$out"
mv -f "${debs[0]}" "$out/"
echo "package: $(cd "$out" && pwd)/$(basename "${debs[0]}")"
