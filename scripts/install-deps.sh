#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and `make run` need.
# Idempotent: does nothing when every package is already installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-svg-dev qt6-qpa-plugins
  libxslt1-dev libxml2-dev
  libgtest-dev libgmock-dev
  libcli11-dev nlohmann-json3-dev
  curl
  help2man desktop-file-utils appstream dpkg-dev file man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
