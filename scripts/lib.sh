# Shared by the project's scripts: package installation, the Wine prefix, Xvfb and the wineserver.
# Source it; it sets QUILO_ROOT.

QUILO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUILO_PACKAGES=(
  cmake ninja-build
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix gcc-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix
  mingw-w64-i686-dev mingw-w64-x86-64-dev binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  googletest clang-14 libclang-rt-14-dev
  nginx-light wine wine64 xvfb xauth x11-utils xdotool imagemagick fonts-wqy-zenhei fonts-arphic-ukai locales python3 zip unzip nsis
)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

quilo_log() { printf '== %s\n' "$*" >&2; }

# quilo_wine_bits 64|32: which Wine "wine" (and Wine's tools) start. 64, the default: the 64-bit loader
# straight away (scripts/wine64), which runs wherever the machine runs 64-bit code. 32: Debian's launcher,
# whose 32-bit loader the 32-bit build needs (only after quilo_win32_check said yes).
QUILO_BASE_PATH=${QUILO_BASE_PATH:-$PATH}
quilo_wine_bits() {
  if [ "$1" = 32 ]; then
    PATH=$QUILO_BASE_PATH
  else
    PATH=$QUILO_ROOT/scripts/wine64:$QUILO_BASE_PATH
  fi
  export PATH
}
quilo_wine_bits 64

# quilo_tree_bits BUILD_DIR: 32 or 64, the build's word size.
quilo_tree_bits() {
  if grep -q '^CMAKE_TOOLCHAIN_FILE:FILEPATH=.*x86_64' "$1/CMakeCache.txt" 2>/dev/null; then
    echo 64
  else
    echo 32
  fi
}

# quilo_outcome NAME TEXT: notes how one part of a run ended, for the summary that ends it.
QUILO_OUTCOMES=()
quilo_outcome() { QUILO_OUTCOMES+=("$(printf '%-36s %s' "$1:" "$2")"); }

# quilo_test_selected NAME [CTEST ARGS...]: whether a -R filter among the arguments (if any) takes NAME.
quilo_test_selected() {
  local name=$1 regex= arg prev=
  shift
  for arg in "$@"; do
    case "$prev" in -R|--tests-regex) regex=$arg ;; esac
    case "$arg" in -R?*) regex=${arg#-R} ;; --tests-regex=*) regex=${arg#*=} ;; esac
    prev=$arg
  done
  [ -z "$regex" ] || [[ $name =~ $regex ]]
}

