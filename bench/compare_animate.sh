#!/usr/bin/env bash
# Animations, side by side in one run:
#  - 50 bitmaps of 512 x 512 made into an animated GIF by orvanel-cli animate, ImageMagick's
#    convert and Pillow (the same files for every tool): orvanel at least 5x faster than each;
#  - 200 FITS frames of 1024 x 1024 16 bits: orvanel-cli animate's peak resident memory (under
#    150 MB), and the same series with a 256 x 256 region and 2 x 2 binning at least 4x faster;
#  - the builder's save of 200 frames of 1024 x 1024 (bench_anim_save): what it adds to the
#    frames held, under 2 frames per thread, on every core and on one (and optimised, also with
#    one display and stamps, a tolerance, a region binned 2);
#  - a still field, 50 FITS frames of 512 x 512 whose noise alone changes (bench/static_field.py):
#    written plain, with --optimize, with --tolerance 8 and 16, against gifsicle -O3 of the plain
#    file, in time and size (goal: the optimised file at most half of gifsicle's);
#  - 50 colour-camera FITS frames of 512 x 512 (star fields with an RGGB card) animated in colour
#    and, the same files, in grey (--debayer none): colour at most 2x grey. `compare_animate.sh
#    colour` runs this part alone.
# The machine may be shared: look at `uptime` first.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target orvanel-cli orvanel-make-sample bench_anim_save >/dev/null
cli=build/release/src/cli/orvanel-cli
sample=build/release/data/orvanel-make-sample
work=${TMPDIR:-/tmp}/orvanel-bench-animate
mkdir -p "$work/bmp" "$work/fits"
echo "load: $(uptime)"

mkdir -p "$work/bayer"
for i in $(seq -w 1 50); do
  [ -f "$work/bayer/f$i.fit" ] && continue
  $sample "$work/bayer/f$i.fit" --width 512 --height 512 --seed "$i" >/dev/null
  /usr/bin/python3 -c "from astropy.io import fits; import sys; fits.setval(sys.argv[1], 'BAYERPAT', value='RGGB')" \
    "$work/bayer/f$i.fit"
done
bayer=$(ls "$work"/bayer/f*.fit | tr '\n' ' ')
hyperfine -N --warmup 2 --runs "${RUNS:-10}" --export-json "$work/bayer.json" \
  -n colour "$cli animate $bayer -o $work/colour.gif" \
  -n grey "$cli animate $bayer -o $work/grey.gif --debayer none"
/usr/bin/python3 - "$work/bayer.json" <<'PY'
import json, sys
m = {x["command"]: x["median"] * 1000 for x in json.load(open(sys.argv[1]))["results"]}
print(f"50 x 512^2 Bayer FITS: colour {m['colour']:.0f} ms, grey {m['grey']:.0f} ms:"
      f" colour / grey = {m['colour'] / m['grey']:.1f} (target <= 2)")
PY
[ "${1:-}" = colour ] && exit 0

for i in $(seq -w 1 50); do
  [ -f "$work/bmp/f$i.bmp" ] && continue
  $sample "$work/bmp/f$i.fit" --width 512 --height 512 --seed "$i" >/dev/null
  $cli render "$work/bmp/f$i.fit" -o "$work/bmp/f$i.bmp" --preset deepsky
  rm "$work/bmp/f$i.fit"
done
for i in $(seq -w 1 200); do
  [ -f "$work/fits/f$i.fit" ] || $sample "$work/fits/f$i.fit" --width 1024 --height 1024 --seed "$i" >/dev/null
done
[ -f "$work/still/still050.fit" ] || /usr/bin/python3 bench/static_field.py "$work/still" 50 512


bmps=$(ls "$work"/bmp/f*.bmp | tr '\n' ' ')
hyperfine -N --warmup 2 --runs "${RUNS:-10}" --export-json "$work/bmp.json" \
  -n orvanel "$cli animate $bmps -o $work/orvanel.gif --delay 10" \
  -n convert "/usr/bin/convert -delay 10 -loop 0 $bmps $work/magick.gif" \
  -n pillow "/usr/bin/python3 bench/animate_pillow.py $work/pillow.gif $bmps"

still=$(ls "$work"/still/still*.fit | tr '\n' ' ')
shown="--same-display --preset deepsky"
$cli animate $still -o "$work/still.gif" $shown
hyperfine -N --warmup 1 --runs "${STILL_RUNS:-10}" --export-json "$work/still.json" \
  -n plain "$cli animate $still -o $work/still.gif $shown" \
  -n optimize "$cli animate $still -o $work/still-o.gif $shown --optimize" \
  -n tolerance8 "$cli animate $still -o $work/still-t8.gif $shown --optimize --tolerance 8" \
  -n tolerance16 "$cli animate $still -o $work/still-t16.gif $shown --optimize --tolerance 16" \
  -n gifsicle "gifsicle -O3 $work/still.gif -o $work/still-gifsicle.gif"

fits=$(ls "$work"/fits/f*.fit | tr '\n' ' ')
/usr/bin/time -v $cli animate $fits -o "$work/fits.gif" 2>"$work/time.txt"
peak=$(awk -F': ' '/Maximum resident/ {print $2}' "$work/time.txt")
hyperfine -N --warmup 1 --runs "${FITS_RUNS:-3}" --export-json "$work/fits.json" \
  -n whole "$cli animate $fits -o $work/whole.gif" \
  -n region "$cli animate $fits -o $work/region.gif --crop 385,385,256,256 --bin 2"

/usr/bin/python3 - "$work/bmp.json" "$work/fits.json" "$peak" "$work" <<'PY'
import json, os, sys
med = lambda f: {x["command"]: x["median"] * 1000 for x in json.load(open(f))["results"]}
b, f, s = med(sys.argv[1]), med(sys.argv[2]), med(os.path.join(sys.argv[4], "still.json"))
size = lambda name: os.path.getsize(os.path.join(sys.argv[4], name))
print(f"50 x 512^2 BMP: orvanel {b['orvanel']:.0f} ms, convert {b['convert']:.0f} ms, Pillow {b['pillow']:.0f} ms")
print(f"  convert / orvanel = {b['convert'] / b['orvanel']:.1f}, Pillow / orvanel = {b['pillow'] / b['orvanel']:.1f}"
      " (targets >= 5)")
print(f"200 x 1024^2 FITS: peak resident memory {int(sys.argv[3]) / 1024:.0f} MB (target < 150)")
print(f"  whole {f['whole']:.0f} ms, 256^2 region binned 2 {f['region']:.0f} ms:"
      f" {f['whole'] / f['region']:.1f}x faster (target >= 4)")
g = size("still-gifsicle.gif")
print(f"50 x 512^2 still field: plain {size('still.gif') / 1e6:.2f} MB in {s['plain']:.0f} ms;"
      f" gifsicle -O3 of it {g / 1e6:.2f} MB in {s['gifsicle']:.0f} ms more")
for name, file in [("optimize", "still-o.gif"), ("tolerance8", "still-t8.gif"), ("tolerance16", "still-t16.gif")]:
    print(f"  {name}: {size(file) / 1e6:.2f} MB in {s[name]:.0f} ms, {size(file) / g:.2f} of gifsicle's"
          f" (goal <= 0.5), {size(file) / size('still.gif'):.2f} of the plain file")
PY
for jobs in 0 1; do
  for mode in plain options optimize optimize-options optimize-tolerance optimize-crop; do
    build/release/bench/bench_anim_save "$work/builder.gif" $mode $jobs
  done
done
