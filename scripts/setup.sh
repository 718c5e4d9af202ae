#!/usr/bin/env bash
# Installs what Twinscript needs to build, test and run on Debian; installs nothing that is already there.
# --with-fuzz adds clang for the fuzz targets, --with-bench the peers bench_cli compares against.
set -euo pipefail

packages=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools qt6-5compat-dev qt6-tools-dev qt6-l10n-tools
  qt6-translations-l10n libuchardet-dev xvfb xauth libass-dev fonts-dejavu-core ffmpeg libavformat-dev libavcodec-dev
  libavutil-dev appstream desktop-file-utils help2man)
for arg in "$@"; do
  case "$arg" in
    --with-fuzz) packages+=(clang libclang-rt-14-dev) ;;
    --with-bench) packages+=(ffmpeg python3-srt) ;;
    *) echo "usage: $0 [--with-fuzz] [--with-bench]" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
