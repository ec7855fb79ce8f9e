# Sourced by scripts/test: fuzzes the settings document reader and writer natively for
# QUILO_PROFILE_FUZZ_SECONDS (default: QUILO_STAT_FUZZ_SECONDS, else 30), starting from the seed corpus in
# framework/fuzz/corpus, then for a third of that time on documents near the size bound (1 MiB), seeded
# with ones made here. It counts as the test "profile_fuzz": a -R filter that does not match it skips it.
if quilo_test_selected profile_fuzz "$@"; then
  profile_seconds=${QUILO_PROFILE_FUZZ_SECONDS:-${QUILO_STAT_FUZZ_SECONDS:-30}}
  quilo_fuzz profile_fuzz "$profile_seconds" 8192 \
    "$QUILO_ROOT/framework/fuzz/corpus" "$QUILO_ROOT"/framework/fuzz/ProfileTextFuzz.cpp \
    "$QUILO_ROOT"/framework/ProfileText.cpp
  large=$build/profile-fuzz-large-seeds
  mkdir -p "$large"
  # Names, a value and another section on the first lines (split by \x01), then the document.
  python3 - "$large" <<'PY'
import sys
head = b'Main\x01Key\x01value\x01Other\x01'
lines = b''.join(b'a line without an equals sign %d\r\n' % n for n in range(30000))
keys = b'[Main]\r\n' + b''.join(b'Key%d=value %d\r\n' % (n, n) for n in range(50000))
open(sys.argv[1] + '/no-equals', 'wb').write(head + b'[Main]\r\n' + lines[:1000000])
open(sys.argv[1] + '/keys', 'wb').write(head + keys[:1000000])
PY
  quilo_fuzz profile_fuzz_large $((profile_seconds / 3 + 1)) 1048576 "$large" \
    "$QUILO_ROOT"/framework/fuzz/ProfileTextFuzz.cpp "$QUILO_ROOT"/framework/ProfileText.cpp
fi
