#!/usr/bin/env bash
# Builds an optimised launcher and prints its figures beside their floors and goals.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target zel_bench
QT_QPA_PLATFORM=offscreen build-release/bench/zel_bench
