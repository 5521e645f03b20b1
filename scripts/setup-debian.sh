#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Veltrano助手 needs.
# Idempotent: packages already present are skipped; safe to run as root on a fresh machine.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git clang-format clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-multimedia-dev qt6-webengine-dev qt6-charts-dev
  libqt6svg6 libqt6multimedia6 qt6-qpa-plugins gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libsqlcipher-dev sqlcipher libcpp-httplib-dev libboost1.81-dev nlohmann-json3-dev libssl-dev libpq-dev libsqlite3-dev
  postgresql nginx libbenchmark-dev python3-yaswfp
  fonts-noto-cjk xvfb xauth x11-utils xdotool imagemagick espeak-ng sox curl procps
  openbox trayer
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# npm may come with another Node.js package than Debian's, whose npm would conflict with it.
command -v npm >/dev/null || missing+=(npm)

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Flash player of the classroom comes from the npm registry.
bash "$(dirname "$0")/setup-ruffle.sh"
