#!/usr/bin/env bash
# Builds the Debian package and checks it: the desktop entry and the AppStream metadata
# through their validators, the package's control data and contents against the install
# rules, lintian, and an install and removal in a scratch root.
set -euo pipefail
cd "$(dirname "$0")/.."
./build.sh package

deb=$(ls build-deb/lorvex_*.deb)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() {
  local name=$1; shift
  if "$@" > "$work/out" 2>&1; then
    passed=$((passed + 1)); echo "ok: $name"
  else
    failed=$((failed + 1)); echo "FAILED: $name"; cat "$work/out"
  fi
}

stage=$work/stage
DESTDIR=$stage cmake --install build-deb --prefix /usr > /dev/null
app=com.tamberlo.lorvex
check "desktop-file-validate" desktop-file-validate "$stage/usr/share/applications/$app.desktop"
check "appstreamcli validate" appstreamcli validate --no-net --pedantic "$stage/usr/share/metainfo/$app.metainfo.xml"

echo "== $(basename "$deb"): $(stat -c %s "$deb") bytes"
dpkg-deb --info "$deb"
dependencies() { dpkg-deb --field "$deb" Depends | grep -q 'libsdl2-2.0-0' && dpkg-deb --field "$deb" Depends | grep -q 'libc6'; }
check "dependencies worked out from the program" dependencies
same_files() {
  diff <(cd "$stage" && find . -type f | sort) <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)
}
check "the package holds exactly the installed files" same_files
check "lintian: no errors, no warnings" lintian --fail-on error,warning "$deb"

# dpkg on a root of its own: installs, then removes everything it brought and nothing else,
# leaving nothing for a purge (the package has no configuration files and no scripts).
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/home/player/.local/share/Tamberlo/lorvex"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
printf '[Nastaveni]\nlevel=7\n' > "$root/home/player/.local/share/Tamberlo/lorvex/settings.ini"
dpkg_root() { dpkg --root="$root" --force-not-root --force-depends --log=/dev/null "$@"; }
check "dpkg installs the package" dpkg_root -i "$deb"
check "the game is on the games path" test -x "$root/usr/games/lorvex"
check "dpkg removes the package" dpkg_root --remove lorvex
# dpkg forgets the package altogether: no configuration files are left for a purge.
nothing_to_purge() { ! dpkg-query --admindir="$root/var/lib/dpkg" --status lorvex > /dev/null 2>&1; }
check "nothing is left for a purge" nothing_to_purge
check "nothing of the package is left" test -z "$(find "$root/usr" -type f 2>/dev/null)"
check "the player's level is left alone" grep -qx 'level=7' "$root/home/player/.local/share/Tamberlo/lorvex/settings.ini"

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
