# Sourced by scripts/test: writes the release zip from the 32-bit build that scripts/test has just made
# (into $build/package-test, so that it never stands in for one that scripts/package wrote), checks its
# contents and, where 32-bit programs run, unpacks it and runs it in a fresh Wine prefix: the player as a
# user starts it, and a host built from its Stat.h against its Stat.dll. A zip of the 64-bit twin (never
# shipped) is run the same way, so that the run is proven on every machine. It counts as the test
# "package": a -R filter that does not match it skips it.

# package_unpacked ZIP OUT LABEL BITS [LOCALE]: runs an unpacked zip in a fresh prefix of its own; with a
# locale, the player alone under that system code page, from a folder code page 936 cannot spell.
package_unpacked() {
  local zip=$1 out=$2 label=$3 locale=${5:-}
  local prefix=$out/wineprefix${locale:+-${locale%%.*}} run=$out/run${locale:+-${locale%%.*}}
  quilo_wine_bits "$4"
  rm -rf "$prefix"
  QUILO_LC_ALL=$locale quilo_prefix "$prefix"
  QUILO_PREFIXES+=("$prefix")
  python3 "$QUILO_ROOT/tests/package/run_zip.py" "$zip" "$run" $locale
  local ran=$?
  quilo_prefix_drop "$prefix"
  case $ran in
    0) [ -n "$locale" ] && { quilo_outcome "$label" "passed: the unpacked zip's player skinned and titled ($zip)"; return; }
       quilo_outcome "$label" "passed: contents, and the unpacked zip run under Wine ($zip)" ;;
    3) quilo_outcome "$label" "contents passed; NOT RUN unpacked: giving the maker's host names loopback addresses takes root" ;;
    *) quilo_outcome "$label" "FAILED running the unpacked zip (log: $run/wine.log)"; return 1 ;;
  esac
}

package_run() {
  quilo_test_selected package "$@" || return 0
  local zip twin status=0 out=$build/package-test
  if ! twin=$(python3 "$QUILO_ROOT/scripts/package.py" write "$build/win64" "$build/win64/package-twin"); then
    quilo_outcome "package (64-bit twin)" "FAILED (no zip written)"
    status=1
  else
    package_unpacked "$twin" "$build/win64/package-twin" "package (64-bit twin)" 64 || status=1
  fi
  if ! zip=$(python3 "$QUILO_ROOT/scripts/package.py" write "$build/win32" "$out") ||
      ! python3 "$QUILO_ROOT/scripts/package.py" check "$build/win32" "$zip"; then
    quilo_outcome package "FAILED (${zip:-no zip written})"
    return 1
  fi
  if [ "$QUILO_WIN32_READY" != 1 ]; then
    quilo_outcome package "contents passed; NOT RUN under 32-bit Wine: ${QUILO_WIN32_WHY:-32-bit programs do not run here}"
    return $status
  fi
  package_unpacked "$zip" "$out" package 32 || status=1
  # What a user of an English, Japanese or UTF-8 Windows gets.
  local page
  for page in 1252:en_US.UTF-8 932:ja_JP.UTF-8 65001:hi_IN.UTF-8; do
    package_unpacked "$zip" "$out" "package, code page ${page%%:*}" 32 "${page#*:}" || status=1
  done
  export LC_ALL=${QUILO_LC_ALL:-zh_CN.UTF-8}
  quilo_wine_bits 64
  return $status
}
package_run "$@"
