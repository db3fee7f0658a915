#!/usr/bin/env bash
# Checks what a build installs, as a player's desktop would see it.
#
#   check_install.sh tree BUILD_DIR VERSION
#     installs into a temporary prefix, moves it (an installation must not depend on
#     where it was put), checks that every file the menu entry and the AppStream
#     metainfo name is there, validates both, runs both programs' --version and
#     starts the installed editor on $DISPLAY until its window maps.
#   check_install.sh package BUILD_DIR VERSION
#     makes the Debian package from the build, checks its file list and dependencies
#     and runs lintian on it (errors fail; warnings are printed).
set -euo pipefail

mode=$1
build=$(cd "$2" && pwd)
version=$3

work=$(mktemp -d)
app_pid=
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The text of a key in a .desktop file's main group.
desktop_key() {
  sed -n "/^\[Desktop Entry\]/,/^\[/s/^$2=//p" "$1" | head -n 1
}

# The texts of an element of the metainfo file, one per line.
metainfo_values() {
  sed -n "s|.*<$2[^>]*>\([^<]*\)</$2>.*|\1|p" "$1"
}

check_icon() {
  local share=$1 name=$2 found=0 size file
  for size in 16 22 24 32 48 64 128 256; do
    file="$share/icons/hicolor/${size}x${size}/apps/$name.png"
    if [ ! -f "$file" ]; then
      fail "icon $name missing at ${size}x${size}"
    elif ! file -b "$file" | grep -q "^PNG image data, $size x $size,"; then
      fail "$file is not a $size x $size PNG: $(file -b "$file")"
    else
      found=$((found + 1))
    fi
  done
  [ "$found" -gt 0 ] || fail "no icon named $name"
}

check_tree() {
  local prefix=$work/first
  cmake --install "$build" --prefix "$prefix" >"$work/install.log"
  # Everything lands under the prefix.
  while IFS= read -r path; do
    case "$path" in
      "$prefix"/*) ;;
      *) fail "installed outside the prefix: $path" ;;
    esac
  done <"$build/install_manifest.txt"
  # The programs find nothing through the path they were installed to.
  local moved="$work/moved prefix"
  mv "$prefix" "$moved"
  prefix=$moved
  local share=$prefix/share

  local desktops=("$share"/applications/*.desktop)
  [ -f "${desktops[0]}" ] || fail "no .desktop file in $share/applications"
  for desktop in "${desktops[@]}"; do
    [ -f "$desktop" ] || continue
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
    local exec icon
    exec=$(desktop_key "$desktop" Exec)
    exec=${exec%% *}
    [ -x "$prefix/bin/$exec" ] || fail "$desktop runs '$exec', not installed in bin/"
    [ "$(desktop_key "$desktop" TryExec)" = "$exec" ] || fail "$desktop: TryExec is not $exec"
    icon=$(desktop_key "$desktop" Icon)
    check_icon "$share" "$icon"
    [ -n "$(desktop_key "$desktop" 'Name\[ja\]')" ] || fail "$desktop has no Japanese name"
    [ -n "$(desktop_key "$desktop" 'Comment\[ja\]')" ] || fail "$desktop has no Japanese comment"
    # One main category, so the program is in one menu.
    [ "$(desktop_key "$desktop" Categories)" = "Game;RolePlaying;" ] ||
      fail "$desktop: categories are not Game;RolePlaying;"
  done

  local metainfos=("$share"/metainfo/*.metainfo.xml)
  [ -f "${metainfos[0]}" ] || fail "no metainfo file in $share/metainfo"
  for metainfo in "${metainfos[@]}"; do
    [ -f "$metainfo" ] || continue
    appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 || {
      cat "$work/appstream.log" >&2
      fail "appstreamcli rejects $metainfo"
    }
    local id
    id=$(metainfo_values "$metainfo" id)
    [ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "$metainfo does not carry id $id"
    while IFS= read -r launchable; do
      [ -f "$share/applications/$launchable" ] || fail "$metainfo launches $launchable, not installed"
    done < <(metainfo_values "$metainfo" launchable)
    while IFS= read -r binary; do
      [ -x "$prefix/bin/$binary" ] || fail "$metainfo provides $binary, not installed in bin/"
    done < <(metainfo_values "$metainfo" binary)
    while IFS= read -r icon; do
      check_icon "$share" "$icon"
    done < <(metainfo_values "$metainfo" icon)
    grep -q "<release version=\"$version\"" "$metainfo" || fail "$metainfo has no release $version"
  done

  # Every program has a manual page, and the pages are free of formatting mistakes.
  for program in "$prefix"/bin/*; do
    local name page
    name=$(basename "$program")
    page=$share/man/man1/$name.1.gz
    if [ ! -f "$page" ]; then
      fail "no manual page for $name"
      continue
    fi
    zcat "$page" | groff -k -man -Tutf8 -ww -z 2>"$work/groff.log" || true
    [ ! -s "$work/groff.log" ] || fail "$page: $(cat "$work/groff.log")"
  done
  [ -f "$share/doc/quillmor/copyright" ] || fail "no copyright file"
  compgen -G "$prefix/lib*/quillmor/libquillmor_sound.so" >/dev/null ||
    compgen -G "$prefix/lib/*/quillmor/libquillmor_sound.so" >/dev/null ||
    fail "the sound module is not installed"

  for program in quillmor quillmor-cli; do
    local said
    said=$("$prefix/bin/$program" --version) || fail "$program --version failed"
    [ "$said" = "$program $version" ] || fail "$program --version says '$said', not '$program $version'"
  done

  # The installed editor starts and shows its main window; a profile of its own so the
  # player's settings, the single-instance socket and another copy stay out of it.
  if [ -z "${DISPLAY:-}" ]; then
    fail "no DISPLAY to start the editor on (run under xvfb-run)"
    return
  fi
  mkdir -p "$work/home" "$work/tmp" "$work/runtime"
  chmod 700 "$work/runtime"
  (
    cd "$work/home"
    unset WINEPREFIX XDG_CONFIG_HOME
    # A Japanese system: the window follows its language. LANGUAGE names it, so that the
    # ja_JP locale need not be installed: under a locale the C library lacks, the window's
    # legacy title is written as Latin-1 and no search by title finds it.
    exec env HOME="$work/home" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/runtime" \
      LC_ALL=C.UTF-8 LANG=C.UTF-8 LANGUAGE=ja \
      QT_QPA_PLATFORM=xcb "$prefix/bin/quillmor" >"$work/quillmor.log" 2>&1
  ) &
  app_pid=$!
  if timeout 30 xdotool search --sync --all --onlyvisible --pid "$app_pid" --name '^クイルモア$' \
    >"$work/window"; then
    echo "window mapped: $(head -n 1 "$work/window")"
  else
    cat "$work/quillmor.log" >&2
    xdotool search --all --onlyvisible --pid "$app_pid" --name . getwindowname %@ >&2 || true
    fail "the installed quillmor showed no window named クイルモア within 30 s"
  fi
  kill "$app_pid" 2>/dev/null || fail "quillmor ended on its own"
  wait "$app_pid" 2>/dev/null || true
  app_pid=
}

