# Sourced by scripts/bench: start-up of the player to its visible window (configuration served on
# 127.0.0.3:80) against a bare Win32 dialog program, the fair floor and the same-work floor (the player's
# platform work: common controls, OLE, the download, its dialogs hosting the three controls), and the
# hand-off of a link from a second instance to the Flash stand-in against a minimal program that finds the
# window and sends the link (the fair floor) and against a process that ends at once.
# PLAYER_BENCH_ROUNDS sets the rounds.
"$QUILO_ROOT/scripts/register-standins" "$WINEPREFIX" "$QUILO_BUILD/tests/standins/QuiloStandins.dll" &&
"$QUILO_BUILD/wine-exec" --lock port80_127.0.0.3 --isolated --copy "$QUILO_BUILD/app/QuiloPlayer.exe" --copy "$QUILO_BUILD/app/skin" \
  --copy "$QUILO_BUILD/tests/player/bench_bare_dialog.exe" --copy "$QUILO_BUILD/tests/player/bench_fair_floor.exe" --copy "$QUILO_BUILD/tests/player/bench_exit_at_once.exe" \
  --copy "$QUILO_BUILD/tests/player/bench_same_work_floor.exe" --copy "$QUILO_BUILD/tests/player/bench_handoff_floor.exe" \
  "$QUILO_BUILD/tests/player/bench_player.exe" "${PLAYER_BENCH_ROUNDS:-7}"
