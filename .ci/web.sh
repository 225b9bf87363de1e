#!/usr/bin/env bash
# The browser build and its check: ./build.sh web builds build-web/ (the WebAssembly libraries
# only once per machine: they are kept in ~/.cache/lorvex-web), then tools/web/check.py serves
# it on 127.0.0.1 and plays it in Debian's headless Chromium over the DevTools protocol.
# Screenshots stay in build-web/shots/.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
./build.sh web
echo "web build took $((SECONDS - started)) s"
exec python3 tools/web/check.py build-web
