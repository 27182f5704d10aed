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
  libsqlite3-dev python3-prometheus-client
  curl
  xvfb openbox xdotool
  poppler-utils
  chromium
  clang-format
  help2man desktop-file-utils appstream shared-mime-info dpkg-dev file man-db
)

exec bash "$(dirname "$0")/install-missing-packages.sh" install-deps "${packages[@]}"
