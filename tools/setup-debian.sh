#!/bin/sh
# setup-debian.sh -- installs the Debian packages that building and playing need, if missing;
# with --tests also those the tests, benchmarks and packaging need.
set -eu
here=$(dirname "$0")
lists="$here/debian-packages-play.txt"
case "${1:-}" in
    --tests) lists="$lists $here/debian-packages.txt" ;;
    "") ;;
    *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac
packages=$(cat $lists | grep -v '^#' | tr -s ' \n' ' ')

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
