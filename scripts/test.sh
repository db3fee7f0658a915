#!/usr/bin/env bash
# Sets up, builds and runs every test: the formatting of every source file, the whole
# suite, then the core, command-line and window tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzz target for 20 s, then the Windows build's
# tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
# Every C++ file as .clang-format says; the files that differ are named.
find src tests tools bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run --Werror
cmake --preset dev
cmake --build --preset dev
# Window tests use the offscreen platform; the tests of the real X11 backends need a
# display, so the suite runs inside a virtual one. -noreset: a server that resets
# whenever its last client leaves refuses connections for a moment, which made
# tests that start X programs flaky.
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --preset dev
cmake --preset dev-asan
cmake --build --preset dev-asan
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --preset dev-asan
./scripts/fuzz.sh 20
./scripts/test-windows.sh
