#!/usr/bin/env bash
# The program as a user installs it. `cmake --install` puts the two programs, their two modules, the
# menu entry, the metainfo, the icon and the man page in place, and each passes its validator; CPack's
# .deb installs with apt-get, the installed tool tells its version, merges the sample pair exactly as the
# build does, converts a Windows-1252 file and lists the track of a small video through the installed
# modules, and the package goes
# again without a trace.
# Usage: check_package.sh BUILD_DIR DATA_DIR VERSION   (exit 77: skipped, not root)
set -euo pipefail
build=$1 data=$2 version=$3
id=io.github.twinscript.Twinscript
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$work/root cmake --install "$build" --prefix /usr >/dev/null
usr=$work/root/usr
for f in bin/twinscript bin/twinscript-cli lib/twinscript/libtwinscript_libav.so lib/twinscript/libtwinscript_codecs.so \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg share/man/man1/twinscript-cli.1.gz; do
    [ -s "$usr/$f" ] || fail "not installed: $f"
done
desktop-file-validate "$usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" || fail "metainfo"
# The page is made from --help: every option the tool names must be in it.
page=$(MANWIDTH=200 man -l "$usr/share/man/man1/twinscript-cli.1.gz" 2>"$work/man-errors")
[ ! -s "$work/man-errors" ] || fail "man: $(cat "$work/man-errors")"
for option in $("$usr/bin/twinscript-cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$option" <<<"$page" || fail "man page lacks $option"
done

cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null
deb=$(ls "$work"/package/twinscript_"$version"_*.deb)
dpkg-deb --contents "$deb" | grep -q "/usr/share/metainfo/$id.metainfo.xml" || fail "package contents"

if [ "$(id -u)" -ne 0 ]; then
    echo "not root: the package was built and checked but not installed"
    exit 77
fi
! dpkg-query -W -f='${Status}' twinscript 2>/dev/null | grep -q "^install ok installed" || fail "twinscript is installed already"
trap 'apt-get remove -y -qq -o DPkg::Lock::Timeout=300 twinscript >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=300 "$deb" >/dev/null
[ "$(/usr/bin/twinscript-cli --version)" = "twinscript-cli $version" ] || fail "installed tool's version"
(cd "$work" && /usr/bin/twinscript-cli merge "$data/pair_upper.srt" "$data/pair_lower.srt" merged.srt --out-coding UTF-8)
cmp "$work/merged.srt" "$data/pair_merged.srt" || fail "installed tool's merge"
printf '1\n00:00:01,000 --> 00:00:02,000\nCaf\xe9 cr\xe8me\n' >"$work/latin.srt"
(cd "$work" && LD_DEBUG=files /usr/bin/twinscript-cli convert latin.srt utf8.srt --coding Windows-1252 \
    --out-coding UTF-8 2>loader)
grep -q "Café crème" "$work/utf8.srt" || fail "installed tool's Windows-1252"
grep -q "calling init: /usr/bin/../lib/twinscript/libtwinscript_codecs.so" "$work/loader" || fail "installed codings module"
ffmpeg -v error -nostdin -y -f lavfi -i color=c=navy:s=64x48:r=5:d=12 -i "$data/pair_upper.srt" -map 0 -map 1 \
    -c:v libx264 -preset veryfast -c:s srt -metadata:s:s:0 language=eng "$work/film.mkv"
tracks=$(LD_DEBUG=files /usr/bin/twinscript-cli tracks "$work/film.mkv" 2>"$work/loader")
[ "$tracks" = "$(printf '1\teng\t\tSubRip\t10\ttext')" ] || fail "installed tool's tracks: $tracks"
grep -q "calling init: /usr/bin/../lib/twinscript/libtwinscript_libav.so" "$work/loader" || fail "installed video module"
apt-get remove -y -qq -o DPkg::Lock::Timeout=300 twinscript >/dev/null
[ ! -e /usr/bin/twinscript-cli ] && [ ! -e /usr/lib/twinscript ] && [ ! -e /usr/share/applications/$id.desktop ] \
    || fail "files left after removal"
echo "installed, ran and removed $(basename "$deb")"
