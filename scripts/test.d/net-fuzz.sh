# Sourced by scripts/test: fuzzes the readers of what servers send natively for QUILO_NET_FUZZ_SECONDS each
# (default: QUILO_STAT_FUZZ_SECONDS, else 30), from the seed corpora beside them: the response header
# reader with its queries (header_fuzz), the download's length, status and body handling (download_fuzz)
# and the client configuration fields (config_fuzz). Each counts as a test of that name for -R filters.
net_fuzz_run() {
  local seconds=${QUILO_NET_FUZZ_SECONDS:-${QUILO_STAT_FUZZ_SECONDS:-30}} result=0
  if quilo_test_selected header_fuzz "$@"; then
    quilo_fuzz header_fuzz "$seconds" 4096 "$QUILO_ROOT/net/fuzz/header-corpus" \
      "$QUILO_ROOT"/net/fuzz/HeaderFuzz.cpp "$QUILO_ROOT"/net/ResponseHeader.cpp || result=1
  fi
  if quilo_test_selected download_fuzz "$@"; then
    quilo_fuzz download_fuzz "$seconds" 4096 "$QUILO_ROOT/net/fuzz/download-corpus" \
      "$QUILO_ROOT"/net/fuzz/DownloadFuzz.cpp "$QUILO_ROOT"/net/ResponseHeader.cpp \
      "$QUILO_ROOT"/net/DownloadResponse.cpp "$QUILO_ROOT"/net/ChunkedBody.cpp || result=1
  fi
  if quilo_test_selected config_fuzz "$@"; then
    quilo_fuzz config_fuzz "$seconds" 4096 "$QUILO_ROOT/player/fuzz/corpus" \
      "$QUILO_ROOT"/player/fuzz/ConfigFuzz.cpp "$QUILO_ROOT"/player/ConfigFields.cpp || result=1
  fi
  return $result
}
net_fuzz_run "$@"
