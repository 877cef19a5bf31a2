#!/usr/bin/env bash
# Every text of the program has its English translation: lupdate, run over the sources as the
# target QuiverArchiver_lupdate runs it, into a copy of the .ts, must leave nothing unfinished.
# Usage: check_translations.sh LUPDATE SOURCE_DIR
set -euo pipefail
lupdate=$1
root=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/qvr-ts.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$root/translations/QuiverArchiver_en.ts" "$work/en.ts"
"$lupdate" -silent -locations none -no-obsolete -source-language ja -target-language en \
  -tr-function-alias translate+=Tr,translate+=TrQ,QT_TRANSLATE_NOOP+=QVR_TRANSLATE_NOOP \
  "$root/src" -ts "$work/en.ts"
missing=$(grep -c 'type="unfinished"' "$work/en.ts" || true)
if [ "$missing" -ne 0 ]; then
  echo "check_translations: $missing text(s) without an English translation:" >&2
  grep -B1 'type="unfinished"' "$work/en.ts" | grep '<source>' >&2
  echo "run: cmake --build build --target QuiverArchiver_lupdate, then translate them" >&2
  exit 1
fi
echo "check_translations: ok"
