#!/usr/bin/env bash
# Makes the archives the archiver benchmark reads, in a folder of their own (never
# committed):  bench/make_archiver_corpora.sh /tmp/qvr-bench
set -euo pipefail
out=${1:?folder}
mkdir -p "$out"
cd "$out"
sevenzip=$(command -v 7zz || command -v 7z)

# Mixed files: compressible text and incompressible data, about 200 MB.
if [ ! -e mixed.tar.gz ]; then
  python3 - <<'PY'
import os, random
r = random.Random(7)
words = [("".join(r.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(r.randint(2, 10)))) for _ in range(5000)]
for d in range(20):
    os.makedirs(f"mixed/dir{d:02}", exist_ok=True)
for i in range(1600):  # ~100 MB of text
    with open(f"mixed/dir{i % 20:02}/text{i:04}.txt", "w") as f:
        f.write(" ".join(r.choice(words) for _ in range(11000)))
for i in range(100):   # 100 MB of random data
    with open(f"mixed/dir{i % 20:02}/data{i:03}.bin", "wb") as f:
        f.write(os.urandom(1 << 20))
PY
  tar -czf mixed.tar.gz mixed
fi

# 20,000 files of 1-10 KB in a ZIP.
if [ ! -e small.zip ]; then
  python3 - <<'PY'
import os, random
r = random.Random(8)
for i in range(20000):
    d = f"small/d{i // 500:02}"
    os.makedirs(d, exist_ok=True)
    with open(f"{d}/f{i:05}.txt", "w") as f:
        n = r.randint(1024, 10240)
        f.write("".join(r.choice("abcdefghij \n") for _ in range(n)))
PY
  bsdtar -a -cf small.zip small
fi

# 100 MB solid LZMA2 7z.
if [ ! -e solid.7z ]; then
  mkdir -p solid
  cp -r mixed/dir0[0-9] solid/ 2>/dev/null || true
  "$sevenzip" a -bd -mx=5 -ms=on solid.7z solid >/dev/null
fi

# 100,000 entries in a ZIP, for listing.
if [ ! -e many.zip ]; then
  python3 - <<'PY'
import os
for i in range(100000):
    d = f"many/d{i // 1000:03}"
    if i % 1000 == 0:
        os.makedirs(d, exist_ok=True)
    with open(f"{d}/e{i:06}", "w") as f:
        f.write("x")
PY
  bsdtar -a -cf many.zip many
fi
# About 50 MB (40 MB text, 10 MB random data) as ARJ method 1, as a Deflate64 ZIP and as
# an encrypted 7Z (7zAES with its header encrypted, password "secret").
if [ ! -e fifty.arj ] || [ ! -e fifty64.zip ] || [ ! -e fifty_aes.7z ]; then
  python3 - <<'PY'
import os, random
r = random.Random(9)
words = [("".join(r.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(r.randint(2, 10)))) for _ in range(5000)]
os.makedirs("fifty/text", exist_ok=True)
os.makedirs("fifty/data", exist_ok=True)
for i in range(640):  # ~40 MB of text
    with open(f"fifty/text/t{i:03}.txt", "w") as f:
        f.write(" ".join(r.choice(words) for _ in range(11000)))
for i in range(10):
    with open(f"fifty/data/d{i}.bin", "wb") as f:
        f.write(r.randbytes(1 << 20))
PY
  rm -f fifty.arj fifty64.zip fifty_aes.7z
  (cd fifty && arj a -r -y -m1 ../fifty.arj '*' >/dev/null)
  (cd fifty && "$sevenzip" a -bd -tzip -mm=Deflate64 ../fifty64.zip text data >/dev/null)
  (cd fifty && "$sevenzip" a -bd -t7z -psecret -mhe=on ../fifty_aes.7z text data >/dev/null)
fi
rm -rf mixed small solid many fifty
ls -l "$out"
