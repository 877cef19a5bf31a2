#!/usr/bin/env bash
# Builds the fuzzing targets and runs one of them, seeded with the shared fixtures.
#   archivers/fuzz/run.sh fuzz_extract 600      (target, seconds)
#   archivers/fuzz/run.sh all 60                (every target in turn: the CI smoke)
# The build (and the corpus of each target, which grows with new inputs) is in
# $QVR_FUZZ_BUILD, by default build-fuzz beside the sources; nothing is written into the
# tracked test data.
set -euo pipefail
target=${1:-fuzz_extract}
seconds=${2:-600}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${QVR_FUZZ_BUILD:-$root/build-fuzz}
targets=(fuzz_check fuzz_enumerate fuzz_extract fuzz_zipdirectory fuzz_lzh fuzz_arj fuzz_deflate64
  fuzz_sevenzip)
if [ "$target" = all ]; then
  for t in "${targets[@]}"; do "$0" "$t" "$seconds"; done
  exit 0
fi
cmake -S "$root" -B "$build" -G Ninja -DQVR_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --target "$target"

# Seeds: each file behind the byte that picks what reads it. The library targets: 0 UnZip,
# 1 SevenZip, 2 Unlha, 3 Cab, 4 Unrar, 5 Tar; fuzz_lzh: 0 (an archive) for LZH files only;
# fuzz_arj: 0 (an archive) for the ARJ files of the project's test data and the shared ones;
# fuzz_sevenzip: 0 (the password given, as 7-zip32 reads) and 2 (every folder through our
# reader) for 7Z files.
corpus=$build/corpus-$target
mkdir -p "$corpus"
seed() {  # selector file
  local out=$corpus/seed-$1-$(basename "$2" | tr -c 'A-Za-z0-9.\n' '_')
  [ -e "$out" ] || { printf "\\x0$1" > "$out"; cat "$2" >> "$out"; }
}
# Inputs kept from earlier campaigns (../shared/fuzz) carry their selector byte already.
if [ "$target" != fuzz_lzh ] && [ "$target" != fuzz_sevenzip ]; then
  for f in "$root"/../shared/fuzz/*; do [ -f "$f" ] && cp -n "$f" "$corpus/"; done
fi
for f in "$root"/../shared/fixtures/* "$root"/tests/archivers/lzh/data/* \
         "$root"/tests/archivers/data/*; do
  if [ "$target" = fuzz_lzh ]; then
    case "$f" in *.lzh|*.lzs|*.lha|*lha_sfx*|*lzh_sfx*) seed 0 "$f" ;; esac
    continue
  fi
  if [ "$target" = fuzz_arj ]; then
    case "$f" in *.arj|*.a[0-9][0-9]|*arj_sfx*) seed 0 "$f" ;; esac
    continue
  fi
  if [ "$target" = fuzz_sevenzip ]; then
    case "$f" in *.7z) seed 0 "$f"; seed 2 "$f" ;; esac
    continue
  fi
  case "$f" in
    */lzh/data/*|*/archivers/data/*) continue ;;
    *.zip|*zip_sfx*) seed 0 "$f" ;; *.7z) seed 1 "$f" ;; *.lzh|*lha_sfx*|*lzh_sfx*) seed 2 "$f" ;;
    *.cab) seed 3 "$f" ;; *.rar|*rar4_sfx*) seed 4 "$f" ;; *.tar|*.tgz|*.gz|*.bz2|*.Z) seed 5 "$f" ;;
  esac
done
cd "$build"
# A failed allocation answers NULL, as outside the sanitizer: libarchive asks for absurd
# sizes on some RAR5 inputs and fails cleanly then.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}allocator_may_return_null=1
set +e
"./bin/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
  -max_len=131072 -print_final_stats=1 "$corpus" >"$build/$target.log" 2>&1
status=$?
set -e
grep -E '^(#[0-9]+[[:space:]]+(DONE|INITED)|stat::|==[0-9]+==ERROR|SUMMARY)' "$build/$target.log" || true
echo "$target: exit status $status (log: $build/$target.log)"
exit $status
