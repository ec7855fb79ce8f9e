# Sourced by scripts/test: writes the setup program from the 32-bit build into $build/package-test (beside
# the package hook's zip), checks the version resources of the setup and of what it ships, and where 32-bit
# programs run, installs, upgrades and uninstalls it under Wine (installer/test-setup). It counts as the
# test "setup": a -R filter that does not match it skips it.
setup_run() {
  quilo_test_selected setup "$@" || return 0
  local setup
  if ! setup=$(python3 "$QUILO_ROOT/installer/make_setup.py" "$build/win32" "$build/package-test"); then
    quilo_outcome setup "FAILED (${setup:-no setup program written})"
    return 1
  fi
  if [ "$QUILO_WIN32_READY" != 1 ]; then
    quilo_outcome setup "NOT RUN: $setup written and checked, not run: ${QUILO_WIN32_WHY:-no 32-bit programs here}"
    return 0
  fi
  quilo_log "setup: installing, opening links, upgrading and uninstalling under 32-bit Wine"
  if ! "$QUILO_ROOT/installer/test-setup" "$build/win32" "$setup"; then
    tail -n 60 "$build/win32/setup-test/test.log" >&2
    quilo_outcome setup "FAILED (log: $build/win32/setup-test/test.log)"
    return 1
  fi
  quilo_outcome setup "passed ($setup)"
}
setup_run "$@"
