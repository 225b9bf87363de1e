#!/usr/bin/env bash
# SDL2, SDL2_ttf and FreeType for WebAssembly, built from Debian's source packages of the
# newest versions its archive offers (a security update may bring a newer one). The built
# libraries are kept in a folder named by those versions, under ~/.cache/lorvex-web (or
# $LORVEX_WEB_CACHE), so a second run, or a fresh clone on the same machine, rebuilds nothing.
# apt runs with a state of its own, from deb-src copies of the system's source lists: the
# system's apt configuration is never touched. Prints the libraries' folder as its last line.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${LORVEX_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lorvex-web}
state=$cache/apt
mkdir -p "$state/sources" "$state/lists/partial" "$state/cache/archives/partial" "$cache/downloads"
say() { echo "web libraries: $*" >&2; }

# The system's Debian sources, as source-package sources.
rm -f "$state"/sources/*
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  case $f in
    *.sources) sed -E 's/^Types:.*/Types: deb-src/' "$f" > "$state/sources/$(basename "$f")" ;;
    *) sed -nE 's/^deb(\s+\[[^]]*\])?\s/deb-src\1 /p' "$f" > "$state/sources/$(basename "$f" .list)-src.list" ;;
  esac
done
apt_opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$state/sources"
          -o "Dir::State::Lists=$state/lists" -o "Dir::Cache=$state/cache" -o Debug::NoLocking=1
          -o "APT::Sandbox::User=$(id -un)")
say "reading Debian's source package lists"
apt-get "${apt_opts[@]}" -qq update >&2 || say "the lists could not be updated; using the ones from before"

newest() {  # newest SOURCE-PACKAGE: its newest version in the lists
  local best='' v
  for v in $(apt-cache "${apt_opts[@]}" showsrc "$1" 2> /dev/null | sed -n 's/^Version: //p'); do
    if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
  done
  [ -n "$best" ] || { say "no source package $1 in the lists"; exit 1; }
  echo "$best"
}
sdl=$(newest libsdl2) ttf=$(newest libsdl2-ttf) ft=$(newest freetype)
say "SDL2 $sdl, SDL2_ttf $ttf, FreeType $ft"
# The build recipe is part of the name: a changed one builds anew.
recipe=$(cat "$here/libs/CMakeLists.txt" "$here/libs/ftmodule_web.h" | sha1sum | cut -c1-8)
out=$cache/sdl2-${sdl}_ttf-${ttf}_freetype-${ft}_$recipe
if [ -f "$out/lib/libSDL2.a" ]; then
  say "already built in $out"
  echo "$out"
  exit 0
fi

say "fetching the source packages"
(cd "$cache/downloads" &&
  apt-get "${apt_opts[@]}" -q source --download-only "libsdl2=$sdl" "libsdl2-ttf=$ttf" "freetype=$ft" >&2)
work=$out.building
rm -rf "$work" "$out"
mkdir -p "$work/src"
for dsc in "libsdl2_${sdl#*:}" "libsdl2-ttf_${ttf#*:}" "freetype_${ft#*:}"; do
  say "unpacking $dsc"
  dpkg-source --no-check -x "$cache/downloads/$dsc.dsc" "$work/src/${dsc%%_*}" > /dev/null
done
say "compiling (the first time only: about two minutes)"
emcmake cmake -S "$here/libs" -B "$work/obj" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DSDL2_SOURCE="$work/src/libsdl2" -DFREETYPE_SOURCE="$work/src/freetype" \
  -DSDL2_TTF_SOURCE="$work/src/libsdl2-ttf" -DCMAKE_INSTALL_PREFIX="$work/install" > /dev/null
cmake --build "$work/obj" >&2
cmake --install "$work/obj" > /dev/null
mv "$work/install" "$out"
rm -rf "$work"
say "built into $out"
echo "$out"
