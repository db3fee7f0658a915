#!/usr/bin/env bash
# quillmor-cli built for Windows and run under Wine must give the bytes the Linux build
# gives: on demo data in a folder named 日本, with Japanese arguments, through files and
# through standard input and output. Each side works in a copy of its own, the same
# commands with the same relative paths; their outputs, exit statuses and the folders
# they leave behind are compared.
#
#   compare-cli.sh LINUX_CLI LINUX_DEMO WINDOWS_CLI WINDOWS_DEMO
#
# WINEPREFIX names a prepared prefix.
set -euo pipefail
linux_cli=$(realpath "$1") linux_demo=$(realpath "$2")
windows_cli=$(realpath "$3") windows_demo=$(realpath "$4")
# Wine turns the arguments into UTF-16 by the locale.
export LC_ALL=C.UTF-8 WINEDEBUG=-all

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/linux" "$work/windows"

run() {  # run SIDE NAME [--stdin FILE] ARGS... : outputs into $work/out/SIDE/NAME.*
    local side=$1 name=$2
    shift 2
    local input=/dev/null
    if [ "$1" = --stdin ]; then
        input=$2
        shift 2
    fi
    mkdir -p "$work/out/$side"
    local status=0
    if [ "$side" = linux ]; then
        (cd "$work/linux" && "$linux_cli" "$@" <"$input" >"$work/out/$side/$name.out" \
            2>"$work/out/$side/$name.err") || status=$?
    else
        (cd "$work/windows" && wine "$windows_cli" "$@" <"$input" >"$work/out/$side/$name.out" \
            2>"$work/out/$side/$name.err") || status=$?
    fi
    echo "$status" >"$work/out/$side/$name.status"
}

both() {
    run linux "$@"
    run windows "$@"
}

(cd "$work/linux" && "$linux_demo" 日本 >/dev/null)
(cd "$work/windows" && wine "$windows_demo" 日本 >/dev/null)

C="日本/FINAL FANTASY XI/USER/1a2b3c4d/"
D="日本/FINAL FANTASY XI/USER/5e6f7a8b/"
both md5 md5 "${C}mcr.dat"
both check check "$C" "$D"
both export-stdout export "$C" 3
both export-utf8 export --utf8 "$C" 3
both export-file export "$C" 3 "日本/セット3.txt"
both import-file import "$C" 5 "日本/セット3.txt"
run linux import-stdin --stdin "$work/linux/日本/セット3.txt" import "$C" 6 -
run windows import-stdin --stdin "$work/windows/日本/セット3.txt" import "$C" 6 -
both import-utf8-stdin --stdin "$work/out/linux/export-utf8.out" import --utf8 "$C" 7 -
both chat chat --seed 7 --name タロウ --target ボブ --tp 150 \
    "/p <t>に<tp>！" "/ma ケアル <t>" "/echo 日本語の行 <pos>"
both preview preview --seed 7 --name タロウ --clock 2024-05-01T13:45:00 "$C" 1 2
both fix fix "$D"
both check-after check "$C" "$D"

failed=0
for f in "$work"/out/linux/*; do
    name=$(basename "$f")
    if ! cmp -s "$f" "$work/out/windows/$name"; then
        echo "differs: $name" >&2
        diff <(od -c "$f") <(od -c "$work/out/windows/$name") | head -20 >&2 || true
        failed=1
    fi
done
if ! diff -r "$work/linux" "$work/windows" >&2; then
    echo "differs: the folders left behind" >&2
    failed=1
fi
commands=$(ls "$work/out/linux" | grep -c '\.out$')
if [ "$failed" -ne 0 ]; then
    echo "compare-cli: the Windows build differs from the Linux build" >&2
    exit 1
fi
echo "compare-cli: $commands commands, the same bytes, statuses and files on Windows and Linux"
