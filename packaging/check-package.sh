#!/usr/bin/env bash
# Builds the Debian package, validates the installed desktop entry and metainfo, installs the
# package on this machine, starts the installed editor under Xvfb on a sample track, closes it
# with the keyboard, starts it again with a track file as its launcher would, and removes the
# package again, checking that nothing of it is left.
# Needs root (or sudo) for apt-get. Prints "package check passed" at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-deps.sh" --extra
sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
for p in dpkg-dev xdotool x11-utils sqlite3; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$p"
done

build="$root/build-package"
work="$(mktemp -d)"
trap 'kill ${xvfb_pid:-0} 2>/dev/null || true; rm -rf "$work"' EXIT

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" --parallel "$(nproc)"

echo "== install into a throw-away root and validate"
DESTDIR="$work/stage" cmake --install "$build" >/dev/null
find "$work/stage" -type f | sed "s|$work/stage||" | sort
desktop-file-validate "$work/stage/usr/share/applications/org.tarvexkite.kite.desktop"
appstreamcli validate --no-net --pedantic "$work/stage/usr/share/metainfo/org.tarvexkite.kite.metainfo.xml"

echo "== build the package"
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/tarvex-kite_*.deb | head -n 1)"
dpkg-deb --info "$deb" | grep -E 'Package|Version|Depends'

echo "== install the package"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
files="$(dpkg -L tarvex-kite | while read -r f; do [ -f "$f" ] && echo "$f"; done)"
test -x /usr/bin/tarvex-kite

echo "== start the installed editor under Xvfb"
cp -r "$root/samples/levels" "$work/levels"
export XDG_CONFIG_HOME="$work/config"
Xvfb :97 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & xvfb_pid=$!
export DISPLAY=:97
sleep 1
# Starts the installed editor in folder $1 with the arguments after $2, closes it with the
# keyboard and checks that the folder it stored is $2.
run_editor() {
    local folder="$1" expected="$2"
    shift 2
    (cd "$folder" && "$@" >"$work/editor.log" 2>&1) & editor_pid=$!
    window=""
    for _ in $(seq 1 50); do
        window="$(xdotool search --name '^Tarvex Kite$' 2>/dev/null | head -n 1 || true)"
        [ -n "$window" ] && break
        sleep 0.2
    done
    [ -n "$window" ] || { echo "the editor window did not appear"; cat "$work/editor.log"; exit 1; }
    sleep 1
    import -window root "$shot" && echo "screenshot: $shot"
    # Closing with the keyboard runs the editor's own shutdown, which stores the open folder.
    # Xvfb has no window manager: give the window the keyboard focus directly, then Alt+X.
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key alt+x
    for _ in $(seq 1 50); do kill -0 "$editor_pid" 2>/dev/null || break; sleep 0.2; done
    if kill -0 "$editor_pid" 2>/dev/null; then echo "the editor did not close on Alt+X"; exit 1; fi
    stored="$(sqlite3 "$XDG_CONFIG_HOME/tarvex-kite/settings.sqlite" \
        "select value from settings where section='Current' and key='Folder'")"
    [ "$stored" = "$expected" ] || { echo "stored folder is '$stored'"; exit 1; }
}
shot="${KITE_PACKAGE_SHOT:-$build/installed-editor.png}"
run_editor "$work/levels/toytrack" "$work/levels/toytrack" /usr/bin/tarvex-kite
echo "the installed editor started, opened $stored and closed"
# As the launcher starts it with a track file dropped on it: the desktop entry's Exec line,
# %f the file. The browser then has the track's parent folder open (the working folder "/"
# would be stored without the argument).
shot="${shot%.png}-file.png"
exec_line="$(sed -n 's/^Exec=//p' /usr/share/applications/org.tarvexkite.kite.desktop)"
track_file="$work/levels/toytrack/toytrack.inf"
# shellcheck disable=SC2086 # the Exec line is split into words, as the launcher does
run_editor / "$work/levels" ${exec_line/\%f/$track_file}
echo "the installed editor opened $track_file from the desktop entry's Exec line and closed"

echo "== remove the package"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tarvex-kite >/dev/null
left=""
for f in $files; do [ -e "$f" ] && left="$left $f"; done
[ -z "$left" ] || { echo "left behind:$left"; exit 1; }
echo "package check passed"
