# Sourced by scripts/bench: Stat.dll's report rate with a 100 ms interval over 10 s, and the CPU time of
# its worker while reports are off (it must sleep in its message loop, not poll).
"$QUILO_BUILD/wine-exec" --lock port80_127.0.0.2 "$QUILO_BUILD/tests/stat/stat_bench.exe" on &&
  "$QUILO_BUILD/wine-exec" --lock port80_127.0.0.2 "$QUILO_BUILD/tests/stat/stat_bench.exe" off
