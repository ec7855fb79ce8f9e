# Sourced by scripts/test: signs a release with a throwaway code-signing certificate, as scripts/package does
# with a real one, into a folder of its own ($build/TREE/sign-test), and verifies every signature against
# that certificate: QuiloPlayer.exe and Stat.dll as the zip holds them, the setup, and the uninstaller that
# the setup installs (run silently in a fresh Wine prefix). The 32-bit release where 32-bit programs run;
# the 64-bit twin (never shipped) everywhere, so the installed uninstaller's signature is proven on every
# machine. It counts as the test "sign": a -R filter that does not match it skips it.

# sign_verify CERT FILE...: every file carries a signature that verifies against CERT alone.
sign_verify() {
  local cert=$1 file
  shift
  for file in "$@"; do
    if ! osslsigncode verify -CAfile "$cert" -in "$file" >"$file.verify" 2>&1; then
      tail -n 20 "$file.verify" >&2
      quilo_log "sign: $file does not verify (log: $file.verify)"
      return 1
    fi
  done
}

# sign_installed SETUP BITS DIR: installs SETUP silently into a prefix of its own; prints the folder.
sign_installed() (
  export HOME=$3/home WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
  mkdir -p "$HOME" || exit 1
  quilo_wine_bits "$2"
  quilo_prefix "$3/wineprefix"
  timeout 300 wine "$1" /S '/D=C:\QuiloSignTest' </dev/null >"$3/setup.log" 2>&1
  local status=$?
  timeout 60 wineserver -w
  WINEPREFIX=$3/wineprefix wineserver -k 2>/dev/null
  [ $status = 0 ] && echo "$3/wineprefix/drive_c/QuiloSignTest"
)

# sign_tree TREE BITS LABEL: a signed zip and setup of one build, and the check of every signature.
sign_tree() {
  local tree=$1 bits=$2 label=$3 out=$build/$1/sign-test zip setup installed
  rm -rf "$out"
  mkdir -p "$out/unzipped" || return 1
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=QuiloPlayer test signer" \
    -addext extendedKeyUsage=codeSigning -keyout "$out/key.pem" -out "$out/cert.pem" 2>/dev/null &&
    openssl pkcs12 -export -inkey "$out/key.pem" -in "$out/cert.pem" -out "$out/signer.pfx" \
      -passout pass:throwaway || { quilo_outcome "$label" "FAILED (no certificate made)"; return 1; }
  local sign=(env QUILO_SIGN_PFX="$out/signer.pfx" QUILO_SIGN_PASSWORD=throwaway QUILO_SIGN_TIMESTAMP=)
  if ! "${sign[@]}" "$QUILO_ROOT/scripts/sign" -stage "$build/$tree" "$out/signed" ||
      ! zip=$("${sign[@]}" python3 "$QUILO_ROOT/scripts/package.py" write "$build/$tree" "$out" "$out/signed") ||
      ! setup=$("${sign[@]}" python3 "$QUILO_ROOT/installer/make_setup.py" "$build/$tree" "$out" "$out/signed"); then
    quilo_outcome "$label" "FAILED (no signed zip or setup written)"
    return 1
  fi
  # The zip's check (binaries the build's but for the signature, import slots, the SDK) is for i386 only.
  if [ "$bits" = 32 ] && ! python3 "$QUILO_ROOT/scripts/package.py" check "$build/$tree" "$zip"; then
    quilo_outcome "$label" "FAILED (the signed zip does not pass its check)"
    return 1
  fi
  unzip -q -j "$zip" '*/QuiloPlayer.exe' '*/Stat/Stat.dll' -d "$out/unzipped" &&
    sign_verify "$out/cert.pem" "$out/unzipped/QuiloPlayer.exe" "$out/unzipped/Stat.dll" "$setup" ||
    { quilo_outcome "$label" "FAILED (a signature of the zip or the setup does not verify)"; return 1; }
  if [ "$bits" = 32 ] && [ "$QUILO_WIN32_READY" != 1 ]; then
    quilo_outcome "$label" "zip and setup verify; installed uninstaller NOT CHECKED: ${QUILO_WIN32_WHY:-no 32-bit programs here}"
    return 0
  fi
  if ! installed=$(sign_installed "$setup" "$bits" "$out") ||
      ! sign_verify "$out/cert.pem" "$installed/uninstall.exe" "$installed/QuiloPlayer.exe"; then
    quilo_outcome "$label" "FAILED (the installed uninstaller is missing or does not verify; log: $out/setup.log)"
    quilo_prefix_drop "$out/wineprefix"
    return 1
  fi
  quilo_prefix_drop "$out/wineprefix"
  quilo_outcome "$label" "passed: zip's QuiloPlayer.exe and Stat.dll, setup, installed uninstall.exe and QuiloPlayer.exe verify"
}

sign_run() {
  quilo_test_selected sign "$@" || return 0
  local status=0
  sign_tree win64 64 "sign (64-bit twin)" || status=1
  sign_tree win32 32 "sign" || status=1
  quilo_wine_bits 64
  return $status
}
sign_run "$@"
