#!/usr/bin/env bash
# What a packager and a new user get: the install tree, the program run from it with
# the build folder out of reach, the validators, and the .deb with its control fields.
#   install_test.sh BUILD_DIR CPACK_COMMAND VERSION (major.minor.release.build)
set -euo pipefail
BUILD=$1
CPACK=$2
VERSION=$3
IFS=. read -r major minor release build <<<"$VERSION"
ID=io.github.varnak.Varnak
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export ASAN_OPTIONS=detect_leaks=0
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Installed files.
DESTDIR="$WORK/stage" cmake --install "$BUILD" --prefix /usr >/dev/null
for f in bin/varnak bin/varnak-demo-node share/varnak/prefix.lst share/varnak/help.txt share/varnak/telnet.cfg \
         share/varnak/blip.wav share/varnak/ring.wav share/applications/$ID.desktop \
         share/metainfo/$ID.metainfo.xml share/icons/hicolor/scalable/apps/$ID.svg \
         share/icons/hicolor/48x48/apps/$ID.png share/icons/hicolor/128x128/apps/$ID.png \
         share/icons/hicolor/256x256/apps/$ID.png share/man/man1/varnak.1 share/doc/varnak/copyright; do
  [ -s "$WORK/stage/usr/$f" ] || fail "not installed: /usr/$f"
done

# The tree runs wherever it is unpacked: move it, and give it a home of its own.
mv "$WORK/stage" "$WORK/moved"
run() { HOME="$WORK/home" XDG_DATA_HOME="" VARNAK_HOME="" "$WORK/moved/usr/bin/varnak" "$@"; }
version=$(run --version) || fail "--version exited $?"
expected="Varnak $major.$minor$release (Build $build), version $VERSION"
[ "$version" = "$expected" ] || fail "--version printed \"$version\", expected \"$expected\""
run --help | grep -q -- "--lookup \[TEXT...\] look up" || fail "--help lacks the --lookup row"
lookup=$(run --lookup DL1ABC) || fail "--lookup exited $?"
grep -q "Germany" <<<"$lookup" || fail "--lookup DL1ABC printed \"$lookup\""
set +e
bogus=$(run --bogus 2>&1); status=$?
set -e
[ $status -eq 2 ] || fail "--bogus exited $status, expected 2"
grep -q "^varnak: unknown option --bogus" <<<"$bogus" || fail "--bogus said \"$bogus\""
grep -q "^Usage: varnak" <<<"$bogus" || fail "--bogus printed no usage"

# Desktop entry, AppStream metadata and manual page pass their validators.
desktop-file-validate "$WORK/moved/usr/share/applications/$ID.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$WORK/moved/usr/share/metainfo/$ID.metainfo.xml" >"$WORK/as.log" 2>&1 ||
  { cat "$WORK/as.log"; fail "appstreamcli validate"; }
warnings=$(groff -man -ww -z "$WORK/moved/usr/share/man/man1/varnak.1" 2>&1)
[ -z "$warnings" ] || fail "man page: $warnings"

# The Debian package.
(cd "$BUILD" && "$CPACK" -G DEB >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; fail "cpack"; }
deb=$(ls -t "$BUILD"/varnak_*.deb | head -n 1)
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = varnak ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$VERSION" ] || fail "Version: $(field Version)"
[ "$(field Section)" = hamradio ] || fail "Section: $(field Section)"
for dep in hamradio-files xplanet-images libqt6widgets6 libc6; do
  field Depends | grep -q "$dep" || fail "Depends lacks $dep: $(field Depends)"
done
[ "$(field Recommends)" = "direwolf, libhamlib-utils" ] || fail "Recommends: $(field Recommends)"
dpkg -x "$deb" "$WORK/root"
HOME="$WORK/home2" XDG_DATA_HOME="" VARNAK_HOME="" "$WORK/root/usr/bin/varnak" --lookup DL1ABC | grep -q Germany ||
  fail "the packaged program found no country data"
dpkg-deb -c "$deb" >"$WORK/contents.txt"; grep -q "./usr/share/applications/$ID.desktop" "$WORK/contents.txt" || fail ".deb lacks the desktop entry"
! field Description | grep -q ";" || fail "Description has list separators"

if [ $failures -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "install test passed"
