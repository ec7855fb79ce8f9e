# Sourced by scripts/test: fuzzes the statistics settings parser natively (libFuzzer with AddressSanitizer
# and UndefinedBehaviorSanitizer) for QUILO_STAT_FUZZ_SECONDS (default 60), starting from the seed corpus
# in stat/fuzz/corpus. It counts as the test "stat_fuzz": a -R filter that does not match it skips it.
stat_fuzz_run() {
  local regex= arg prev=
  for arg in "$@"; do
    case "$prev" in -R|--tests-regex) regex=$arg ;; esac
    case "$arg" in -R?*) regex=${arg#-R} ;; --tests-regex=*) regex=${arg#*=} ;; esac
    prev=$arg
  done
  if [ -n "$regex" ] && ! [[ stat_fuzz =~ $regex ]]; then
    return 0
  fi
  local dir=$build/stat-fuzz
  mkdir -p "$dir/corpus" || return 1
  quilo_log "stat_fuzz: building"
  clang++-14 -std=c++17 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$QUILO_ROOT" "$QUILO_ROOT"/stat/fuzz/SettingsFuzz.cpp "$QUILO_ROOT"/stat/SettingsReader.cpp \
    "$QUILO_ROOT"/stat/StatSettings.cpp -o "$dir/stat_settings_fuzz" || return 1
  cp "$QUILO_ROOT"/stat/fuzz/corpus/* "$dir/corpus/" || return 1
  local seconds=${QUILO_STAT_FUZZ_SECONDS:-60}
  quilo_log "stat_fuzz: fuzzing for ${seconds}s"
  if ! "$dir/stat_settings_fuzz" -max_total_time="$seconds" -max_len=5000 -print_final_stats=1 \
      -artifact_prefix="$dir/" "$dir/corpus" >"$dir/fuzz.log" 2>&1; then
    tail -n 40 "$dir/fuzz.log" >&2
    quilo_log "stat_fuzz: FAILED (log: $dir/fuzz.log)"
    return 1
  fi
  quilo_log "stat_fuzz: passed, $(grep -E '^stat::number_of_executed_units' "$dir/fuzz.log" | awk '{print $2}') runs in ${seconds}s"
}
stat_fuzz_run "$@"
