#!/usr/bin/env bash
# The installed tree: `cmake --install` into a temporary prefix, then the installed programs run
# from there with a working folder outside the build. Also the tree copied elsewhere, and a
# program folder the user cannot write with the user's own skins missing, present or unreadable.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: install_test.sh BUILD_DIR}" && pwd)

work=$(mktemp -d)
trap 'chmod -R u+rwX "$work" 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work" # another user runs the read-only cases below
cd "$work"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# WIDTHxHEIGHT of a PNG file, from its header.
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d\n", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log" >&2; fail "cmake --install"; }

# --- The layout -----------------------------------------------------------------------------
program=lib/thermobadge
for f in bin/thermobadge bin/thermobadge-server \
  $program/ThermoBadge $program/VerShow.dll $program/thermobadge-server $program/ThermoBadge.ini \
  $program/ThermoBadge.png $program/FotoMark/Winter/frost.png $program/FotoMark/Summer/sun.png \
  $program/translations/thermobadge_en.qm \
  share/applications/thermobadge.desktop share/metainfo/net.example.ThermoBadge.metainfo.xml \
  share/man/man1/thermobadge.1.gz share/man/man1/thermobadge-server.1.gz \
  share/doc/thermobadge/copyright lib/systemd/user/thermobadge-server.service; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
[ "$(readlink "$prefix/bin/thermobadge")" = "../$program/ThermoBadge" ] || fail "bin/thermobadge is not a relative link"
[ "$(readlink "$prefix/bin/thermobadge-server")" = "../$program/thermobadge-server" ] || fail "bin/thermobadge-server is not a relative link"
for s in 16 22 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${s}x${s}/apps/thermobadge.png
  [ "$(png_size "$icon")" = "${s}x${s}" ] || fail "icon $icon is not ${s}x${s}"
done
unit=$prefix/lib/systemd/user/thermobadge-server.service
grep -qxF "ExecStart=$prefix/bin/thermobadge-server \$THERMOBADGE_SERVER_ARGS" "$unit" || fail "the unit does not start the installed server"
grep -qxF "EnvironmentFile=-%E/ThermoBadge/server.env" "$unit" || fail "the unit does not read server.env"
desktop-file-validate "$prefix/share/applications/thermobadge.desktop" || fail "desktop-file-validate"
grep -q '^Name\[ru\]=' "$prefix/share/applications/thermobadge.desktop" && grep -q '^Comment\[ru\]=' "$prefix/share/applications/thermobadge.desktop" ||
  fail "the desktop entry has no Russian name or comment"
