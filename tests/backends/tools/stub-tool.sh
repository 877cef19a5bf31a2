#!/bin/sh
# Scripted stand-in for yz2dec and rk: records its arguments (one per line, in brackets)
# in <name>.args beside itself and prints <name>.prints-<mode> from there, where the mode is
# "banner" without arguments, "check" for -i and "list" for -l / -va.
dir=$(dirname "$0")
name=$(basename "$0")
: > "$dir/$name.args"
for arg in "$@"; do printf '[%s]\n' "$arg" >> "$dir/$name.args"; done
case "$1" in
  "") mode=banner ;;
  -i) mode=check ;;
  -l|-va) mode=list ;;
  *) mode=other ;;
esac
[ -f "$dir/$name.prints-$mode" ] && cat "$dir/$name.prints-$mode"
exit 0
