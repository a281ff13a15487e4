#!/usr/bin/env bash
# `make run` (after `make build`): writes the demo game folder build/demo/RES when it is
# missing, points build/bin/Tavrel.ini at it and starts build/bin/tavrel.
#
# Without a display ($DISPLAY and $WAYLAND_DISPLAY empty) the program runs under xvfb-run
# (or Qt's offscreen platform when xvfb-run is missing): it opens one demo archive, saves a
# picture of its main window to build/tavrel-demo.png and quits.
#
# TAVREL_DEMO_FRESH=1 writes the demo folder anew (your changes to the demo archives are lost).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bin=$root/build/bin
demo=$root/build/demo
game=$demo/RES
cli=$bin/tavrel-cli
app=$bin/tavrel
ini=$bin/Tavrel.ini
shot=$root/build/tavrel-demo.png
shot_archive=$game/Faces/Faces.bin

for exe in "$cli" "$app"; do
  if [ ! -x "$exe" ]; then
    echo "run-demo: $exe is missing; run 'make build' first" >&2
    exit 1
  fi
done

if [ "${TAVREL_DEMO_FRESH:-0}" = 1 ] || [ ! -d "$game" ]; then
  rm -rf "$demo"
  "$cli" make-demo "$demo"
else
  echo "run-demo: using the demo game folder $game (TAVREL_DEMO_FRESH=1 writes it anew)"
fi

# Sets [GamePath] PATH_Ostrim in the settings file and keeps everything else in it.
# Section and key names are matched without regard to letter case, as the program does.
write_game_path() {
  local file=$1 value=$2
  if [ ! -f "$file" ]; then
    printf '[GamePath]\nPATH_Ostrim=%s\n' "$value" >"$file"
    return
  fi
  VALUE=$value awk '
    function is_section(line) { return line ~ /^[ \t]*\[.*\][ \t]*$/ }
    {
      line = $0; sub(/\r$/, "", line); low = tolower(line)
      if (is_section(line)) {
        if (in_section && !done) { print "PATH_Ostrim=" ENVIRON["VALUE"]; done = 1 }
        in_section = (low ~ /^[ \t]*\[[ \t]*gamepath[ \t]*\][ \t]*$/)
        if (in_section) seen = 1
      } else if (in_section && low ~ /^[ \t]*path_ostrim[ \t]*=/) {
        if (!done) print "PATH_Ostrim=" ENVIRON["VALUE"]
        done = 1
        next
      }
      print
    }
    END {
      if (in_section && !done) { print "PATH_Ostrim=" ENVIRON["VALUE"]; done = 1 }
      if (!seen) { print ""; print "[GamePath]"; print "PATH_Ostrim=" ENVIRON["VALUE"] }
    }' "$file" >"$file.tmp"
  mv "$file.tmp" "$file"
}
write_game_path "$ini" "$game"
echo "run-demo: $ini points at $game"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$app"
fi

echo "run-demo: no display; taking a screenshot of the program with $shot_archive open"
if ! QT_QPA_PLATFORM=offscreen timeout 20 "$app" --help 2>&1 | grep -q -- '--screenshot'; then
  echo "run-demo: this build of tavrel has no --screenshot option yet; start it on a desktop instead" >&2
  exit 1
fi
rm -f "$shot"
args=(--open-archive "$shot_archive" --screenshot "$shot")
if command -v xvfb-run >/dev/null; then
  timeout 120 xvfb-run -a -s "-screen 0 1280x900x24" "$app" "${args[@]}"
else
  echo "run-demo: xvfb-run is missing; using Qt's offscreen platform"
  QT_QPA_PLATFORM=offscreen timeout 120 "$app" "${args[@]}"
fi
if [ ! -s "$shot" ]; then
  echo "run-demo: the program wrote no screenshot" >&2
  exit 1
fi
echo "run-demo: screenshot written to $shot"
