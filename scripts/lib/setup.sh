# Sourced by scripts/run and scripts/test: installs what the build, the tests and the demo need
# (only when something is missing), then configures and builds in parallel.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${ORBEX_BUILD_DIR:-$ROOT/build}"
ASAN_BUILD="${ORBEX_ASAN_BUILD_DIR:-$ROOT/build-asan}"

PACKAGES=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
  libgl-dev
  libshp-dev shapelib
  libxlsxwriter-dev libminizip-dev libexpat1-dev libxxhash-dev unzip
  libxml2-utils python3
  hamradio-files
  valgrind  # the local-socket tests run under memcheck too: Qt's own reads escape the sanitizer
  fonts-ipafont-gothic  # the windows' font: their layouts are drawn for its widths (tests measure them)
  # The journey test: a virtual display, a window manager, the accessibility bus, keys and screenshots.
  xvfb openbox xdotool imagemagick dbus-daemon at-spi2-core python3-pyatspi
)

orbex_install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

orbex_build() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$BUILD" --parallel "$(nproc)"
}

# The tests' second build: AddressSanitizer and UBSan, lightly optimised, without the benches.
orbex_build_sanitized() {
  cmake -S "$ROOT" -B "$ASAN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORBEX_SANITIZE=ON \
    -DORBEX_BENCHES=OFF >/dev/null
  cmake --build "$ASAN_BUILD" --parallel "$(nproc)"
}

# A program folder and a HAMLOG folder holding the sample log, with the settings of an operator whose
# set-up is complete (ASCII only, CR LF as the program writes). Used by scripts/run and the journey test.
orbex_prepare_demo() {
  local home="$1" hamlog="$2" tool="${3:-$BUILD/tools/hamlogdb}"
  rm -rf "$hamlog"
  mkdir -p "$home"
  cp -rn "$ROOT"/data/home/. "$home"/
  "$tool" create "$hamlog"
  "$tool" master "$hamlog" "$ROOT/data/master.csv" "$ROOT/data/dx_prefixes.csv"
  "$tool" import "$hamlog" "$ROOT/data/sample_log.csv"
  printf '%s\r\n' \
    "[ORB]" \
    "MYCALL=JA1ORB" \
    "HAMLOGexePOS=$hamlog/Hamlogw.exe" \
    "HAMLOGPOS=$hamlog/HAMLOG.HDB" \
    "DataFol=$home/GeneData/" \
    "MODEC=3" \
    "MODE1=CW" \
    "MODE2=SSB" \
    "MODE3=FM" \
    "[LASTCONDX]" \
    "QSL1=P" "QSL2=" "QSL3=" "QSL4=" "QSL5=" \
    "SELMODE=MIX" \
    "STARTdate=19520729" >"$home/ORBEX5.INI"
}
