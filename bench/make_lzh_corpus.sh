#!/usr/bin/env bash
# Builds the mixed corpus of the LZH benchmark (about 50 MB): ~20 MB of documentation text,
# ~20 MB of C/C++ headers and ~10 MB of shared libraries, copied from this machine.
#   bench/make_lzh_corpus.sh /tmp/lzh_corpus
set -euo pipefail
out=${1:?usage: make_lzh_corpus.sh FOLDER}
rm -rf "$out"
mkdir -p "$out/doc" "$out/include" "$out/lib"
copy_until() {  # source folder, find pattern, destination, megabytes
  local total=0 limit=$(( $4 * 1024 * 1024 ))
  while IFS= read -r -d '' f; do
    local size
    size=$(stat -c %s "$f")
    [ $((total + size)) -gt $limit ] && continue
    [ $total -ge $((limit - 262144)) ] && break
    local rel=${f#"$1"/}
    mkdir -p "$3/$(dirname "$rel")"
    cp "$f" "$3/$rel"
    total=$((total + size))
  done < <(find "$1" -type f -name "$2" -print0 | LC_ALL=C sort -z)
}
copy_until /usr/share/doc '*' "$out/doc" 20
copy_until /usr/include '*.h' "$out/include" 20
copy_until /usr/lib/x86_64-linux-gnu '*.so*' "$out/lib" 10
du -sb "$out"
