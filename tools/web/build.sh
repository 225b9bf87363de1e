#!/usr/bin/env bash
# Builds the game for the browser (run through ./build.sh web, which installs Emscripten):
# the WebAssembly libraries (tools/web/build-libs.sh, kept between runs), then the game in
# build-emscripten/, and into build-web/ exactly what a web host serves: index.html,
# lorvex.js, lorvex.wasm, the icons lorvex.png, lorvex-192.png and lorvex-512.png (the latter two compressed again), the web app's
# manifest lorvex.webmanifest and its service worker service-worker.js; beside each of the larger
# files its copies compressed ahead (.gz with zopfli, .br with brotli), for a host that serves
# them as they are (README.md, Browser).
set -euo pipefail
cd "$(dirname "$0")/../.."
# Emscripten's JavaScript tools find their modules there, also with a node that is not Debian's.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
libs=$(tools/web/build-libs.sh | tail -n 1)

# The fonts cut to Latin-1, all the game's texts need: the program is a fifth smaller. Hinting is
# kept, so the glyphs are drawn as from the whole fonts.
fonts=build-emscripten/fonts
mkdir -p "$fonts"
for font in DejaVuSans-Bold DejaVuSerif-Bold; do
  if [ ! "$fonts/$font.ttf" -nt "/usr/share/fonts/truetype/dejavu/$font.ttf" ]; then
    pyftsubset "/usr/share/fonts/truetype/dejavu/$font.ttf" --unicodes=U+0020-007E,U+00A0-00FF \
      --output-file="$fonts/$font.ttf"
  fi
done

emcmake cmake -S . -B build-emscripten -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVEX_WEB_LIBS="$libs" \
  -DLORVEX_FONT_DIR="$PWD/$fonts" > /dev/null
cmake --build build-emscripten
rm -rf build-web
mkdir build-web
cp build-emscripten/{index.html,lorvex.js,lorvex.wasm,lorvex.png,lorvex.webmanifest} build-web/
# The large icons compressed again, losing nothing: a sixth smaller.
for size in 192 512; do zopflipng -y -m "res/lorvex-$size.png" "build-web/lorvex-$size.png" > /dev/null; done
# The worker keeps each build in a cache named for its files: a new build replaces the old one.
build=$(cat build-web/* | sha256sum | cut -c1-16)
sed "s/@BUILD@/$build/" tools/web/service-worker.js > build-web/service-worker.js
for file in index.html lorvex.js lorvex.wasm service-worker.js; do
  zopfli --gzip -c "build-web/$file" > "build-web/$file.gz"
  brotli --best -c "build-web/$file" > "build-web/$file.br"
  touch -r "build-web/$file" "build-web/$file.gz" "build-web/$file.br"
done
ls -l build-web
