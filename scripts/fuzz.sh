#!/usr/bin/env bash
# Long run of the parser fuzzer: scripts/fuzz.sh [builddir] [count] [seed]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" -j2 --target fuzz_parsers
"$build/tests/fuzz_parsers" "${2:-1000000}" "${3:-$RANDOM}"
