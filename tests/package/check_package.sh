#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what the desktop reads there
# (desktop-file-validate, appstreamcli validate, update-mime-database), then builds the
# Debian package from the same build and checks its file list and control fields.
# Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/qvr-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "check_package: $*" >&2; exit 1; }

id=io.sourceforge.quiverarchiver.QuiverArchiver
expected=(
  bin/QuiverArchiver
  lib/quiverarchiver/unzip32.so
  lib/quiverarchiver/unlha32.so
  lib/quiverarchiver/7-zip32.so
  lib/quiverarchiver/tar32.so
  lib/quiverarchiver/cab32.so
  lib/quiverarchiver/unrar32.so
  share/quiverarchiver/manual/index.html
  share/quiverarchiver/manual/index.en.html
  share/quiverarchiver/translations/QuiverArchiver_en.qm
  share/applications/$id.desktop
  share/icons/hicolor/scalable/apps/quiverarchiver.svg
  share/mime/packages/quiverarchiver.xml
  share/metainfo/$id.metainfo.xml
)

# 1. An installation into a temporary prefix.
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log"; fail "install failed"; }
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || fail "missing after install: $file"
done
[ -x "$prefix/bin/QuiverArchiver" ] || fail "the program is not executable"
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" > "$work/as.log" 2>&1 \
  || { cat "$work/as.log"; fail "appstreamcli validate"; }
update-mime-database "$prefix/share/mime" > "$work/mime.log" 2>&1 || { cat "$work/mime.log"; fail "update-mime-database"; }
if grep -qi "error\|warning" "$work/mime.log"; then cat "$work/mime.log"; fail "update-mime-database complained"; fi
grep -q "application/x-quiverarchiver-gca" "$prefix/share/mime/types" || fail "the MIME package lost its types"
grep -q "MimeType=.*application/zip;" "$prefix/share/applications/$id.desktop" || fail "launcher without archive types"

# 1b. The install tree moved to another folder still finds its plugins and extracts a ZIP
# (a /DDMODE start, with a HOME and runtime folder of its own).
moved=$work/moved
mv "$prefix" "$moved"
home=$work/home
mkdir -p "$home/data/QuiverArchiver" "$home/runtime" "$work/in/src/sub"
chmod 700 "$home/runtime"
printf '[DDMODE]\r\nExtractMode=1\r\n[EXTRACT_DDMODE]\r\nFileNameFolder=1\r\n[GENERAL]\r\nEndNotice=1\r\nUseSound=0\r\nOpenFolder=0\r\n' \
  > "$home/data/QuiverArchiver/QvrArc.ini"
echo "moved install" > "$work/in/src/sub/note.txt"
(cd "$work/in/src" && zip -q -r ../moved.zip .)
status=0
HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_CACHE_HOME=$home/cache \
  XDG_RUNTIME_DIR=$home/runtime QT_QPA_PLATFORM=offscreen \
  timeout 60 "$moved/bin/QuiverArchiver" /DDMODE "$work/in/moved.zip" > "$work/moved.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || { cat "$work/moved.log"; cat "$home/data/QuiverArchiver/Log.txt" 2>/dev/null; fail "the moved install ended with $status"; }
[ "$(cat "$work/in/moved/sub/note.txt" 2>/dev/null)" = "moved install" ] || fail "the moved install extracted nothing"
mv "$moved" "$prefix"

# 2. The Debian package of the same build (gzip: quick; `make package` builds the real one).
(cd "$build" && cpack -G DEB -B "$work/deb" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip > "$work/cpack.log" 2>&1) \
  || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/deb/quiverarchiver_*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' | grep -v '/$' | sort > "$work/files"
pkgprefix=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' | grep '/bin/QuiverArchiver$' | sed 's|bin/QuiverArchiver$||')
[ -n "$pkgprefix" ] || fail "no bin/QuiverArchiver in the package"
for file in "${expected[@]}"; do
  grep -qx "$pkgprefix$file" "$work/files" || fail "missing in the package: $pkgprefix$file"
done
# Nothing but the program's own folders, and no test or benchmark programs.
if grep -v -E "^${pkgprefix}(bin/QuiverArchiver|lib/quiverarchiver/[^/]+\.so|share/(quiverarchiver|applications|icons/hicolor|mime/packages|metainfo)/.*)$" "$work/files"; then
  fail "files outside the program's folders (above)"
fi
control=$(dpkg-deb -f "$deb" Package Depends Section)
grep -q "^Package: quiverarchiver$" <<<"$control" || fail "package name: $control"
grep -q "^Depends: .*libqt6widgets6" <<<"$control" || fail "no library dependencies: $control"
# The package refreshes no caches itself: the system's triggers do, and removal leaves nothing.
dpkg-deb -e "$deb" "$work/control"
for script in preinst postinst prerm postrm; do
  [ ! -e "$work/control/$script" ] || fail "unexpected maintainer script $script"
done
echo "check_package: $(wc -l < "$work/files") files in $(basename "$deb"), install validated"
