# Late-bound calls through the control wrappers against direct IDispatch::Invoke, and control creation
# against a plain child window, on the stand-in controls. CONTROLS_BENCH_CALLS sets the number of calls.
"$QUILO_ROOT/scripts/register-standins" "$WINEPREFIX" "$QUILO_BUILD/tests/standins/QuiloStandins.dll" &&
"$QUILO_BUILD/wine-exec" "$QUILO_BUILD/tests/controls/controls_bench.exe" "${CONTROLS_BENCH_CALLS:-20000}"
