#!/usr/bin/env bash
# The batched lines path gives exactly the pixels of the per-particle reference path (Mesa, read
# back with glReadPixels), both simulate the same field, and that field matches an independent
# single-precision computation of the same seed.
set -u
source "$(dirname "$0")/e2e_lib.sh"
e2e_ensure_display
bench="$ORVELINE_BUILD/tools/orveline-bench"
seed=20261208
frames=40  # past the first ring wrap (10 frames) and every emitter's restart (30)

for path in per-particle batched; do
  "$bench" --size 1920x1080 --frames "$frames" --seed "$seed" --path "$path" \
    --pixels "$E2E_TMP/$path.ppm" --dump "$E2E_TMP/$path.txt" >"$E2E_TMP/$path.log" 2>&1 ||
    e2e_fail "bench --path $path failed: $(cat "$E2E_TMP/$path.log")"
done
lit=$(e2e_fraction "$E2E_TMP/batched.ppm" -colorspace Gray -threshold 4%)
e2e_float_ge "$lit" 0.02 || e2e_fail "the compared frame is nearly black ($lit lit)"
cmp -s "$E2E_TMP/per-particle.ppm" "$E2E_TMP/batched.ppm" || {
  convert "$E2E_TMP/per-particle.ppm" "$E2E_TMP/per-particle.png"
  convert "$E2E_TMP/batched.ppm" "$E2E_TMP/batched.png"
  e2e_fail "batched lines differ from the per-particle lines in" \
    "$(e2e_differing_pixels "$E2E_TMP/per-particle.png" "$E2E_TMP/batched.png") pixels"
}
e2e_note "frames identical, $lit of the pixels lit"
cmp -s "$E2E_TMP/per-particle.txt" "$E2E_TMP/batched.txt" || e2e_fail "the two runs simulated differently"
[ "$(wc -l <"$E2E_TMP/batched.txt")" = 3000 ] || e2e_fail "dump does not hold 3000 particles"

if command -v python3 >/dev/null; then
  python3 "$(dirname "$0")/reference_field.py" "$seed" "$frames" >"$E2E_TMP/reference.txt" ||
    e2e_fail "reference computation failed"
  if ! cmp -s "$E2E_TMP/reference.txt" "$E2E_TMP/batched.txt"; then
    diff "$E2E_TMP/reference.txt" "$E2E_TMP/batched.txt" | head -n 6 >&2
    e2e_fail "the field differs from the independent single-precision computation"
  fi
  e2e_note "field matches the independent computation bit for bit"
else
  e2e_note "python3 missing: independent computation skipped"
fi
