#!/usr/bin/env bash
# Builds the workbook fuzzer with clang and runs it for the given seconds (default 300) over
# the kept corpus, then merges what it found back into the corpus, small inputs only.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
source_dir="$(dirname "$here")"
build_dir="${FUZZ_BUILD_DIR:-$source_dir/build-fuzz}"
seconds="${1:-300}"
corpus="$source_dir/tests/admin/data/xls_corpus"
seeds="$source_dir/tests/admin/data/malformed"

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DDISPORA_FUZZ=ON >/dev/null
cmake --build "$build_dir" --target fuzz_workbook -j2

found="$(mktemp -d)"
trap 'rm -rf "$found"' EXIT
cp "$corpus"/* "$found"/
# Inputs that crash the spreadsheet library crash only the reading process: its sanitizer
# report and crash file are expected; the run goes on as long as this process lives.
"$build_dir/fuzz/fuzz_workbook" -max_total_time="$seconds" -max_len=16384 -timeout=20 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build_dir/" "$found" "$seeds"
# Keep the smallest inputs that cover what the run covered.
"$build_dir/fuzz/fuzz_workbook" -merge=1 -max_len=16384 -artifact_prefix="$build_dir/" "$corpus" "$found"
