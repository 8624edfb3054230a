# Shared by scripts/run and scripts/test: install what is missing, then configure and build.
set -euo pipefail

HX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
HX_PACKAGES=(cmake g++ make pkg-config
  qt6-base-dev qt6-declarative-dev qt6-multimedia-dev libgl1-mesa-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libgtest-dev libgmock-dev libbenchmark-dev
  libassimp-dev libtinygltf-dev
  clang libclang-rt-14-dev)

hx_install_missing() {
  local missing=()
  for p in "${HX_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Install them with:  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# hx_build DIR [cmake options...]; HX_BUILD_TARGET limits what is built.
hx_build() {
  local dir="$1"; shift
  cmake -S "$HX_ROOT" -B "$dir" "$@"
  cmake --build "$dir" --parallel "$(nproc)" ${HX_BUILD_TARGET:+--target "$HX_BUILD_TARGET"}
}

# hx_build_sanitized DIR [cmake options...]: everything built by clang with
# ASan and UBSan plus the fuzz targets. One build serves both the sanitized
# test run and the fuzzers; the test suites link no fuzzer main.
hx_build_sanitized() {
  local dir="$1"; shift
  CC=clang CXX=clang++ hx_build "$dir" -DCMAKE_BUILD_TYPE=Debug -DHX_FUZZ=ON "$@"
}
