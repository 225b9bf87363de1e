#!/usr/bin/env bash
# Builds the game for the browser (run through ./build.sh web, which installs Emscripten):
# the WebAssembly libraries (tools/web/build-libs.sh, kept between runs), then the game in
# build-emscripten/, and into build-web/ exactly what a web host serves: index.html,
# lorvex.js, lorvex.wasm and the icon lorvex.png.
set -euo pipefail
cd "$(dirname "$0")/../.."
# Emscripten's JavaScript tools find their modules there, also with a node that is not Debian's.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
libs=$(tools/web/build-libs.sh | tail -n 1)
emcmake cmake -S . -B build-emscripten -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVEX_WEB_LIBS="$libs" > /dev/null
cmake --build build-emscripten
rm -rf build-web
mkdir build-web
cp build-emscripten/index.html build-emscripten/lorvex.js build-emscripten/lorvex.wasm build-emscripten/lorvex.png \
   build-web/
ls -l build-web
