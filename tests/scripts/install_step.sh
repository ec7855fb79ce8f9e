#!/usr/bin/env bash
# The scripts' install step against stand-ins for apt-get, dpkg, dpkg-query and locale on PATH, with no
# network and nothing of the machine touched: a mirror caught mid-sync (a package list of the wrong size,
# then 32-bit Wine that cannot be installed) must leave the 64-bit side installed and the 32-bit build
# "NOT RUN" with apt's reason; a 64-bit package that fails must fail the step; a working mirror installs
# both sides. Prints "N passed, N failed"; exits non-zero on a failure.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/quilo-install-step.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"

# The stand-ins keep the machine's state in $work: installed packages (one a line), foreign architectures,
# and a journal of the apt-get calls. STANDIN_MIRROR says how the mirror behaves: ok, mid-sync or broken64.
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/sh
echo "apt-get $*" >>"$STANDIN_DIR/journal"
case "$1" in
  update)
    # Only the 32-bit lists are caught mid-sync.
    [ "$STANDIN_MIRROR" = mid-sync ] && grep -qx i386 "$STANDIN_DIR/architectures" || exit 0
    echo "E: Failed to fetch http://mirror.test/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
esac
for pkg; do
  case "$pkg" in -*) continue ;; esac
  case "$STANDIN_MIRROR:$pkg" in
    mid-sync:*:i386*) echo "E: Error, pkgProblemResolver::Resolve generated breaks, this may be caused by held packages." >&2; exit 100 ;;
    broken64:nginx-light) echo "E: Unable to locate package nginx-light" >&2; exit 100 ;;
  esac
done
for pkg; do
  case "$pkg" in -*) ;; *) echo "${pkg%%=*}" >>"$STANDIN_DIR/installed" ;; esac
done
EOF
cat >"$work/bin/dpkg-query" <<'EOF'
#!/bin/sh
eval "pkg=\${$#}"
grep -qx "$pkg" "$STANDIN_DIR/installed" || exit 1
case "$*" in
  *'${Status} ${Version}'*) printf 'install ok installed 8.0~repack-4' ;;
  *'${Status}'*) printf 'install ok installed' ;;
  *'${Version}'*) printf '8.0~repack-4' ;;
esac
EOF
cat >"$work/bin/dpkg" <<'EOF'
#!/bin/sh
case "$1" in
  --print-foreign-architectures) cat "$STANDIN_DIR/architectures" ;;
  --add-architecture) echo "$2" >>"$STANDIN_DIR/architectures" ;;
esac
EOF
cat >"$work/bin/locale" <<'EOF'
#!/bin/sh
printf '%s\n' zh_CN.utf8 en_US.utf8 ja_JP.utf8 ko_KR.utf8 hi_IN.utf8
EOF
chmod +x "$work/bin/"*

passed=0 failed=0
check() {
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED: %s\n  expected: %s\n  actual:   %s\n' "$1" "$3" "$2" >&2
  fi
}

# install MIRROR: a fresh machine state (64-bit Wine installed, nginx and the 32-bit side missing), then
# the install step in a shell of its own; prints its status, the reason the 32-bit build won't run, and
# what quilo_win32_check says.
install() {
  rm -f "$work/journal" "$work/architectures"
  touch "$work/architectures"
  (source "$root/scripts/lib.sh"
    printf '%s\n' "${QUILO_PACKAGES[@]}" osslsigncode | grep -vx 'nginx-light' >"$work/installed"
    export PATH=$work/bin:$PATH STANDIN_DIR=$work STANDIN_MIRROR=$1
    QUILO_APT_UPDATE_PAUSE=0 QUILO_POLICY_RC=$work/policy-rc.d quilo_install_deps 2>"$work/stderr"
    echo "status $?"
    echo "install: ${QUILO_WIN32_INSTALL_WHY:-none}"
    # Where the install worked, the check would go on to start Wine: not here.
    [ -z "${QUILO_WIN32_INSTALL_WHY:-}" ] || { QUILO_WIN32=auto quilo_win32_check || echo "check: $QUILO_WIN32_WHY"; })
}

out=$(install mid-sync)
check "mid-sync: the step succeeds" "$(sed -n 1p <<<"$out")" "status 0"
check "mid-sync: once for the 64-bit side, then three tries with the 32-bit lists" \
  "$(grep -c '^apt-get update' "$work/journal")" 4
check "mid-sync: the failing list is named" \
  "$(grep -c 'apt-get update still fails after 3 tries: http://mirror.test/.*binary-i386/Packages.xz (File has unexpected size' "$work/stderr")" 1
check "mid-sync: the 64-bit packages are installed" "$(grep -cx nginx-light "$work/installed")" 1
check "mid-sync: the 32-bit build does not run, with apt's reason" "$(sed -n 3p <<<"$out")" \
  "check: 32-bit Wine could not be installed (Error, pkgProblemResolver::Resolve generated breaks, this may be caused by held packages.; package lists not fetched: http://mirror.test/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz (File has unexpected size (374820 != 376004). Mirror sync in progress?))"
check "mid-sync: no service policy is left behind" "$(ls "$work/policy-rc.d" 2>/dev/null)" ""

out=$(install broken64)
check "a 64-bit package that fails fails the step" "$(sed -n 1p <<<"$out")" "status 1"

out=$(install ok)
check "ok: the step succeeds" "$(sed -n 1,2p <<<"$out" | paste -sd ' ')" "status 0 install: none"
check "ok: the lists again once the 32-bit side joins" "$(grep -c '^apt-get update' "$work/journal")" 2
check "ok: 32-bit Wine at the version of the 64-bit one" "$(grep -c 'install.* wine32:i386=8.0~repack-4' "$work/journal")" 1
check "ok: the i386 architecture is added" "$(cat "$work/architectures")" i386

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
