#!/usr/bin/env bash
# Set-up, build and run for Lorvex on Debian 12.
#   ./build.sh play [OPTIONS]  install what the game needs, build only the game, start it
#                     (OPTIONS go to the game: --window, --help)
#   ./build.sh test   install what is missing (the tests' validators too), build, run the test suite
#   ./build.sh build  install what is missing, build only
#   ./build.sh package  install what is missing, build the Debian package into build-deb/
#   ./build.sh windows  install what is missing, cross-build the Windows programs and zips
#   ./build.sh web      install what is missing, build the browser's game into build-web/
#   ./build.sh serve [HOST:PORT]  the relay for online games and build-web/ on one port
#                     (127.0.0.1:8000 unless told; builds build-web/ first when it has no page)
set -euo pipefail
cd "$(dirname "$0")"

# What building the game needs; `play` asks for no more. dpkg-dev reads the version from
# packaging/changelog; libwebsockets-dev is the online game's WebSocket.
packages=(cmake ninja-build g++ pkg-config libsdl2-dev libsdl2-ttf-dev fonts-dejavu-core dpkg-dev libwebsockets-dev)
# What the tests, the benchmarks and the picture generator need besides.
developer_packages=(libgtest-dev googletest libbenchmark-dev zlib1g-dev libsdl2-image-dev)
# What building and checking the Debian package needs besides.
package_packages=(file lintian desktop-file-utils appstream)
# The validators the tests check the installed desktop entry and metadata with, and the X
# server the test of a lost display connection runs, and the relay's WebSocket library.
test_packages=(desktop-file-utils appstream xvfb python3-websockets)
# What the Windows build and its check under wine (.ci/windows.sh) need.
windows_packages=(cmake ninja-build dpkg-dev g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 xvfb x11-utils
                  xdotool imagemagick unzip)
# What the browser build (tools/web/build.sh) and its check in Chromium (.ci/web.sh) need:
# dpkg-dev unpacks the libraries' source packages, fonttools cuts the fonts, zopfli and brotli
# compress the files ahead; the check drives Chromium with Selenium through chromedriver and
# compares pictures with PIL; the online check runs the relay and the desktop build under Xvfb.
web_packages=(cmake ninja-build emscripten dpkg-dev xz-utils fonts-dejavu-core fonttools zopfli brotli chromium
              chromium-driver python3 python3-selenium python3-pil python3-websockets xvfb)

# apt-get needs root; when this user cannot get it, say why, what is missing and how to get it.
cannot_install() {
  local why=$1
  shift
  echo "Missing Debian packages: $*" >&2
  echo "Installing them needs root: $why. Install them as root:" >&2
  echo "  su -c 'apt-get update && apt-get install --no-install-recommends $*'" >&2
  echo "then run $0 again." >&2
  exit 1
}

# Whether the sudoers file refuses this user: sudo would ask the password and only then say
# so. `sudo -nv` asks nothing; both a refused user and one who needs a password get status 1,
# and only the refused one is told "may not run sudo" (in the C locale).
sudo_refused() {
  local answer
  answer=$(LC_ALL=C sudo -nv 2>&1) && return 1
  [[ $answer == *"may not run sudo"* ]]
}

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo > /dev/null || cannot_install "this user is not root and there is no sudo" "${missing[@]}"
    sudo_refused && cannot_install "sudo does not let $(id -un) run commands as root" "${missing[@]}"
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

build() {
  packages+=("${developer_packages[@]}")
  install_missing
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DLORVEX_DEVELOPER=ON
  cmake --build build
}

# Only the game: a first build leaves the developers' part out; a build folder that has it
# keeps it, as its packages are there.
play() {
  install_missing
  local first=()
  [ -f build/CMakeCache.txt ] || first=(-DLORVEX_DEVELOPER=OFF)
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "${first[@]}"
  cmake --build build --target lorvex
  exec ./build/lorvex "$@"
}

# A build of its own: the program goes to /usr/games, where Debian keeps games, and is
# compiled with Debian's hardening flags.
package() {
  packages+=("${package_packages[@]}")
  install_missing
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_BINDIR=games -DLORVEX_DEVELOPER=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
  cmake --build build-deb --target lorvex lorvex_documents
  (cd build-deb && cpack)
}

serve() {
  local address=${1:-127.0.0.1:8000} host
  if [ ! -f build-web/index.html ]; then
    packages=("${web_packages[@]}")
    install_missing
    tools/web/build.sh
  fi
  packages=(python3 python3-websockets)
  install_missing
  host=${address%:*}
  host=${host#[}
  exec /usr/bin/python3 server/relay.py --host "${host%]}" --port "${address##*:}" --files build-web
}

test_suite() {
  packages+=("${test_packages[@]}")
  build
  cd build && ctest --output-on-failure -j"$(nproc)"
}

case "${1:-play}" in
  play)  shift || true; play "$@" ;;
  test)  test_suite ;;
  build) build ;;
  package) package ;;
  windows) packages=("${windows_packages[@]}"); install_missing; tools/windows/build.sh ;;
  web) packages=("${web_packages[@]}"); install_missing; tools/web/build.sh ;;
  serve) shift; serve "$@" ;;
  *) echo "usage: $0 play|test|build|package|windows|web|serve" >&2; exit 2 ;;
esac
