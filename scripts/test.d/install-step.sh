# Sourced by scripts/test: the install step against stand-in package tools (tests/scripts/install_step.sh),
# with no network. It counts as the test "install_step": a -R filter that does not match it skips it.
if quilo_test_selected install_step "$@"; then
  if install_out=$("$QUILO_ROOT/tests/scripts/install_step.sh" 2>&1); then
    quilo_outcome install_step "$(tail -n 1 <<<"$install_out")"
  else
    printf '%s\n' "$install_out" >&2
    quilo_outcome install_step "FAILED ($(tail -n 1 <<<"$install_out"))"
    false
  fi
fi
