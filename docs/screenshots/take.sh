#!/usr/bin/env bash
# Retakes the README's screenshots (docs/*.png) on a virtual X server: the real windows
# with Qt's Russian texts, each captured by ImageMagick's `import`.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/deps.sh
for p in xvfb xauth imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ -n "${missing[*]:-}" ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
cmake -S . -B build -G Ninja -DTARVELLO_GUI=ON -DTARVELLO_SCREENSHOTS=ON >/dev/null
cmake --build build --target tarvello-screenshots
xvfb-run -a -s "-screen 0 1024x768x24" build/tarvello-screenshots "$PWD" "$PWD/docs"
