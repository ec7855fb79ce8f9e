# Sourced by scripts/test: fuzzes the checks of a skin's bitmap files natively for QUILO_SKIN_FUZZ_SECONDS
# (default: QUILO_STAT_FUZZ_SECONDS, else 30), starting from the seed corpus in skin/fuzz/corpus. It counts as
# the test "skin_fuzz": a -R filter that does not match it skips it.
if quilo_test_selected skin_fuzz "$@"; then
  quilo_fuzz skin_fuzz "${QUILO_SKIN_FUZZ_SECONDS:-${QUILO_STAT_FUZZ_SECONDS:-30}}" 4096 "$QUILO_ROOT/skin/fuzz/corpus" \
    "$QUILO_ROOT"/skin/fuzz/BitmapFileFuzz.cpp "$QUILO_ROOT"/skin/BitmapFile.cpp
fi
