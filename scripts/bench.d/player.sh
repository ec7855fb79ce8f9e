# Sourced by scripts/bench: start-up of the player to its visible window (configuration served on
# 127.0.0.3:80) against a bare Win32 dialog program, the fair floor and the same-work floor (the player's
# platform work: common controls, OLE, the download, its dialogs hosting the three controls), the private
# memory of the player and of that floor once their windows show, and the hand-off of a link from a second
# instance to the Flash stand-in against a minimal program that finds the window and sends the link (the fair
# floor) and against a process that ends at once. The start-up lines run again at each DPI of
# PLAYER_BENCH_DPIS (default 144; empty: none), each in a Wine prefix of that display scale.
# PLAYER_BENCH_ROUNDS sets the rounds.
player_bench() {
  "$QUILO_ROOT/scripts/register-standins" "$WINEPREFIX" "$QUILO_BUILD/tests/standins/QuiloStandins.dll" &&
  QUILO_WINEPREFIX=$WINEPREFIX "$QUILO_BUILD/wine-exec" --lock port80_127.0.0.3 --isolated \
    --copy "$QUILO_BUILD/app/QuiloPlayer.exe" --copy "$QUILO_BUILD/app/skin" \
    --copy "$QUILO_BUILD/tests/player/bench_bare_dialog.exe" --copy "$QUILO_BUILD/tests/player/bench_fair_floor.exe" \
    --copy "$QUILO_BUILD/tests/player/bench_exit_at_once.exe" --copy "$QUILO_BUILD/tests/player/bench_same_work_floor.exe" \
    --copy "$QUILO_BUILD/tests/player/bench_handoff_floor.exe" \
    "$QUILO_BUILD/tests/player/bench_player.exe" "${PLAYER_BENCH_ROUNDS:-7}" "$@"
}
player_bench_status=0
player_bench || player_bench_status=1
player_bench_prefix=$WINEPREFIX
player_bench_path=$PATH
for player_bench_dpi in ${PLAYER_BENCH_DPIS-144}; do
  quilo_log "bench player at $player_bench_dpi DPI, $(quilo_tree_bits "$QUILO_BUILD")-bit build"
  # Made as scripts/bench makes the tree's prefix: by 64-bit Wine, then brought up to date for 32-bit programs.
  quilo_wine_bits 64
  QUILO_DPI=$player_bench_dpi quilo_prefix "$player_bench_prefix-dpi$player_bench_dpi"
  if [ "$(quilo_tree_bits "$QUILO_BUILD")" = 32 ]; then
    quilo_win32_check || { quilo_log "32-bit build at $player_bench_dpi DPI: NOT RUN ($QUILO_WIN32_WHY)"; continue; }
    quilo_wine_bits 32
  fi
  QUILO_DPI=$player_bench_dpi quilo_wine_start "$WINEPREFIX"
  player_bench start-only || player_bench_status=1
done
export WINEPREFIX=$player_bench_prefix PATH=$player_bench_path
[ $player_bench_status = 0 ]