check_package() {
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    fail "cpack could not make the package"
    return
  }
  local debs=("$work"/package/quillmor_"$version"_*.deb)
  local deb=${debs[0]}
  if [ ! -f "$deb" ]; then
    fail "no quillmor_${version}_*.deb made"
    return
  fi
  echo "package: $(basename "$deb")"
  dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
  for expected in /usr/bin/quillmor /usr/bin/quillmor-cli \
    /usr/share/applications/org.quillmor.Quillmor.desktop \
    /usr/share/metainfo/org.quillmor.Quillmor.metainfo.xml \
    /usr/share/icons/hicolor/16x16/apps/quillmor.png \
    /usr/share/icons/hicolor/256x256/apps/quillmor.png \
    /usr/share/man/man1/quillmor.1.gz /usr/share/man/man1/quillmor-cli.1.gz \
    /usr/share/doc/quillmor/copyright /usr/share/doc/quillmor/changelog.gz; do
    grep -qx "$expected" "$work/files" || fail "the package lacks $expected"
  done
  local depends
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  # Computed from the programs' libraries, and the run-time parts named by hand.
  for needed in libqt6widgets6 libqt6multimedia6 libc6 fonts-noto-cjk qt6-qpa-plugins \
    qt6-translations-l10n; do
    [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "the package does not depend on $needed"
  done
  lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || {
    cat "$work/lintian.log" >&2
    fail "lintian reports errors"
    return
  }
  sed 's/^/lintian: /' "$work/lintian.log"
}

case "$mode" in
  tree) check_tree ;;
  package) check_package ;;
  *)
    echo "usage: $0 tree|package BUILD_DIR VERSION" >&2
    exit 2
    ;;
esac

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all checks passed"
