# Sourced by scripts/bench: the settings reader natively (once, not per tree), at the largest document it
# reads, against a pass that only finds the line breaks of the same text.
if [ "$tree" = win64 ]; then
  clang++-14 -std=c++17 -O2 -I"$QUILO_ROOT" "$QUILO_ROOT"/tests/framework/ProfileTextBench.cpp \
    "$QUILO_ROOT"/framework/ProfileText.cpp -o "$build/profile_bench" && "$build/profile_bench"
fi
