#!/usr/bin/env bash
# Installs into a staging folder as a package does (DESTDIR, prefix /usr) and checks what a desktop and a user
# find there: programs, desktop entry, icons, metainfo, manual pages, documents, and where settings go.
#   install_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
stage=$(mktemp -d)
trap 'chmod -R u+w "$stage"; rm -rf "$stage"' EXIT
chmod 755 "$stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
root=$stage/usr
id=org.velomir.Velomir

fail() { echo "install_test: $*" >&2; exit 1; }
for file in bin/velomir bin/velomir-cli share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
            share/man/man1/velomir.1 share/man/man1/velomir-cli.1 share/doc/velomir/README.md \
            share/doc/velomir/LICENSE; do
    [ -s "$root/$file" ] || fail "missing $file"
done
for side in 16 24 32 48 64 128 256; do
    icon=$root/share/icons/hicolor/${side}x${side}/apps/$id.png
    [ -s "$icon" ] || fail "missing the ${side} px icon"
    file "$icon" | grep -q "PNG image data, $side x $side" || fail "the ${side} px icon is $(file -b "$icon")"
done

desktop-file-validate "$root/share/applications/$id.desktop"
grep -qx "Exec=velomir" "$root/share/applications/$id.desktop" || fail "Exec is not the installed program"
grep -qx "Icon=$id" "$root/share/applications/$id.desktop" || fail "Icon is not the installed icon"
appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" >/dev/null
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo launches no desktop entry of ours"
grep -q "<release version=\"$version\"" "$root/share/metainfo/$id.metainfo.xml" || fail "no release $version"

for page in velomir velomir-cli; do
    text=$(MANWIDTH=100 man -P cat -l "$root/share/man/man1/$page.1" 2>&1)
    grep -q "^NAME" <<<"$text" || fail "$page(1) does not render: $text"
    grep -qi "$page - " <<<"$text" || fail "$page(1) names another program"
done
grep -q -- "--resolve" <<<"$(man -P cat -l "$root/share/man/man1/velomir-cli.1")" || fail "velomir-cli(1) lacks options"

[ "$("$root/bin/velomir-cli" --version)" = "velomir-cli $version" ] || fail "wrong version"

# An ordinary user cannot write the program's folder: the settings go to $XDG_CONFIG_HOME/velomir/. Every
# connection goes to a closed loopback port, so the first start's about window reaches nothing outside.
config=$stage/config
mkdir -p "$config"
chmod 555 "$root/bin"
run=()
if [ "$(id -u)" = 0 ]; then
    chown nobody:nogroup "$config"
    run=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
env -i PATH=/usr/bin:/bin HOME="$config" XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$config" \
    QT_QPA_PLATFORM=offscreen VELOMIR_SERVICE_ADDRESS=127.0.0.1:9 "${run[@]}" "$root/bin/velomir" \
    >"$stage/velomir.log" 2>&1 &
window=$!
settings=$config/velomir/velomir.ini
# The first start writes its mark into the settings file: that is the event waited for (bounded by 30 s).
for _ in $(seq 300); do
    [ -s "$settings" ] && break
    kill -0 "$window" 2>/dev/null || break
    sleep 0.1
done
kill "$window" 2>/dev/null || true
wait "$window" 2>/dev/null || true
[ -s "$settings" ] || fail "no settings in $settings: $(cat "$stage/velomir.log")"
grep -q "^up=1" "$settings" || fail "the settings file lacks the first-start mark"
[ ! -e "$root/bin/velomir.ini" ] || fail "settings written beside the program"
echo "install_test: every installed file checked"
