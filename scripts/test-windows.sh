#!/usr/bin/env bash
# Cross-builds the core, the Win32 backends, quillmor-cli, quillmor-demo and their tests
# for Windows with MinGW-w64 and runs the tests under Wine in a fresh prefix; then
# compares quillmor-cli under Wine with the Linux build on demo data. The window needs
# Qt for Windows, which Debian does not have: its sources are compiled for Windows,
# syntax only, against Debian's Qt headers (scripts/check-window-win32.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --preset windows "${launcher[@]}"
cmake --build --preset windows
# The Linux programs to compare with; already built when the whole suite ran first.
[ -f build/dev/CMakeCache.txt ] || cmake --preset dev "${launcher[@]}"
cmake --build --preset dev --target quillmor-cli quillmor-demo quillmor_gui_autogen
./scripts/check-window-win32.sh

# A prefix of our own, made once, gone afterwards; -all keeps Wine's diagnostics out of
# the programs' standard error.
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/quillmor-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all
# Neither Mono nor Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
wineboot --init >/dev/null 2>&1
# Windows without a display: the window tests need no X server.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
wineserver --wait

ctest --preset windows
tests/windows/compare-cli.sh build/dev/src/cli/quillmor-cli build/dev/tools/quillmor-demo \
    build/windows/bin/quillmor-cli.exe build/windows/bin/quillmor-demo.exe
