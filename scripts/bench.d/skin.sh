# Sourced by scripts/bench: PaintFrame of a 1920-pixel-wide skinned window and RegionFromColourKey of a
# 3840-pixel caption strip of the shipped "现代" skin at 100, 150 and 200 %, against a plain BitBlt of the
# caption strip in the same run.
# SKIN_BENCH_ROUNDS sets the rounds (default 1000).
"$QUILO_BUILD/wine-exec" --isolated --copy "$QUILO_BUILD/app/skin" \
  "$QUILO_BUILD/tests/skin/skin_bench.exe" "${SKIN_BENCH_ROUNDS:-1000}"
