#!/usr/bin/env bash
# SER videos, in one run:
#  - a 2 GB SER (518 frames of 1920 x 1080): frame K opened (orvanel-cli pixel --frame K) in
#    under 50 ms whatever K, first, middle or last, the file in the page cache;
#  - 500 SER frames of 640 x 480: orvanel-cli animate's peak resident memory to GIF, WebP and
#    MP4, and the same for every frame of the 2 GB file to GIF, binned 4 x 4: memory stays flat,
#    whatever the file's size (WebP: libwebp holds the encoded frames until the file is assembled).
# The big files are made in $TMPDIR (default /tmp) and removed at the end.
# The machine may be shared: look at `uptime` first.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target orvanel-cli >/dev/null
cli=build/release/src/cli/orvanel-cli
work=$(mktemp -d "${TMPDIR:-/tmp}/orvanel-bench-series.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "load: $(uptime)"

big=$work/big.ser
/usr/bin/python3 bench/make_ser.py "$big" 518 1920 1080
echo "big file: $(du -h "$big" | cut -f1)"
cat "$big" >/dev/null # in the page cache, as after a first look
hyperfine -N --warmup 3 --runs "${RUNS:-20}" --export-json "$work/frame.json" \
  -n "frame 1" "$cli pixel $big 1 1 --frame 1" \
  -n "frame 259" "$cli pixel $big 1 1 --frame 259" \
  -n "frame 518" "$cli pixel $big 1 1 --frame 518"

small=$work/small.ser
/usr/bin/python3 bench/make_ser.py "$small" 500 640 480
peak() { # peak resident memory of a command, in MB
  /usr/bin/time -v "$@" 2>"$work/time.txt" >/dev/null
  awk -F': ' '/Maximum resident/ {printf "%.0f", $2 / 1024}' "$work/time.txt"
}
for out in gif webp mp4; do
  start=$(date +%s.%N)
  mb=$(peak $cli animate "$small" -o "$work/small.$out" --auto-delays)
  end=$(date +%s.%N)
  printf "animate 500 frames of 640x480 to %-4s peak %4s MB, %.1f s, %s\n" "$out" "$mb" \
    "$(awk "BEGIN {print $end - $start}")" "$(du -h "$work/small.$out" | cut -f1)"
done
mb=$(peak $cli animate "$big" -o "$work/big.gif" --bin 4)
echo "animate 518 frames of 1920x1080 (2 GB), binned 4x4, to gif: peak $mb MB"
