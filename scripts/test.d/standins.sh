# Sourced by scripts/test: the stand-in controls take the place of the Flash player and the live plug-in
# in the test prefix.
"$QUILO_ROOT/scripts/register-standins" "$WINEPREFIX" "$build/win64/tests/standins/QuiloStandins.dll"
