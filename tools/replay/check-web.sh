#!/usr/bin/env bash
# The browser's build plays the recorded keys to the same state hashes, tick by tick, as the
# desktop's (whose ctest replay_hashes holds them to tools/replay/match.hashes): two online
# players on the two builds never drift apart. Run after tools/web/build.sh made build-emscripten/.
set -euo pipefail
cd "$(dirname "$0")/../.."
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
cmake --build build-emscripten --target lorvex_replay > /dev/null
node build-emscripten/lorvex_replay.js tools/replay/match.keys > build-emscripten/replay.hashes
if ! cmp -s build-emscripten/replay.hashes tools/replay/match.hashes; then
  echo "replay: WebAssembly and the desktop differ first at:"
  diff build-emscripten/replay.hashes tools/replay/match.hashes | head -4
  echo "replay: 0 passed, 1 failed"
  exit 1
fi
echo "replay: $(wc -l < tools/replay/match.hashes) ticks alike; 1 passed, 0 failed"
