#!/usr/bin/env bash
# Fails when a C++ source is not formatted as .clang-format says; `clang-format -i FILE` mends it.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format > /dev/null; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends clang-format
fi
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
