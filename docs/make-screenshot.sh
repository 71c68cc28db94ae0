#!/usr/bin/env bash
# Remakes docs/main-window.png: the main window with a cache folder open and
# converted, on a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

missing=()
for p in xvfb xdotool imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
tools/install-deps
cmake -S . -B build-screenshot -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTCC_BUILD_UI=ON -DTCC_BUILD_TESTS=OFF >/dev/null
cmake --build build-screenshot -j"$(nproc)" --target tarnel-cache-converter >/dev/null

work=$(mktemp -d)
xvfb=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A small cache: keys with their cached files, and the index naming them.
game="$work/player/.game"
mkdir -p "$game/Cache"
names=(Harbour.unr Stonework.utx Wind.uax Theme.umx Engine.u Render.dll Engine.int Readme
       Lighthouse.unr Granite.utx Bells.uax Credits.txt)
printf '[Cache]\r\n' > "$game/Cache/cache.ini"
for i in "${!names[@]}"; do
  key=$(printf '%s' "${names[$i]}" | md5sum | cut -c1-32 | tr a-f A-F)
  printf '%s=%s\r\n' "$key" "${names[$i]}" >> "$game/Cache/cache.ini"
  head -c $((1000 + i * 37)) /dev/zero > "$game/Cache/$key.uxx"
done

display=":$((80 + RANDOM % 100))"
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display

# The program starts in its current folder: the game's folder.
(cd "$game" && exec "$root/build-screenshot/qt/tarnel-cache-converter") >/dev/null 2>&1 &
app=$!
win=""
for _ in $(seq 50); do
  win=$(xdotool search --name '^Tarnel Cache Converter$' 2>/dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "the window did not open" >&2; exit 1; }
sleep 0.5

# Tab from the drive list to the directory list, step down to "Cache" (the
# first subfolder) and open it with Enter; then click "1. Convert Cache".
xdotool key --window "$win" --delay 150 Tab Down Return 2>/dev/null
sleep 0.5
xdotool mousemove --window "$win" 87 444 click 1 2>/dev/null
sleep 0.5
xdotool mousemove --window "$win" 300 470 2>/dev/null
sleep 0.5
import -window "$win" "$root/docs/main-window.png"
echo "wrote docs/main-window.png"
