#!/usr/bin/env bash
# Opens each help file given with xchm on its own screen of one Xvfb and
# saves a picture of the window: help-screenshot OUTDIR FILE.chm...
# Writes OUTDIR/<file name without .chm>.png for each file.
set -euo pipefail
out=$1; shift
mkdir -p "$out"
home=$(mktemp -d)
screens=()
n=0; for _ in "$@"; do screens+=(-screen "$n" 800x600x24); n=$((n + 1)); done
Xvfb -displayfd 1 -nolisten tcp "${screens[@]}" > "$home/display" 2>/dev/null &
xvfb=$!
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; kill "$xvfb" 2>/dev/null || true; rm -rf "$home"; }
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$home/display" ] && break; sleep 0.05; done
display=:$(head -n1 "$home/display")
n=0
for chm in "$@"; do
  DISPLAY=$display.$n HOME=$home xchm "$chm" >/dev/null 2>&1 &
  pids+=($!)
  n=$((n + 1))
done
n=0
for chm in "$@"; do
  # The window is up when xdotool finds it; the page needs a moment more.
  for _ in $(seq 200); do
    DISPLAY=$display.$n xdotool search --onlyvisible --class xchm >/dev/null 2>&1 && break
    sleep 0.05
  done
  n=$((n + 1))
done
sleep 1.5
n=0
for chm in "$@"; do
  DISPLAY=$display.$n import -window root "$out/$(basename "$chm" .chm).png"
  n=$((n + 1))
done
