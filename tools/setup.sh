#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the benchmarks need; skips those
# already present. Run as root.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3 clang clang-format libclang-rt-14-dev
  libgtest-dev googletest liburing-dev
  g++-mingw-w64-x86-64 wine64 xvfb xauth imagemagick fonts-liberation
  pciutils pci.ids fio time
  libstb-dev libreoffice-writer-nogui poppler-utils fonts-dejavu-core
  libcairo2-dev libfontconfig-dev nlohmann-json3-dev python3-jsonschema
  msitools wixl zip unzip python3-markdown dpkg-dev man-db x11-utils xdotool
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: all packages present"
