#!/usr/bin/env bash
# The installed copy keeps its files in the XDG base folders: settings in $XDG_CONFIG_HOME,
# Log.txt in $XDG_STATE_HOME, list and work files in $XDG_CACHE_HOME, the opened entries'
# "tmp" in $XDG_RUNTIME_DIR; the files an earlier version left in $XDG_DATA_HOME move over
# once, without loss. Run with every variable set, then with none (the defaults below HOME).
# Usage: check_xdg.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/qvr-xdg.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "check_xdg: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log"; fail "install failed"; }
mkdir -p "$work/in/src/sub"
echo "xdg run" > "$work/in/src/sub/note.txt"
(cd "$work/in/src" && zip -q -r ../good.zip .)
head -c 100 "$work/in/good.zip" > "$work/in/cut.zip"

# run NAME DATA CONFIG STATE CACHE RUNTIME [VAR=VALUE...]: a /DDMODE start over the two
# archives with an earlier version's files in DATA; then every file is looked for where it
# belongs.
run() {
  local name=$1 data=$2 config=$3 state=$4 cache=$5 runtime=$6
  shift 6
  local home=$work/$name
  mkdir -p "$home" "$data/QuiverArchiver/ArcFiles"
  printf '[DDMODE]\r\nExtractMode=1\r\n[EXTRACT_DDMODE]\r\nFileNameFolder=1\r\n[GENERAL]\r\nEndNotice=1\r\nUseSound=0\r\nOpenFolder=0\r\nPreScan=0\r\nMark=%s\r\n' \
    "$name" > "$data/QuiverArchiver/QvrArc.ini"
  printf 'an earlier line\r\n' > "$data/QuiverArchiver/Log.txt"
  printf '/old/list/entry\r\n' > "$data/QuiverArchiver/original.lst"
  echo staged > "$data/QuiverArchiver/ArcFiles/staged.txt"
  rm -rf "$work/in/good"
  local status=0
  env -i PATH="$PATH" HOME="$home" QT_QPA_PLATFORM=offscreen "$@" \
    timeout 60 "$prefix/bin/QuiverArchiver" /DDMODE "$work/in/good.zip" "$work/in/cut.zip" \
    > "$work/$name.log" 2>&1 || status=$?
  [ "$status" -ne 124 ] || { cat "$work/$name.log"; fail "$name: the program did not end"; }
  [ "$(cat "$work/in/good/sub/note.txt" 2>/dev/null)" = "xdg run" ] || { cat "$work/$name.log"; fail "$name: nothing extracted"; }
  local app=QuiverArchiver
  grep -q "Mark=$name" "$config/$app/QvrArc.ini" || fail "$name: QvrArc.ini not moved to $config/$app"
  [ -f "$config/$app/DllStatus.ini" ] || fail "$name: no DllStatus.ini in $config/$app"
  grep -q "an earlier line" "$state/$app/Log.txt" || fail "$name: the old Log.txt not in $state/$app"
  grep -q "cut.zip" "$state/$app/Log.txt" || fail "$name: the run's lines not in $state/$app/Log.txt"
  grep -q "/old/list/entry" "$cache/$app/original.lst" || fail "$name: original.lst not in $cache/$app"
  [ "$(cat "$cache/$app/ArcFiles/staged.txt")" = staged ] || fail "$name: ArcFiles not in $cache/$app"
  [ -d "$runtime/$app" ] || fail "$name: no $runtime/$app for the opened entries"
  for file in QvrArc.ini DllStatus.ini Log.txt original.lst ArcFiles tmp; do
    [ ! -e "$data/$app/$file" ] || fail "$name: $file left in $data/$app"
  done
  # Nothing is written into the installation.
  [ -z "$(find "$prefix" -newer "$work/install.log" -type f)" ] || fail "$name: files written into the prefix"
}

set_home=$work/set
mkdir -p "$set_home/runtime" && chmod 700 "$set_home/runtime"
run set "$set_home/data" "$set_home/config" "$set_home/state" "$set_home/cache" "$set_home/runtime" \
  XDG_DATA_HOME="$set_home/data" XDG_CONFIG_HOME="$set_home/config" \
  XDG_STATE_HOME="$set_home/state" XDG_CACHE_HOME="$set_home/cache" \
  XDG_RUNTIME_DIR="$set_home/runtime"

# Unset: the defaults below HOME, and "tmp" in the cache without a runtime folder.
unset_home=$work/unset
run unset "$unset_home/.local/share" "$unset_home/.config" "$unset_home/.local/state" \
  "$unset_home/.cache" "$unset_home/.cache"

echo "check_xdg: ok"
