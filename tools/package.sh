#!/usr/bin/env bash
# Builds the Debian package (build-package/velomir_VERSION_ARCH.deb) and, given a root folder, installs it into a
# Debian 12 root made there with debootstrap (made once, reused after) and runs velomir-cli in it.
#   tools/package.sh                 the package only
#   tools/package.sh /srv/bookworm   also install and run it in that root (as root; takes minutes the first time)
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh --no-build
cmake --preset package >/dev/null
cmake --build --preset package
(cd build-package && cpack)
deb=$(ls -t build-package/velomir_*.deb | head -1)
echo "package: $deb"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends

root=${1:-}
[ -n "$root" ] || exit 0
if [ ! -x "$root/usr/bin/apt-get" ]; then
    command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
    # The mirror this machine's own apt uses.
    mirror=$(cat /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null |
        grep -oE '^(URIs:|deb) +[a-z]+://[^ ]+' | grep -v security | head -1 | awk '{print $2}' || true)
    debootstrap --variant=minbase bookworm "$root" "$mirror"
fi
cp "$deb" "$root/tmp/"
inside() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }
inside apt-get update -qq
inside apt-get install -y --no-install-recommends "/tmp/$(basename "$deb")"
echo "== velomir-cli --version in $root"
inside velomir-cli --version
echo "== velomir-cli --help in $root"
inside velomir-cli --help
