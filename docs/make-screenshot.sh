#!/usr/bin/env bash
# Remakes docs/main-window.png: the main window with a cache folder open,
# converted and sorted, asking whether to install into the game, on a virtual
# X server. With "windows": docs/windows-window.png,
# the same with the Windows window under Wine, driven by the keyboard alone.
# Usage: docs/make-screenshot.sh [windows]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
windows=false
[ "${1:-}" = windows ] && windows=true

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
if $windows; then
  tools/package-windows >/dev/null  # the Release window, in build-win/release
else
  tools/install-deps
  cmake -S . -B build-screenshot -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTCC_BUILD_UI=ON -DTCC_BUILD_TESTS=OFF >/dev/null
  cmake --build build-screenshot -j"$(nproc)" --target tarnel-cache-converter >/dev/null
fi

work=$(mktemp -d)
xvfb=""
app=""
source tools/virtual-display
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  if $windows; then /usr/lib/wine/wineserver -k 2>/dev/null || true; fi
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT

# A small cache: keys with their cached files, and the index naming them.
game="$work/player/.game"
mkdir -p "$game/Cache" "$game/System"
names=(Harbour.unr Stonework.utx Wind.uax Theme.umx Engine.u Render.dll Engine.int Readme
       Lighthouse.unr Granite.utx Bells.uax Credits.txt)
printf '[Cache]\r\n' > "$game/Cache/cache.ini"
for i in "${!names[@]}"; do
  key=$(printf '%s' "${names[$i]}" | md5sum | cut -c1-32 | tr a-f A-F)
  printf '%s=%s\r\n' "$key" "${names[$i]}" >> "$game/Cache/cache.ini"
  head -c $((1000 + i * 37)) /dev/zero > "$game/Cache/$key.uxx"
done

if $windows; then
  # Wine's windows take the focus through a window manager; they are shown
  # with the fonts the windows are laid out for, Arial's and Courier New's
  # metrics (Liberation Sans and Mono).
  start_virtual_display
  export WINEPREFIX=$root/build-win/screenshot-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wine=/usr/lib/wine/wine64
  "$wine" wineboot --init >/dev/null 2>&1
  for font in "Arial=Liberation Sans" "Courier New=Liberation Mono"; do
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${font%%=*}" /d "${font#*=}" /f >/dev/null 2>&1
  done
  (cd "$game" && exec "$wine" "$root/build-win/release/win32/tarnel-cache-converter.exe") >/dev/null 2>&1 &
  app=$!
  win=""
  for _ in $(seq 100); do
    win=$(xdotool search --onlyvisible --name '^Tarnel Cache Converter$' 2>/dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.2
  done
  [ -n "$win" ] || { echo "the window did not open" >&2; exit 1; }
  # Real keys (XTEST) to the focused window: Tab to the folder list, down to
  # "Cache", Enter opens it, Alt+C converts it; the pointer rests on a button.
  xdotool windowactivate --sync "$win" 2>/dev/null
  xdotool key --delay 300 Tab Down Return alt+c
  sleep 1
  xdotool mousemove --window "$win" 300 470
  sleep 0.5
  import -window "$win" "$root/docs/windows-window.png"
  echo "wrote docs/windows-window.png"
  exit 0
fi

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
# first subfolder) and open it with Enter; then click "1. Convert Cache" and
# sort with Alt+S: the game's folder holds a System folder, so the sort asks
# whether to install. The screen holds the window and the question.
xdotool key --window "$win" --delay 150 Tab Down Return 2>/dev/null
sleep 0.5
xdotool mousemove --window "$win" 87 444 click 1 2>/dev/null
sleep 0.5
xdotool key --window "$win" alt+s 2>/dev/null
sleep 1
import -window root "$work/screen.png"
convert "$work/screen.png" -trim +repage "$root/docs/main-window.png"
echo "wrote docs/main-window.png"
