#!/usr/bin/env bash
# Installs with apt whatever the build and the tests need and this machine lacks;
# with --run also what the workbench only uses while it runs (the emulator).
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
  libdeflate-dev clang-14 libclang-rt-14-dev qt6-translations-l10n libqt6svg6 libpng-dev pngcheck desktop-file-utils
  libuchardet-dev)
# Kana and kanji need a font with Japanese glyphs to show in the windows.
if [ "${1:-}" = "--run" ]; then packages+=(mgba-qt fonts-ipafont-gothic); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
