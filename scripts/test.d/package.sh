# Sourced by scripts/test: writes the release zip from the 32-bit build that scripts/test has just made
# (into $build/package-test, so that it never stands in for one that scripts/package wrote) and checks
# its contents. It counts as the test "package": a -R filter that does not match it skips it.
package_run() {
  quilo_test_selected package "$@" || return 0
  local zip
  if ! zip=$(python3 "$QUILO_ROOT/scripts/package.py" write "$build/win32" "$build/package-test") ||
      ! python3 "$QUILO_ROOT/scripts/package.py" check "$build/win32" "$zip"; then
    quilo_outcome package "FAILED (${zip:-no zip written})"
    return 1
  fi
  quilo_outcome package "passed ($zip)"
}
package_run "$@"
