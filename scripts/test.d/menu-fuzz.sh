# Sourced by scripts/test: fuzzes the menu template reader natively for QUILO_MENU_FUZZ_SECONDS (default:
# QUILO_STAT_FUZZ_SECONDS, else 30), starting from the seed corpus in ui/fuzz/corpus. It counts as the test
# "menu_fuzz": a -R filter that does not match it skips it.
if quilo_test_selected menu_fuzz "$@"; then
  quilo_fuzz menu_fuzz "${QUILO_MENU_FUZZ_SECONDS:-${QUILO_STAT_FUZZ_SECONDS:-30}}" 4096 "$QUILO_ROOT/ui/fuzz/corpus" \
    "$QUILO_ROOT"/ui/fuzz/MenuTemplateFuzz.cpp "$QUILO_ROOT"/ui/MenuTemplate.cpp
fi
