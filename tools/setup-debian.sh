#!/bin/sh
# setup-debian.sh -- installs the Debian packages the build and the tests need, if missing.
set -eu
here=$(dirname "$0")
packages=$(grep -v '^#' "$here/debian-packages.txt" | tr -s ' \n' ' ')

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"
$as_root apt-get update
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends $missing
