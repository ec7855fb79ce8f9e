# Sourced by scripts/test: fuzzes the settings document reader and writer natively for
# QUILO_PROFILE_FUZZ_SECONDS (default: QUILO_STAT_FUZZ_SECONDS, else 30), starting from the seed corpus in
# framework/fuzz/corpus. It counts as the test "profile_fuzz": a -R filter that does not match it skips it.
if quilo_test_selected profile_fuzz "$@"; then
  quilo_fuzz profile_fuzz "${QUILO_PROFILE_FUZZ_SECONDS:-${QUILO_STAT_FUZZ_SECONDS:-30}}" 8192 \
    "$QUILO_ROOT/framework/fuzz/corpus" "$QUILO_ROOT"/framework/fuzz/ProfileTextFuzz.cpp \
    "$QUILO_ROOT"/framework/ProfileText.cpp
fi
