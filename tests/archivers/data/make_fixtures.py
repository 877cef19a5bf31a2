#!/usr/bin/env python3
"""Makes the project's own test archives in this folder and their manifest.json.

Every archive is made by an outside tool (bsdtar, xz, zstd, lz4, arj, 7zz) from one source
tree that this script writes deterministically; the manifest row of each archive records the
exact command in "made_by" and the files it holds ("expected", with sizes and SHA-256), in
the schema of the shared fixtures' manifest. Run it again only to remake the archives:

    tests/archivers/data/make_fixtures.py          # needs arj, 7zip, libarchive-tools, xz-utils,
                                                   # zstd, lz4 (scripts/setup installs them)
"""
import hashlib
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
CP932_NAME = "日本語の名前.txt"


def write_tree(root, cp932_name=False):
    """The source tree: text, a folder, a Japanese name, an empty file, binary data."""
    rng = random.Random(17)
    os.makedirs(os.path.join(root, "docs", "deep"))
    files = {
        "readme.txt": "".join(f"line {i}: the quick brown fox jumps over the lazy dog\n"
                              for i in range(2500)).encode(),
        "docs/notes.txt": b"notes\r\n" * 400,
        "docs/deep/table.csv": "".join(f"{i},{i * i},{i % 7}\n" for i in range(3000)).encode(),
        "random.bin": rng.randbytes(90000),
        # A block repeated 60000 bytes later: only a 64 KiB history (Deflate64) reaches back.
        "docs/far.bin": (lambda a, b: a + b + a)(rng.randbytes(30000), rng.randbytes(30000)),
        "empty.dat": b"",
        CP932_NAME: ("予定表\n" * 50).encode(),
    }
    for rel, data in files.items():
        disk = rel
        if rel == CP932_NAME and cp932_name:
            disk = os.fsdecode(rel.encode("cp932"))  # the bytes an ARJ made on Windows holds
        with open(os.path.join(root, disk), "wb") as f:
            f.write(data)
        os.utime(os.path.join(root, disk), (1700000000, 1700000000))
    return files


def exe_like():
    """Bytes with the call instructions (E8 and a near offset) that x86 programs are full of."""
    rng = random.Random(86)
    out = bytearray()
    while len(out) < 40000:
        out += rng.randbytes(rng.randrange(3, 12))
        out += bytes([0xE8]) + rng.randrange(0, 0x4000).to_bytes(4, "little")
    return bytes(out)


def expected_of(files, names):
    out = []
    for rel in sorted(files):
        if any(rel == n or rel.startswith(n + "/") for n in names):
            data = files[rel]
            out.append({"path": rel, "size": len(data), "sha256": hashlib.sha256(data).hexdigest()})
    return out


def run(cmd, cwd):
    subprocess.run(cmd, cwd=cwd, shell=True, check=True, stdout=subprocess.DEVNULL,
                   stdin=subprocess.DEVNULL, env=dict(os.environ, TZ="UTC"))


