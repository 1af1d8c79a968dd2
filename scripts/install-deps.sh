#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the application need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6opengl6-dev
  libgl-dev libx11-dev libxkbcommon-dev
  fonts-arphic-ukai fonts-arphic-uming
  xvfb xauth sqlite3 libsqlite3-dev
  poppler-utils   # pdftotext reads the report PDFs back in the tests
  qt6-translations-l10n   # Qt's own dialogs (file chooser, print) in Traditional Chinese
  libxlsxwriter-dev   # the reports written as workbooks
  unzip   # the tests read the report workbooks back
  postgresql libqt6sql6-psql   # the shared server database; the suite runs a throwaway one
  libpq-dev   # the bench counts the statements a server connection sends
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! $SUDO apt-get install -y --no-install-recommends "${missing[@]}"; then
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
