#!/usr/bin/env bash
# check-package.sh SOURCE_DIR BUILD_DIR: builds the .deb with scripts/package into a temporary folder
# and looks into it. Prints "N passed, N failed".
set -uo pipefail
source_dir=$1
build_dir=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
passed=0
failed=0
check() { # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@" >"$tmp/out" 2>&1; then
    passed=$((passed + 1))
    echo "PASS: $what"
  else
    failed=$((failed + 1))
    echo "FAIL: $what"
    sed 's/^/    /' "$tmp/out"
  fi
}

if ! BUILD_DIR=$build_dir "$source_dir/scripts/package" --no-build "$tmp/out-deb" >"$tmp/package.log" 2>&1; then
  cat "$tmp/package.log"
  echo "0 passed, 1 failed"
  exit 1
fi
deb=$(ls "$tmp"/out-deb/*.deb)
dpkg-deb --contents "$deb" >"$tmp/contents"
dpkg-deb --field "$deb" Depends >"$tmp/depends"
for path in ./usr/bin/tavrin ./usr/bin/bkdata ./usr/share/applications/tavrin.desktop \
            ./usr/share/icons/hicolor/scalable/apps/tavrin.svg; do
  check "the package holds $path" grep -q " $path\$" "$tmp/contents"
done
for dep in libqt6widgets6 libsqlcipher0 libxlsxwriter qt6-qpa-plugins fonts-noto-cjk qt6-translations-l10n; do
  check "Depends names $dep" grep -q "$dep" "$tmp/depends"
done
dpkg-deb -x "$deb" "$tmp/root"
check "desktop-file-validate passes on the entry" desktop-file-validate "$tmp/root/usr/share/applications/tavrin.desktop"
check "the entry is named Tavrin系统 and sits in Office" \
  bash -c "grep -qx 'Name=Tavrin系统' '$tmp/root/usr/share/applications/tavrin.desktop' &&
           grep -qx 'Categories=Office;' '$tmp/root/usr/share/applications/tavrin.desktop'"
check "the icon is an SVG picture" grep -q "<svg" "$tmp/root/usr/share/icons/hicolor/scalable/apps/tavrin.svg"
# Without any display: --version and --help answer, a plain start says so in one line.
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
check "the unpacked program answers --version" \
  bash -c "${nodisplay[*]} '$tmp/root/usr/bin/tavrin' --version | grep -q '^Tavrin系统 [0-9]'"
check "the unpacked bkdata answers --help" bash -c "'$tmp/root/usr/bin/bkdata' --help | grep -q -- --demo"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
