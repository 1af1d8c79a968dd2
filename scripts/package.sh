#!/usr/bin/env bash
# Builds and makes the Debian package velq8_<version>_<architecture>.deb in build/
# (or $VELQ8_BUILD_DIR), then checks it: its files, owners, modes, control fields
# and dependencies (tests/packaging/tst_package on the package itself).
# Install it with: sudo apt-get install ./build/velq8_*.deb
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VELQ8_BUILD_DIR:-$here/build}

# dpkg-shlibdeps (dpkg-dev) names the libraries the programs link.
if ! dpkg-query -W -f='${Status}' dpkg-dev 2>/dev/null | grep -q 'install ok installed'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get install -y --no-install-recommends dpkg-dev ||
    { $SUDO apt-get update && $SUDO apt-get install -y --no-install-recommends dpkg-dev; }
fi

bash "$here/scripts/build.sh"
# The version CMake's project() gives, as CPack was configured with it.
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$build/velq8_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd "$build" && cpack --config CPackConfig.cmake)
[ -f "$deb" ] || { echo "package.sh: cpack made no $deb" >&2; exit 1; }

VELQ8_DEB="$deb" ctest --test-dir "$build" -R '^tst_package$' --output-on-failure
echo "$deb"
