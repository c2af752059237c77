#!/usr/bin/env bash
# Builds the info-file fuzz target with clang (libFuzzer, address and undefined-behaviour
# sanitizers) against the document sources and runs it for a bounded time.
#   fuzz/run.sh [seconds]        default 60; FUZZ_OUT chooses the build folder
# New inputs found go to the work corpus in the build folder; fuzz/corpus holds the seeds.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
seconds="${1:-60}"
out="${FUZZ_OUT:-$here/out}"
mkdir -p "$out/corpus"

sources=(
    "$here/fuzz_inf.cpp"
    "$root/src/util/misc.cpp"
    "$root/src/util/fso.cpp"
    "$root/src/document/cInfTag.cpp"
    "$root/src/document/TagList.cpp"
    "$root/src/document/InfFile.cpp"
    "$root/src/document/edit.cpp"
)
# shellcheck disable=SC2046
clang++ -std=c++20 -g -O1 -fPIC -Wall -Wextra -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -DQT_NO_CAST_FROM_ASCII -DQT_NO_CAST_TO_ASCII -DQT_NO_KEYWORDS -DQT_USE_QSTRINGBUILDER \
    -I"$root/src" $(pkg-config --cflags Qt6Core) \
    "${sources[@]}" $(pkg-config --libs Qt6Core) -o "$out/fuzz_inf"

exec "$out/fuzz_inf" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$out/" "$out/corpus" "$here/corpus"
