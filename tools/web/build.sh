#!/usr/bin/env bash
# Builds the game for the browser (run through ./build.sh web, which installs Emscripten):
# the WebAssembly libraries (tools/web/build-libs.sh, kept between runs), then the game in
# build-emscripten/, and into build-web/ exactly what a web host serves: index.html,
# lorvex.js, lorvex.wasm, the icons lorvex.png, lorvex-192.png and lorvex-512.png, the web app's
# manifest lorvex.webmanifest and its service worker service-worker.js.
set -euo pipefail
cd "$(dirname "$0")/../.."
# Emscripten's JavaScript tools find their modules there, also with a node that is not Debian's.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
libs=$(tools/web/build-libs.sh | tail -n 1)
emcmake cmake -S . -B build-emscripten -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVEX_WEB_LIBS="$libs" > /dev/null
cmake --build build-emscripten
rm -rf build-web
mkdir build-web
cp build-emscripten/{index.html,lorvex.js,lorvex.wasm,lorvex.png,lorvex-192.png,lorvex-512.png,lorvex.webmanifest} \
   build-web/
# The worker keeps each build in a cache named for its files: a new build replaces the old one.
build=$(cat build-web/* | sha256sum | cut -c1-16)
sed "s/@BUILD@/$build/" tools/web/service-worker.js > build-web/service-worker.js
ls -l build-web