# quilo_fuzz NAME SECONDS MAX_LEN CORPUS SOURCE...: builds a native libFuzzer target (with AddressSanitizer and
# UndefinedBehaviorSanitizer) from the sources into $build/NAME and runs it from the seed corpus for SECONDS.
quilo_fuzz() {
  local name=$1 seconds=$2 max_len=$3 corpus=$4
  shift 4
  local dir=$build/${name//_/-}
  mkdir -p "$dir/corpus" || return 1
  quilo_log "$name: building"
  if ! clang++-14 -std=c++17 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
      -I"$QUILO_ROOT" "$@" -o "$dir/$name"; then
    quilo_outcome "$name" "FAILED (does not build)"
    return 1
  fi
  cp "$corpus"/* "$dir/corpus/" || return 1
  quilo_log "$name: fuzzing for ${seconds}s"
  if ! "$dir/$name" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 \
      -artifact_prefix="$dir/" "$dir/corpus" >"$dir/fuzz.log" 2>&1; then
    tail -n 40 "$dir/fuzz.log" >&2
    quilo_log "$name: FAILED (log: $dir/fuzz.log)"
    quilo_outcome "$name" "FAILED (log: $dir/fuzz.log)"
    return 1
  fi
  local runs
  runs=$(grep -E '^stat::number_of_executed_units' "$dir/fuzz.log" | awk '{print $2}')
  quilo_log "$name: passed, $runs runs in ${seconds}s"
  quilo_outcome "$name" "passed, $runs runs in ${seconds}s"
}

# 32-bit Wine beside the 64-bit one (Debian multiarch): what runs the shipped 32-bit build.
QUILO_PACKAGES_I386=(libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxxf86vm1 libxfixes3)

quilo_missing() {
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || printf '%s\n' "$pkg"
  done
}

# quilo_apt_update: fetches the package lists once per run. A mirror caught mid-sync answers a list of the wrong
# size for a while, so a failed fetch is tried again a few times, a short pause apart
# (QUILO_APT_UPDATE_TRIES, QUILO_APT_UPDATE_PAUSE); what still fails is named in one line. Whatever the lists
# could not bring, the install after it judges.
QUILO_APT_UPDATED=0
QUILO_APT_UPDATE_WHY=
quilo_apt_update() {
  [ "$QUILO_APT_UPDATED" = 0 ] || return 0
  QUILO_APT_UPDATED=1
  QUILO_APT_UPDATE_WHY=
  local sudo= try tries=${QUILO_APT_UPDATE_TRIES:-3} errors
  [ "$(id -u)" = 0 ] || sudo=sudo
  for try in $(seq "$tries"); do
    errors=$($sudo apt-get update -q 2>&1 >/dev/null) && return 0
    [ "$try" = "$tries" ] || sleep "${QUILO_APT_UPDATE_PAUSE:-10}"
  done
  errors=$(printf '%s\n' "$errors" | sed -n 's/ *\[IP: [^]]*\]$//; s/^E: Failed to fetch \([^ ]*\) *\(.*\)$/\1 (\2)/p' |
    paste -sd ';' -)
  QUILO_APT_UPDATE_WHY="package lists not fetched: ${errors:-see apt-get update}"
  quilo_log "apt-get update still fails after $tries tries: ${errors:-see apt-get update}"
  return 1
}

QUILO_POLICY_RC=${QUILO_POLICY_RC:-/usr/sbin/policy-rc.d}

# quilo_apt_install PACKAGE...: installs the packages (nothing when none given); QUILO_APT_WHY holds apt's
# own last error line when it fails.
quilo_apt_install() {
  [ $# -gt 0 ] || return 0
  local sudo= errors
  [ "$(id -u)" = 0 ] || sudo=sudo
  quilo_log "installing $*"
  quilo_apt_update
  QUILO_APT_WHY=
  # No service of a package starts on installation (nginx would take port 80 from the tests); where the
  # machine has no such policy of its own, one stands for the install.
  local policy=
  if [ ! -e "$QUILO_POLICY_RC" ]; then
    policy=$QUILO_POLICY_RC
    printf '#!/bin/sh\nexit 101\n' | $sudo tee $policy >/dev/null && $sudo chmod 755 $policy
  fi
  errors=$(DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@" 2>&1 >/dev/null)
  local status=$?
  [ -z "$policy" ] || $sudo rm -f "$policy"
  [ $status != 0 ] || return 0
  printf '%s\n' "$errors" >&2
  QUILO_APT_WHY=$(printf '%s\n' "$errors" | grep '^E: ' | tail -n 1 | sed 's/^E: //')
  QUILO_APT_WHY=${QUILO_APT_WHY:-apt-get install failed}
  return 1
}

# osslsigncode 2.9, which signs the release and verifies it (scripts/sign), comes from bookworm-backports:
# that suite joins the package sources once, and only osslsigncode is taken from it.
quilo_install_signer() {
  [ -n "$(quilo_missing osslsigncode)" ] || return 0
  local sudo=
  [ "$(id -u)" = 0 ] || sudo=sudo
  if ! grep -qsE '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
      /etc/apt/sources.list.d/*.sources; then
    printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm-backports' 'Components: main' \
      'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
      $sudo tee /etc/apt/sources.list.d/quilo-bookworm-backports.sources >/dev/null || return 1
    QUILO_APT_UPDATED=0
  fi
  quilo_apt_install -t bookworm-backports osslsigncode
}

# Installs the Debian packages that are missing (as root, or through sudo).
quilo_install_deps() {
  local sudo=
  [ "$(id -u)" = 0 ] || sudo=sudo
  local missing
  mapfile -t missing < <(quilo_missing "${QUILO_PACKAGES[@]}")
  quilo_apt_install "${missing[@]}" || return 1
  # wine32 must be exactly the version of the installed wine64 and libwine.
  local version
  version=$(dpkg-query -W -f='${Version}' wine64) || return 1
  mapfile -t missing < <(quilo_missing "${QUILO_PACKAGES_I386[@]/%/:i386}")
  [ "$(dpkg-query -W -f='${Status} ${Version}' wine32:i386 2>/dev/null)" = "install ok installed $version" ] ||
    missing+=("wine32:i386=$version")
  # Without them the 64-bit build still runs everywhere: a failure here makes the 32-bit suites "NOT RUN"
  # (quilo_win32_check), and the next run tries again.
  QUILO_WIN32_INSTALL_WHY=
  if [ ${#missing[@]} -gt 0 ]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      $sudo dpkg --add-architecture i386
      QUILO_APT_UPDATED=0
    fi
    if ! quilo_apt_install "${missing[@]}"; then
      QUILO_WIN32_INSTALL_WHY="32-bit Wine could not be installed (${QUILO_APT_WHY}${QUILO_APT_UPDATE_WHY:+; $QUILO_APT_UPDATE_WHY})"
      quilo_log "$QUILO_WIN32_INSTALL_WHY; the 32-bit build will not run here"
    fi
  fi
  quilo_install_signer || return 1
  # Wine takes the system code page from the locale (zh_CN 936, en_US 1252, ja_JP 932, ko_KR 949, hi_IN the
  # UTF-8 code page 65001), and reads Unix file names in it only when the locale is generated.
  local loc generate=0
  for loc in "${QUILO_LOCALES[@]}"; do
    locale -a 2>/dev/null | grep -qix "${loc%.UTF-8}.utf-\?8" && continue
    $sudo sed -i "s/^# *\($loc UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$loc UTF-8" /etc/locale.gen || echo "$loc UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    generate=1
  done
  [ $generate = 0 ] || $sudo locale-gen >/dev/null 2>&1 || true
}
QUILO_LOCALES=(zh_CN.UTF-8 en_US.UTF-8 ja_JP.UTF-8 ko_KR.UTF-8 hi_IN.UTF-8)

# quilo_build PRESET [BUILD_DIR [TARGET...]]: configures once and builds (only the targets, when given).
quilo_build() {
  local preset=$1 dir=${2:-$QUILO_ROOT/build/$1}
  shift $(($# < 2 ? $# : 2))
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$QUILO_ROOT" --preset "$preset" -B "$dir" >/dev/null || return 1
  fi
  cmake --build "$dir" ${1:+--target "$@"} || return 1
}

# quilo_prefix PREFIX: creates the Wine prefix once, without dialogs or downloads, and exports WINEPREFIX.
# A prefix made after 32-bit Wine was installed runs 32-bit and 64-bit programs side by side.
# QUILO_LC_ALL (default zh_CN.UTF-8, code page 936) is the locale its server and programs run with.
quilo_prefix() {
  export WINEPREFIX=$1
  export LC_ALL=${QUILO_LC_ALL:-zh_CN.UTF-8}
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    quilo_log "preparing Wine prefix $WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    WINEARCH=win64 wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  if [ ! -f "$WINEPREFIX/.quilo-settings-1" ]; then
    # A crashing program must end, not wait for someone to close the crash dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # Without a window manager Wine draws captions and frames itself, and minimises windows as Windows does.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    timeout 30 wineserver -w
    touch "$WINEPREFIX/.quilo-settings-1"
  fi
  if [ -n "${QUILO_DPI:-}" ] && [ ! -f "$WINEPREFIX/.quilo-settings-dpi" ]; then
    # The display scale: Wine reads it when a process starts (96 is 100 %).
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$QUILO_DPI" /f </dev/null >/dev/null 2>&1
    timeout 30 wineserver -w
    touch "$WINEPREFIX/.quilo-settings-dpi"
  fi
  if [ ! -f "$WINEPREFIX/.quilo-settings-kaiti" ]; then
    # The skinned caption asks for "楷体", the Kai font of a Chinese Windows: AR PL UKai stands in for it.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '楷体' /d 'AR PL UKai CN' /f </dev/null >/dev/null 2>&1
    timeout 30 wineserver -w
    touch "$WINEPREFIX/.quilo-settings-kaiti"
  fi
}

# quilo_win32_check: whether 32-bit Windows programs run in $WINEPREFIX (made by quilo_prefix, with no
# wineserver of its own running yet); QUILO_WIN32_WHY says why not. The kernel must execute i386 code
# itself: an emulator registered for i386 programs (qemu-user through binfmt_misc) runs Wine's 32-bit side
# only in part, so that counts as no. QUILO_WIN32=skip answers no at once, QUILO_WIN32=run takes an
# emulator too. A prefix made before 32-bit Wine was installed is brought up to date on the way.
quilo_win32_check() {
  local saved=$PATH status
  quilo_wine_bits 32
  quilo_win32_check_with_launcher
  status=$?
  PATH=$saved
  return $status
}

quilo_win32_check_with_launcher() {
  QUILO_WIN32_WHY=
  case "${QUILO_WIN32:-auto}" in
    skip) QUILO_WIN32_WHY="QUILO_WIN32=skip"; return 1 ;;
  esac
  if [ -n "${QUILO_WIN32_INSTALL_WHY:-}" ]; then
    QUILO_WIN32_WHY=$QUILO_WIN32_INSTALL_WHY
    return 1
  fi
  case "${QUILO_WIN32:-auto}" in
    run) ;;
    *)
      local handler
      for handler in /proc/sys/fs/binfmt_misc/*; do
        if grep -qx enabled "$handler" 2>/dev/null && grep -q '^magic 7f454c4601[0-9a-f]*0300$' "$handler"; then
          QUILO_WIN32_WHY="i386 programs run here only through an emulator ($(sed -n 's/^interpreter //p' "$handler"))"
          return 1
        fi
      done
      if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        QUILO_WIN32_WHY="this machine's kernel does not execute 32-bit (i386) code"
        return 1
      fi ;;
  esac
  quilo_win32_probe && return 0
  quilo_log "bringing $WINEPREFIX up to date for 32-bit programs"
  rm -f "$WINEPREFIX/.update-timestamp"
  wineboot -u >/dev/null 2>&1
  timeout 120 wineserver -w
  quilo_win32_probe && return 0
  QUILO_WIN32_WHY="32-bit Wine does not start a 32-bit program in $WINEPREFIX"
  return 1
}

# Runs a 32-bit program of Wine's own; only a program that ran gives back its exit code.
quilo_win32_probe() {
  wine 'C:\windows\syswow64\cmd.exe' /c exit 7 </dev/null >/dev/null 2>&1
  [ $? = 7 ]
}

# quilo_xvfb: starts a private X display and exports DISPLAY; QUILO_XVFB_PID is its process.
quilo_xvfb() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    QUILO_XVFB_PID=$!
    local i
    for i in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$QUILO_XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  return 1
}

# quilo_session_start: the displays of a whole run; quilo_wine_start keeps a prefix's wineserver running.
# DISPLAY (and QUILO_SCREEN_DISPLAY) is the screen, for programs that drive it with real input; the test
# programs that don't run on QUILO_BACKGROUND_DISPLAY, where no window of theirs can take the screen's keyboard
# focus or cover a window under test (scripts/wine-exec).
quilo_session_start() {
  QUILO_PREFIXES=()
  QUILO_XVFB_PIDS=()
  quilo_xvfb || { quilo_log "Xvfb did not start"; return 1; }
  QUILO_XVFB_PIDS+=("$QUILO_XVFB_PID")
  trap quilo_session_stop EXIT
  export QUILO_SCREEN_DISPLAY=$DISPLAY
  quilo_xvfb || { quilo_log "Xvfb did not start"; return 1; }
  QUILO_XVFB_PIDS+=("$QUILO_XVFB_PID")
  export QUILO_BACKGROUND_DISPLAY=$DISPLAY DISPLAY=$QUILO_SCREEN_DISPLAY
}

# quilo_wine_start PREFIX: prepares the prefix and keeps its wineserver running until the session ends.
quilo_wine_start() {
  quilo_prefix "$1"
  wineserver -p </dev/null >/dev/null 2>&1
  quilo_wine_services
  QUILO_PREFIXES+=("$1")
}

# Starts Wine's own services, detached from the output of whatever runs later (a test runner waits for every
# holder of its pipes; scripts/wine-exec keeps the desktop process, which Wine starts again later, off them).
quilo_wine_services() {
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

# quilo_prefix_drop PREFIX: ends the prefix's server and removes the prefix, unless QUILO_KEEP_PREFIXES=1.
# A prefix takes over a gigabyte (Wine copies its DLLs into it): a full run keeps only the prefixes that
# targeted runs reuse, so that it fits a machine with little free disk.
quilo_prefix_drop() {
  WINEPREFIX=$1 wineserver -k 2>/dev/null
  WINEPREFIX=$1 timeout 30 wineserver -w 2>/dev/null
  local kept=() prefix
  for prefix in ${QUILO_PREFIXES[@]+"${QUILO_PREFIXES[@]}"}; do
    [ "$prefix" = "$1" ] || kept+=("$prefix")
  done
  QUILO_PREFIXES=(${kept[@]+"${kept[@]}"})
  [ "${QUILO_KEEP_PREFIXES:-0}" = 1 ] || rm -rf "$1"
}

# quilo_disk_check DIR GB: says so when DIR's disk has less than GB gigabytes free.
quilo_disk_check() {
  local free
  free=$(df -Pk "$1" 2>/dev/null | awk 'NR == 2 { print int($4 / 1048576) }')
  [ -z "$free" ] || [ "$free" -ge "$2" ] ||
    quilo_log "warning: $1 has ${free} GB free; a full run needs about $2 GB (Wine prefixes, both builds)"
}

quilo_session_stop() {
  local prefix
  for prefix in "${QUILO_PREFIXES[@]}"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null
  done
  QUILO_PREFIXES=()
  local pid
  for pid in "${QUILO_XVFB_PIDS[@]}"; do
    kill "$pid" 2>/dev/null
  done
  QUILO_XVFB_PIDS=()
  return 0
}