def sha(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def main():
    # With prefixes given ("make_fixtures.py 7z_aes_"), only the archives whose names start
    # with one of them are replaced; the others and their manifest rows stay as they are.
    only = sys.argv[1:]
    rows = []
    work = tempfile.mkdtemp()
    try:
        tree = os.path.join(work, "tree")
        files = write_tree(tree)
        sjis = os.path.join(work, "sjis")
        write_tree(sjis, cp932_name=True)
        everything = ["readme.txt", "docs", "random.bin", "empty.dat", CP932_NAME]
        dirs = ["docs", "docs/deep"]

        def row(name, fmt, made_by, names, dirs_, count, **extra):
            r = {"file": name, "format": fmt, "made_by": made_by, "size": 0, "sha256": "",
                 "password": None, "hostile": False, "expect_error": False,
                 "expected": expected_of(files, names), "expected_dirs": dirs_,
                 "expected_source": "ground truth: the source files the archive was made from",
                 "top_folder_shared": False, "entry_count": count}
            r.update(extra)
            rows.append(r)
            return r

        tar_all = "bsdtar --uid 0 --gid 0 --uname root --gname root -c {z} -f ../out/{name} " \
                  "readme.txt docs random.bin empty.dat '" + CP932_NAME + "'"
        out = os.path.join(work, "out")
        os.makedirs(out)
        # The tar family under its users' names: bsdtar picks the filter by its switch.
        for name, fmt, z in [("tar_gzip_users.tgz", "tar.gz", "-z"),
                             ("tar_bzip2_users.tbz2", "tar.bz2", "-j"),
                             ("tar_xz.tar.xz", "tar.xz", "-J"),
                             ("tar_xz_users.txz", "tar.xz", "-J"),
                             ("tar_zstd.tar.zst", "tar.zst", "--zstd"),
                             ("tar_zstd_users.tzst", "tar.zst", "--zstd"),
                             ("tar_lz4.tar.lz4", "tar.lz4", "--lz4"),
                             ("tar_lzma.tar.lzma", "tar.lzma", "--lzma")]:
            cmd = tar_all.format(z=z, name=name)
            run(cmd, tree)
            row(name, fmt, "cd tree && TZ=UTC " + cmd, everything, dirs, 9)
        # Deflate64 in ZIP, as 7-Zip writes it.
        cmd = "7zz a -tzip -mm=Deflate64 ../out/zip_deflate64.zip readme.txt docs random.bin " \
              "empty.dat '" + CP932_NAME + "'"
        run(cmd, tree)
        row("zip_deflate64.zip", "zip", "cd tree && TZ=UTC " + cmd, everything, dirs, 9,
            variant="Deflate64 (method 9)")
        # Encrypted 7Z (7zAES, password "secret"), from the same tree with an empty folder and
        # an x86 program's look-alike (call instructions for the BCJ filter to convert).
        seven = os.path.join(work, "seven")
        files7 = write_tree(seven)
        files7["tool.exe"] = exe_like()
        with open(os.path.join(seven, "tool.exe"), "wb") as f:
            f.write(files7["tool.exe"])
        os.utime(os.path.join(seven, "tool.exe"), (1700000000, 1700000000))
        os.makedirs(os.path.join(seven, "empty_folder"))
        os.utime(os.path.join(seven, "empty_folder"), (1700000000, 1700000000))
        all7 = everything + ["tool.exe", "empty_folder"]
        for name, switches, variant in [
                ("7z_aes_lzma2.7z", "", "7zAES, LZMA2, solid, names readable"),
                ("7z_aes_header.7z", "-mhe=on", "7zAES, LZMA2, solid, encrypted header"),
                ("7z_aes_lzma.7z", "-m0=lzma", "7zAES, LZMA, solid"),
                ("7z_aes_bcj.7z", "-m0=lzma -mf=BCJ -mhe=on", "7zAES, BCJ x86 + LZMA"),
                ("7z_aes_copy.7z", "-mx=0 -ms=off", "7zAES, stored (Copy), one folder a file"),
                ("7z_aes_ppmd.7z", "-m0=PPMd", "7zAES, PPMd (not decoded by our reader)"),
                ("7z_aes_small.7z", "-mhe=on -x!random.bin -x!docs/far.bin -x!tool.exe",
                 "7zAES, encrypted header, small (text only: a seed the fuzzer keeps whole)")]:
            cmd = f"7zz a -t7z -psecret {switches} ../out/{name} " + " ".join(
                f"'{n}'" for n in all7)
            cmd = " ".join(cmd.split())
            run(cmd, seven)
            left_out = [x[3:] for x in switches.split() if x.startswith("-x!")]
            r = row(name, "7z", "cd seven && TZ=UTC " + cmd, all7, dirs + ["empty_folder"],
                    11 - len(left_out), password="secret", variant=variant,
                    header_encrypted="-mhe=on" in switches)
            r["expected"] = [e for e in expected_of(files7, all7) if e["path"] not in left_out]
        # Single compressed files: the name without the last extension.
        for tool, ext in [("xz -c", "xz"), ("zstd -q -c", "zst"), ("lz4 -q -c", "lz4"),
                          ("xz --format=lzma -c", "lzma")]:
            name = "readme.txt." + ext
            cmd = f"{tool} readme.txt > ../out/{name}"
            run(cmd, tree)
            r = row(name, ext, "cd tree && " + cmd, ["readme.txt"], [], 1)
        # ARJ: every method, folders (-r), the Japanese name as Windows stores it (CP932).
        for m in range(5):
            name = f"arj_m{m}.arj"
            cmd = f"arj a -r -y -m{m} ../out/{name} '*'"
            run(cmd, tree)
            row(name, "arj", "cd tree && TZ=UTC " + cmd, everything, dirs, 7,
                name_encoding="raw UTF-8 bytes (written on Linux; ARJ has no encoding flag)")
        cmd = "arj a -r -y -m1 ../out/arj_cp932.arj '*'"
        run(cmd, sjis)
        row("arj_cp932.arj", "arj", "cd sjis && TZ=UTC " + cmd +
            "  (sjis: the same tree with the Japanese file name in CP932 bytes)",
            everything, dirs, 7, name_encoding="CP932")
        # Multi-volume: 40 KB volumes (.arj, .a01, .a02...); random.bin spans volumes.
        cmd = "arj a -r -y -v40K ../out/arj_volumes.arj '*'"
        run(cmd, tree)
        vols = sorted(n for n in os.listdir(out) if n.startswith("arj_volumes."))
        row("arj_volumes.arj", "arj", "cd tree && TZ=UTC " + cmd, everything, dirs, 7,
            volumes=vols)
        # Self-extracting (-je): arj's own stub before the archive.
        cmd = "arj a -r -y -je ../out/arj_sfx.exe '*'"
        run(cmd, tree)
        if not os.path.exists(os.path.join(out, "arj_sfx.exe")):
            shutil.move(os.path.join(out, "arj_sfx.arj"), os.path.join(out, "arj_sfx.exe"))
        row("arj_sfx.exe", "arj", "cd tree && TZ=UTC " + cmd, everything, dirs, 7,
            container="exe")

        for r in rows:
            path = os.path.join(out, r["file"])
            r["size"] = os.path.getsize(path)
            r["sha256"] = sha(path)
        def remade(n):
            return not only or any(n.startswith(p) for p in only)
        if only:
            with open(os.path.join(HERE, "manifest.json"), encoding="utf-8") as f:
                kept = {r["file"]: r for r in json.load(f)}
            rows = [r if remade(r["file"]) else kept.get(r["file"], r) for r in rows]
        for n in os.listdir(HERE):
            if n not in ("make_fixtures.py", "README.md") and remade(n) and n != "manifest.json":
                os.remove(os.path.join(HERE, n))
        for n in os.listdir(out):
            if remade(n):
                shutil.copy(os.path.join(out, n), os.path.join(HERE, n))
        with open(os.path.join(HERE, "manifest.json"), "w", encoding="utf-8") as f:
            f.write("[\n" + ",\n".join(json.dumps(r, ensure_ascii=False) for r in rows) + "\n]\n")
    finally:
        shutil.rmtree(work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
