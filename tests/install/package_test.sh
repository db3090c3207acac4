#!/usr/bin/env bash
# Makes the Debian package with CPack and checks its control fields and contents.
#   package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "package_test: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
arch=$(dpkg --print-architecture)
deb=$out/velomir_${version}_${arch}.deb
[ -s "$deb" ] || fail "no $(basename "$deb"): $(ls "$out")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velomir ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is $(field Architecture)"
[ "$(field Section)" = sound ] || fail "Section is $(field Section)"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^\>]+\>$ ]] || fail "Maintainer is '$(field Maintainer)'"
[ -n "$(field Description)" ] || fail "no Description"
# Depends come from the binaries' libraries, so they name what the programs link.
for library in libqt6widgets6 libqt6multimedia6 libcurl4 libpcre2-8-0 zlib1g libc6; do
    grep -q "$library" <<<"$(field Depends)" || fail "Depends lacks $library: $(field Depends)"
done
for recommended in gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly fonts-wqy-microhei; do
    grep -q "$recommended" <<<"$(field Recommends)" || fail "Recommends lacks $recommended"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/velomir ./usr/bin/velomir-cli ./usr/share/applications/org.velomir.Velomir.desktop \
            ./usr/share/metainfo/org.velomir.Velomir.metainfo.xml ./usr/share/man/man1/velomir-cli.1 \
            ./usr/share/man/man1/velomir.1 ./usr/share/doc/velomir/README.md ./usr/share/doc/velomir/LICENSE \
            ./usr/share/icons/hicolor/256x256/apps/org.velomir.Velomir.png; do
    grep -qx -- "$file" <<<"$contents" || fail "the package lacks $file"
done
! grep -q -- "^./usr/local\|/build" <<<"$contents" || fail "the package holds files of the build machine"
echo "package_test: $(basename "$deb") checked"
