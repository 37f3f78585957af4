#!/usr/bin/env bash
# Redraws the programs' images into the source tree (commit the result).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VORA_BUILD_DIR:-build}
cmake --build "$build_dir" --target vora_draw_artwork
"$build_dir/bin/vora_draw_artwork" \
    src/agent/mac/useralert/resources \
    src/agent/mac/StatusBar/VORAMenuBar/resources
