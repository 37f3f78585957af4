#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS
# (default 60). New corpus entries stay in build-fuzz/corpus; a crash input
# is written to fuzz/findings/ — fix it, then keep it in fuzz/corpus/<target>/
# so CTest replays it from then on.
# Usage: scripts/fuzz.sh [SECONDS [TARGET...]]   (default: every target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

bash scripts/install-deps.sh
build_dir=build-fuzz
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DVORA_FUZZ=ON -DVORA_BUILD_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(tokenize scrub decode options files streamreader expand snooze)
if (($# > 1)); then
    targets=("${@:2}")
fi
cmake --build "$build_dir" --parallel "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]/#/fuzz_}"

mkdir -p fuzz/findings
status=0
for name in "${targets[@]}"; do
    corpus="$build_dir/corpus/$name"
    mkdir -p "$corpus"
    cp -n fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
    echo "== fuzz_$name for ${seconds}s"
    options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="fuzz/findings/$name-")
    if [[ -f fuzz/$name.dict ]]; then
        options+=(-dict="fuzz/$name.dict")
    fi
    # Qt, fontconfig and the X libraries keep caches for the process's life.
    if ! LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
        "$build_dir/bin/fuzz_$name" "${options[@]}" "$corpus" 2>"$build_dir/fuzz_$name.log"; then
        echo "fuzz_$name: FINDING (see $build_dir/fuzz_$name.log and fuzz/findings/)"
        status=1
    fi
    grep -E "stat::number_of_executed_units|cov:" "$build_dir/fuzz_$name.log" | tail -2
done
exit $status
