#!/usr/bin/env bash
# Checks a built package: its name and fields, the files it must hold, its dependencies (the
# programs' libraries, the SQLite driver; PostgreSQL's only recommended), the desktop entry and
# the AppStream metainfo through their validators, and that the packaged programs start.
#   scripts/check-package.sh halberon-bankruptcy_<version>_amd64.deb
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 PACKAGE.deb" >&2; exit 2; }
deb=$1
id=org.halberon.bankruptcy
problems=0
fail() {
  echo "check-package: $*" >&2
  problems=$((problems + 1))
}

version=$(dpkg-deb --field "$deb" Version)
[ "$(dpkg-deb --field "$deb" Package)" = halberon-bankruptcy ] || fail "the package is not named halberon-bankruptcy"
[ "$(dpkg-deb --field "$deb" Architecture)" = amd64 ] || fail "the package is not for amd64"
[ "$(basename "$deb")" = "halberon-bankruptcy_${version}_amd64.deb" ] ||
  fail "the file is named $(basename "$deb"), not halberon-bankruptcy_${version}_amd64.deb"

contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
for file in usr/bin/halberon-bankruptcy usr/bin/halberon-backend \
  "usr/share/applications/$id.desktop" "usr/share/icons/hicolor/scalable/apps/$id.svg" \
  "usr/share/metainfo/$id.metainfo.xml" usr/share/doc/halberon-bankruptcy/README.md \
  usr/share/doc/halberon-bankruptcy/docs/user-guide.md; do
  grep -qx "\./$file" <<<"$contents" || fail "the package does not hold /$file"
done
grep -q '^\./usr/share/doc/halberon-bankruptcy/docs/images/.*\.png$' <<<"$contents" ||
  fail "the package holds none of the user guide's pictures"

depends=$(dpkg-deb --field "$deb" Depends)
recommends=$(dpkg-deb --field "$deb" Recommends)
for needed in libqt6widgets6 libqt6sql6 libqt6svg6 libc6 libqt6sql6-sqlite; do
  grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
grep -q libqt6sql6-psql <<<"$depends" && fail "Depends requires the PostgreSQL driver: $depends"
grep -q libqt6test <<<"$depends" && fail "Depends requires Qt Test, which only the tests use: $depends"
grep -q libqt6sql6-psql <<<"$recommends" || fail "Recommends lacks libqt6sql6-psql: $recommends"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
entry="$root/usr/share/applications/$id.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate refused the desktop entry"
for line in "Categories=Office;Finance;" "Icon=$id" "Exec=halberon-bankruptcy"; do
  grep -qx "$line" "$entry" || fail "the desktop entry lacks the line $line"
done
grep -q '^Name=.' "$entry" && grep -q '^Comment=.' "$entry" || fail "the desktop entry lacks a Name or a Comment"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$root/appstream.txt" 2>&1 ||
  fail "appstreamcli refused the metainfo: $(cat "$root/appstream.txt")"

answer=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/halberon-bankruptcy" --version 2>"$root/errors.txt") ||
  fail "the packaged halberon-bankruptcy --version failed: $(cat "$root/errors.txt")"
[ "$answer" = "HALBERON $version" ] || fail "the packaged program answers --version with '$answer', not 'HALBERON $version'"
"$root/usr/bin/halberon-backend" --help >/dev/null 2>&1 || fail "the packaged halberon-backend --help failed"

if [ "$problems" -ne 0 ]; then
  echo "check-package: $deb: $problems problem(s)" >&2
  exit 1
fi
echo "check-package: $deb is fine (version $version; Depends: $depends; Recommends: $recommends)"
