# Sourced by scripts/test: fuzzes the statistics settings parser natively for QUILO_STAT_FUZZ_SECONDS (default
# 60), starting from the seed corpus in stat/fuzz/corpus. It counts as the test "stat_fuzz": a -R filter that
# does not match it skips it.
if quilo_test_selected stat_fuzz "$@"; then
  quilo_fuzz stat_fuzz "${QUILO_STAT_FUZZ_SECONDS:-60}" 5000 "$QUILO_ROOT/stat/fuzz/corpus" \
    "$QUILO_ROOT"/stat/fuzz/SettingsFuzz.cpp "$QUILO_ROOT"/stat/SettingsReader.cpp "$QUILO_ROOT"/stat/StatSettings.cpp
fi
