# Sourced by scripts/test: writes the setup program from the 32-bit build into $build/package-test (beside
# the package hook's zip), checks the version resources of the setup and of what it ships, and where 32-bit
# programs run, installs, upgrades and uninstalls it under Wine (installer/test-setup). The same test runs
# on a 64-bit setup of the 64-bit twin (never shipped), so that the setup's own steps are proven on every
# machine. It counts as the test "setup": a -R filter that does not match it skips it.

# setup_tree TREE OUT LABEL: writes, checks and (where the build runs) tests one build's setup.
setup_tree() {
  local tree=$1 out=$2 label=$3 setup
  if ! setup=$(python3 "$QUILO_ROOT/installer/make_setup.py" "$build/$tree" "$out"); then
    quilo_outcome "$label" "FAILED (${setup:-no setup program written})"
    return 1
  fi
  if [ "$tree" = win32 ] && [ "$QUILO_WIN32_READY" != 1 ]; then
    quilo_outcome "$label" "NOT RUN: $setup written and checked, not run: ${QUILO_WIN32_WHY:-no 32-bit programs here}"
    return 0
  fi
  quilo_log "$label: installing, opening links, upgrading and uninstalling under Wine"
  if ! "$QUILO_ROOT/installer/test-setup" "$build/$tree" "$setup"; then
    tail -n 60 "$build/$tree/setup-test/test.log" >&2
    quilo_outcome "$label" "FAILED (log: $build/$tree/setup-test/test.log)"
    return 1
  fi
  quilo_outcome "$label" "passed ($setup)"
}

setup_run() {
  quilo_test_selected setup "$@" || return 0
  local status=0
  setup_tree win64 "$build/win64/setup-twin" "setup (64-bit twin)" || status=1
  setup_tree win32 "$build/package-test" "setup" || status=1
  return $status
}
setup_run "$@"
