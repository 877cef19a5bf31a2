#!/usr/bin/env bash
# Builds the fuzzing targets and runs one of them, seeded with the shared fixtures.
#   archivers/fuzz/run.sh fuzz_extract 600      (target, seconds)
set -euo pipefail
target=${1:-fuzz_extract}
seconds=${2:-600}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/fuzz-build
cmake -S "$root" -B "$build" -G Ninja -DQVR_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --target "$target"

# Seeds: each fixture behind the byte that picks its library (0 UnZip, 1 SevenZip,
# 2 Unlha, 3 Cab, 4 Unrar, 5 Tar).
corpus=$build/corpus-$target
mkdir -p "$corpus"
for f in "$root"/../shared/fixtures/*; do
  case "$f" in
    *.zip|*zip_sfx*) lib=0 ;; *.7z) lib=1 ;; *.lzh|*lha_sfx*|*lzh_sfx*) lib=2 ;;
    *.cab) lib=3 ;; *.rar|*rar4_sfx*) lib=4 ;; *.tar|*.tgz|*.gz|*.bz2|*.Z) lib=5 ;; *) continue ;;
  esac
  out=$corpus/seed-$(basename "$f" | tr -c 'A-Za-z0-9.\n' '_')
  [ -e "$out" ] || { printf "\\x0$lib" > "$out"; cat "$f" >> "$out"; }
done
cd "$build"
exec "./bin/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
  -max_len=131072 -jobs=1 -workers=1 -print_final_stats=1 "$corpus"
