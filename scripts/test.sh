#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs the whole test suite.
# Usage: scripts/test.sh [extra cmake arguments]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build_dir=${VORA_BUILD_DIR:-build}
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B "$build_dir" -G Ninja "$@"
cmake --build "$build_dir" --parallel "$jobs"
ctest --test-dir "$build_dir" --output-on-failure --parallel "$jobs" --timeout 300