appstreamcli validate --no-net "$prefix/share/metainfo/net.example.ThermoBadge.metainfo.xml" >"$work/appstream.log" ||
  { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
MANWIDTH=100 man -l "$prefix/share/man/man1/thermobadge.1.gz" 2>/dev/null | grep -q -- "--snapshot" || fail "thermobadge(1) does not render"
MANWIDTH=100 man -l "$prefix/share/man/man1/thermobadge-server.1.gz" 2>/dev/null | grep -q -- "--sysfs PATH" || fail "thermobadge-server(1) does not render"

# --- The installed programs, run from outside the build ---------------------------------------
mkdir -m 700 "$work/runtime"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME"
version=$("$prefix/bin/thermobadge" --version) || fail "thermobadge --version"
[[ "$version" =~ ^ThermoBadge\ [0-9]+\.[0-9]+$ ]] || fail "thermobadge --version printed '$version'"
grep -q "<release version=\"${version#ThermoBadge }\"" "$prefix/share/metainfo/net.example.ThermoBadge.metainfo.xml" ||
  fail "the metadata has no release $version"
"$prefix/bin/thermobadge-server" --version | grep -qx "thermobadge-server ${version#ThermoBadge }" || fail "thermobadge-server --version"

# The installed translation is found: with Lang=en in the settings the notice speaks English.
mkdir -p "$XDG_CONFIG_HOME/ThermoBadge"
printf '[Options]\nLang=en\n' >"$XDG_CONFIG_HOME/ThermoBadge/ThermoBadge.ini"
notice=$(QT_QPA_PLATFORM=offscreen THERMOBADGE_VERSHOW_AUTOCLOSE_MS=0 "$prefix/$program/VerShow.dll" /v9.9 2>&1) ||
  fail "the installed VerShow.dll: $notice"
grep -q "A new version of the program is available: 9.9" <<<"$notice" || fail "the installed notice is not English under Lang=en: $notice"
rm "$XDG_CONFIG_HOME/ThermoBadge/ThermoBadge.ini"

# The installed skin list selects a look the build tree's does not: the size of the snapshot
# tells which program folder and which pictures were used.
sed -i 's/^Selected=Winter\\frost\.png/Selected=Summer\\sun.png/' "$prefix/$program/ThermoBadge.ini"
grep -q '^Selected=Summer\\sun\.png' "$prefix/$program/ThermoBadge.ini" || fail "the installed skin list has no Winter\\frost.png look to change"
# snapshot PREFIX EXPECTED_SIZE [RUNNER...]: draws with the installed indicator, prints its log.
snapshot() {
  local tree=$1 expected=$2
  shift 2
  rm -f "$work/shot/snap.png"
  "$@" "$tree/bin/thermobadge" --snapshot "$work/shot/snap.png" >"$work/shot/out.log" 2>&1 ||
    { cat "$work/shot/out.log" >&2; fail "snapshot with $tree"; }
  local size
  size=$(png_size "$work/shot/snap.png")
  [ "$size" = "$expected" ] || { cat "$work/shot/out.log" >&2; fail "snapshot of $tree is $size, expected $expected"; }
}
mkdir -m 777 "$work/shot"
snapshot "$prefix" 320x160

# Moved after installation: the copy still finds its companions and skins.
cp -a "$prefix" "$work/moved"
rm -rf "$prefix"
snapshot "$work/moved" 320x160
[ "$("$work/moved/bin/thermobadge" --version)" = "$version" ] || fail "the moved tree's --version"

# --- A program folder the user cannot write -------------------------------------------------
# As root every folder is writable, so another user plays the user.
runner=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$HOME" "$XDG_RUNTIME_DIR"
  runner=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
else
  chmod -R a-w "$work/moved/$program"
fi
"${runner[@]}" test -w "$work/moved/$program" && fail "the program folder is still writable"
userdir=$XDG_DATA_HOME/ThermoBadge

# No user copy: the program folder's skins.
snapshot "$work/moved" 320x160 "${runner[@]}"

# A user copy: its skin list and its pictures win (its Winter\ice.png is the 96x48 snow badge,
# the program folder's is 160x80).
mkdir -p "$userdir/FotoMark/Winter"
sed 's/^Selected=Summer\\sun\.png/Selected=Winter\\ice.png/' "$work/moved/$program/ThermoBadge.ini" >"$userdir/ThermoBadge.ini"
cp "$work/moved/$program/FotoMark/Winter/snowbadge.png" "$userdir/FotoMark/Winter/ice.png"
[ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$HOME"
snapshot "$work/moved" 96x48 "${runner[@]}"

# The user's skin list cannot be read: logged, and the program folder's skins are drawn.
chmod 000 "$userdir/ThermoBadge.ini"
snapshot "$work/moved" 320x160 "${runner[@]}"
grep -q "cannot read the user's skin list" "$work/shot/out.log" || { cat "$work/shot/out.log" >&2; fail "the unreadable skin list was not logged"; }
chmod 644 "$userdir/ThermoBadge.ini"

# The user's picture folder cannot be read: logged, and the program folder's pictures are used.
chmod 000 "$userdir/FotoMark"
snapshot "$work/moved" 160x80 "${runner[@]}"
grep -q "cannot read the user's picture folder" "$work/shot/out.log" || { cat "$work/shot/out.log" >&2; fail "the unreadable picture folder was not logged"; }

echo "install test passed"
