#!/usr/bin/env bash
# Installs what the project needs from Debian packages and prepares the Wine prefix.
# Idempotent: a machine that already has everything passes through in a few seconds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

need_pkgs=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev
  binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth x11-utils locales googletest
  imagemagick fonts-noto-cjk cmake ninja-build)

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The ANSI code page must be 932 for the Japanese resources.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

# mingw-w64 has two thread models; the posix one is the one we build with.
for t in gcc g++; do
  alt=/usr/bin/i686-w64-mingw32-$t-posix
  [ -x "$alt" ] && update-alternatives --set i686-w64-mingw32-$t "$alt" >/dev/null 2>&1 || true
done

"$here/scripts/wineprefix.sh" "${1:-$here/build}"
