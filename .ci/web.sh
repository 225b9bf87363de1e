#!/usr/bin/env bash
# The browser build and its check: ./build.sh web builds build-web/ (the WebAssembly libraries
# only once per machine: they are kept in ~/.cache/lorvex-web), then tools/web/check.py serves
# it on 127.0.0.1 and plays it in Debian's headless Chromium through Selenium and chromedriver,
# on a desktop's screen and on a phone's with touch. Screenshots stay in build-web/shots/.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
./build.sh web
echo "web build took $((SECONDS - started)) s"
tools/replay/check-web.sh
# The online game: two pages, and the desktop build (built by ./build.sh test before this step,
# or now), on the relay; then the page alone. Debian's own Python, whose packages
# (python3-selenium, python3-pil, python3-websockets) the checks import.
[ -x build/lorvex ] || ./build.sh build
online=0
/usr/bin/python3 tools/web/online_check.py build-web || online=$?
/usr/bin/python3 tools/web/check.py build-web
exit "$online"
