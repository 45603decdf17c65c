#!/usr/bin/env bash
# The batched lines path gives exactly the pixels of the per-particle reference path (Mesa, read
# back with glReadPixels), both simulate the same field, and that field matches an independent
# single-precision computation of the same seed. Two cases: one whose compared frame splits its
# lines into hundreds of width batches, and one that runs past the first ring wrap (10 frames)
# and every emitter's restart (30). Beside a second monitor the primary's picture stays the same.
set -u
source "$(dirname "$0")/e2e_lib.sh"
e2e_ensure_display
bench="$ORVELINE_BUILD/tools/orveline-bench"
reference="$(dirname "$0")/reference_field.py"
command -v python3 >/dev/null || e2e_note "python3 missing: independent computation skipped"

for case in 99:10 20261208:40; do
  seed=${case%:*} frames=${case#*:}
  out="$E2E_TMP/$seed"
  for path in per-particle batched; do
    "$bench" --size 1920x1080 --frames "$frames" --seed "$seed" --path "$path" \
      --pixels "$out-$path.ppm" --dump "$out-$path.txt" >"$out-$path.log" 2>&1 ||
      e2e_fail "seed $seed: bench --path $path failed: $(cat "$out-$path.log")"
  done
  lit=$(e2e_fraction "$out-batched.ppm" -colorspace Gray -threshold 4%)
  e2e_float_ge "$lit" 0.02 || e2e_fail "seed $seed: the compared frame is nearly black ($lit lit)"
  cmp -s "$out-per-particle.ppm" "$out-batched.ppm" || {
    convert "$out-per-particle.ppm" "$E2E_TMP/per-particle-$seed.png"
    convert "$out-batched.ppm" "$E2E_TMP/batched-$seed.png"
    e2e_fail "seed $seed: batched lines differ from the per-particle lines in" \
      "$(e2e_differing_pixels "$E2E_TMP/per-particle-$seed.png" "$E2E_TMP/batched-$seed.png") pixels"
  }
  cmp -s "$out-per-particle.txt" "$out-batched.txt" || e2e_fail "seed $seed: the two runs simulated differently"
  # Beside a second monitor, the primary shows exactly the single-monitor picture.
  "$bench" --size 1920x1080 --monitors 2 --frames "$frames" --seed "$seed" --pixels "$out-two.ppm" \
    >"$out-two.log" 2>&1 || e2e_fail "seed $seed: bench --monitors 2 failed: $(cat "$out-two.log")"
  convert "$out-two.ppm" -crop 1920x1080+0+0 +repage "$E2E_TMP/primary-$seed.png"
  convert "$out-batched.ppm" "$E2E_TMP/single-$seed.png"
  differing=$(e2e_differing_pixels "$E2E_TMP/single-$seed.png" "$E2E_TMP/primary-$seed.png")
  [ "$differing" = 0 ] || e2e_fail "seed $seed: the primary monitor differs from the single monitor in $differing pixels"
  right=$(e2e_fraction "$out-two.ppm" -crop 1920x1080+1920+0 +repage -colorspace Gray -threshold 4%)
  e2e_float_ge "$right" 0.02 || e2e_fail "seed $seed: the second monitor is nearly black ($right lit)"
  [ "$(wc -l <"$out-batched.txt")" = 3000 ] || e2e_fail "seed $seed: dump does not hold 3000 particles"
  command -v python3 >/dev/null || continue
  python3 "$reference" "$seed" "$frames" >"$out-reference.txt" || e2e_fail "reference computation failed"
  if ! cmp -s "$out-reference.txt" "$out-batched.txt"; then
    diff "$out-reference.txt" "$out-batched.txt" | head -n 6 >&2
    e2e_fail "seed $seed: the field differs from the independent single-precision computation"
  fi
  read -r low high < <(sed -n 's/^smooth line widths: \(.*\)\.\.\(.*\)$/\1 \2/p' "$out-batched.log")
  batches=$(python3 "$reference" --batches "$seed" "$frames" "$low" "$high")
  [ "$seed" != 99 ] || [ "$batches" -ge 100 ] ||
    e2e_fail "seed $seed: the compared frame makes only $batches width batches"
  e2e_note "seed $seed, $frames frames: identical frames, $lit of the pixels lit, $batches width batches;" \
    "field matches the independent computation bit for bit"
done
