# Sourced by scripts/test: fuzzes the menu template reader natively (libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) for QUILO_MENU_FUZZ_SECONDS (default: QUILO_STAT_FUZZ_SECONDS, else 30),
# starting from the seed corpus in ui/fuzz/corpus. It counts as the test "menu_fuzz": a -R filter that does
# not match it skips it.
menu_fuzz_run() {
  quilo_test_selected menu_fuzz "$@" || return 0
  local dir=$build/menu-fuzz
  mkdir -p "$dir/corpus" || return 1
  quilo_log "menu_fuzz: building"
  clang++-14 -std=c++17 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$QUILO_ROOT" "$QUILO_ROOT"/ui/fuzz/MenuTemplateFuzz.cpp "$QUILO_ROOT"/ui/MenuTemplate.cpp \
    -o "$dir/menu_template_fuzz" || return 1
  cp "$QUILO_ROOT"/ui/fuzz/corpus/* "$dir/corpus/" || return 1
  local seconds=${QUILO_MENU_FUZZ_SECONDS:-${QUILO_STAT_FUZZ_SECONDS:-30}}
  quilo_log "menu_fuzz: fuzzing for ${seconds}s"
  if ! "$dir/menu_template_fuzz" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="$dir/" "$dir/corpus" >"$dir/fuzz.log" 2>&1; then
    tail -n 40 "$dir/fuzz.log" >&2
    quilo_log "menu_fuzz: FAILED (log: $dir/fuzz.log)"
    return 1
  fi
  quilo_log "menu_fuzz: passed, $(grep -E '^stat::number_of_executed_units' "$dir/fuzz.log" | awk '{print $2}') runs in ${seconds}s"
}
menu_fuzz_run "$@"
