#!/usr/bin/env bash
# Compiles every source of the window for Windows with MinGW-w64, syntax only, against
# Debian's Qt headers (Debian has no Qt for Windows to link with). The moc output comes
# from the Linux build in build/dev. Any warning besides Qt's dllimport notes fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/dev
[ -f "$build/compile_commands.json" ] || { echo "configure and build $build first" >&2; exit 1; }
qt=/usr/include/x86_64-linux-gnu/qt6
moc=/usr/lib/qt6/libexec/moc
cxx=x86_64-w64-mingw32-g++-posix
work=$(mktemp -d "${TMPDIR:-/tmp}/quillmor-win32-window.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The window's sources as the Linux build compiles them, less those CMake builds only on
# Linux, plus those it builds only on Windows.
linux_only='^src/(app/RealPlatform\.cpp|platform/linux/(LocalInstanceChannel|XrandrDisplayProbe|X11KeyState|X11Windows|LinuxProcesses|WineProcesses|QtScreenGrabber|LazySoundPlayer|QtSoundPlayer)\.cpp)$'
python3 - "$build/compile_commands.json" > "$work/sources" <<'PY'
import json, os, sys
root = os.getcwd()
for entry in json.load(open(sys.argv[1])):
    path = os.path.relpath(entry["file"], root)
    if path.startswith("src/") and "QtWidgets" in entry["command"]:
        print(path)
PY
{
  grep -Ev "$linux_only" "$work/sources" | sort -u
  echo src/app/RealPlatformWin32.cpp
  echo src/platform/win32/Win32InstanceChannel.cpp
  echo "$build/quillmor_gui_autogen/mocs_compilation.cpp"
  # Not in the Linux build: its moc output is made here, with the same moc.
  "$moc" -D_WIN32 -Isrc src/platform/win32/Win32InstanceChannel.h \
    -o "$work/moc_Win32InstanceChannel.cpp"
  echo "$work/moc_Win32InstanceChannel.cpp"
} > "$work/list"
[ "$(grep -c RealPlatformWin32 "$work/list")" = 1 ] || exit 1

flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Wno-attributes -Werror
       -DUNICODE -D_UNICODE -DNOMINMAX -DQT_NO_CAST_FROM_ASCII -DQT_NO_CAST_TO_ASCII
       -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB
       -Isrc -I"$build/generated" -I"$build/quillmor_gui_autogen/include" -Isrc/platform/win32
       -I"$qt" -I"$qt/QtCore" -I"$qt/QtGui" -I"$qt/QtWidgets")
export cxx work
printf '%s\0' "${flags[@]}" > "$work/flags"
count=$(wc -l < "$work/list")
# One log per source; any output at all (a warning) fails, as does a failed compile.
status=0
xargs -a "$work/list" -P 2 -I{} sh -c \
    'log="$work/log.$(echo "$1" | tr / _)"; xargs -0 -a "$work/flags" "$cxx" "$1" > "$log" 2>&1' \
    _ {} || status=$?
if [ "$status" -ne 0 ] || [ -n "$(cat "$work"/log.* 2>/dev/null)" ]; then
  cat "$work"/log.* >&2
  echo "the window's Windows sources do not compile cleanly" >&2
  exit 1
fi
echo "window sources compiled for Windows (syntax only): $count"
