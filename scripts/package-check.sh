#!/usr/bin/env bash
# Builds the Debian package, installs it with apt, starts the installed program headless on a
# sample ledger (Open With), checks that it stays up, shows the ledger and keeps its folder memory
# in the user's configuration folder, then removes the package and checks that nothing is left.
#
# The program runs as a throwaway ordinary user: root may write /usr/bin, so only an ordinary
# user shows that the memory moves to ~/.config when the program folder cannot be written.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
say() { echo "package-check: $*"; }
fail() {
    say "FAILED: $*"
    exit 1
}

cmake --build build --target package -j"$(nproc)" >/dev/null
deb="$(ls -t build/verazidedaze_*.deb | head -n 1)"
say "built $deb ($(du -h "$deb" | cut -f1))"
say "Depends: $(dpkg-deb -f "$deb" Depends)"
say "Recommends: $(dpkg-deb -f "$deb" Recommends)"

$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "./$deb" >/dev/null
installed="$(dpkg-query -L verazidedaze)"
say "installed: $(dpkg-query -W -f='${Package} ${Version}' verazidedaze)"
for file in /usr/bin/verazidedaze /usr/bin/verazidedaze-render /usr/share/verazidedaze/yevmiye.xslt \
    /usr/share/applications/example.pelvora.verazidedaze.desktop \
    /usr/share/metainfo/example.pelvora.verazidedaze.metainfo.xml /usr/share/icons/hicolor/32x32/apps/verazidedaze.png; do
    [ -e "$file" ] || fail "$file not installed"
done
desktop-file-validate /usr/share/applications/example.pelvora.verazidedaze.desktop || fail "desktop entry invalid"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net /usr/share/metainfo/example.pelvora.verazidedaze.metainfo.xml >/dev/null ||
        fail "metainfo invalid"
fi
say "desktop entry and metainfo valid"

# The same tree unpacked anywhere finds its stylesheets in ../share/verazidedaze.
unpacked="$(mktemp -d /tmp/verazidedaze-unpacked.XXXXXX)"
dpkg-deb -x "$deb" "$unpacked/elsewhere"
mkdir "$unpacked/bare"
cp "$(ls build/bin/samples/*-Y-*.xml | head -n 1)" "$unpacked/bare/"
"$unpacked/elsewhere/usr/bin/verazidedaze-render" "$unpacked"/bare/*.xml >"$unpacked/out.html" ||
    fail "the unpacked tree's renderer failed"
grep -qi "<table" "$unpacked/out.html" || fail "the unpacked tree rendered no ledger"
rm -rf "$unpacked"
say "unpacked elsewhere: the renderer found its stylesheets beside it"

user="vzcheck$$"
home="$(mktemp -d /tmp/verazidedaze-home.XXXXXX)"
program_pid=""
cleanup() {
    [ -z "$program_pid" ] || $sudo kill "$program_pid" 2>/dev/null || true
    $sudo userdel "$user" 2>/dev/null || true
    $sudo rm -rf "$home"
}
trap cleanup EXIT
$sudo useradd --home-dir "$home" --no-create-home --shell /usr/sbin/nologin "$user"
ledger_folder="$home/Defterler 2024"
mkdir -p "$ledger_folder" "$home/run"
sample="$(ls build/bin/samples/*-Y-*.xml | head -n 1)"
cp "$sample" "$ledger_folder/"
ledger="$ledger_folder/$(basename "$sample")"
chmod 700 "$home/run"
$sudo chown -R "$user:" "$home"

# The sandbox needs kernel features a CI container lacks; the program itself never turns it off.
$sudo runuser -u "$user" -- env HOME="$home" XDG_RUNTIME_DIR="$home/run" QTWEBENGINE_DISABLE_SANDBOX=1 \
    QT_LOGGING_RULES="qt.webenginecontext.info=false" \
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" /usr/bin/verazidedaze "$ledger" >"$home/out.log" 2>&1 &
runner=$!
seconds=10
for _ in $(seq "$seconds"); do
    sleep 1
    kill -0 "$runner" 2>/dev/null || { cat "$home/out.log"; fail "the installed program ended within $seconds s"; }
done
program_pid="$(pgrep -u "$user" -x verazidedaze | head -n 1 || true)"
[ -n "$program_pid" ] || fail "no verazidedaze process of $user"
say "started /usr/bin/verazidedaze on $(basename "$ledger") as $user: still running after $seconds s (pid $program_pid)"

memory="$home/.config/Pelvora/verazidedaze/dir.log"
[ -f "$memory" ] || fail "no folder memory at $memory"
grep -q "Defterler 2024" "$memory" || fail "folder memory does not hold the ledger's folder: $(cat "$memory")"
[ ! -e /usr/bin/dir.log ] || fail "folder memory written into /usr/bin"
say "folder memory in the configuration folder: $memory: $(tr '\t\r' ' ' <"$memory")"
[ -f "$ledger_folder/yevmiye.xslt" ] || fail "the ledger was not shown: no stylesheet copied beside it"
say "ledger shown: stylesheets copied from /usr/share/verazidedaze beside it"

$sudo kill "$program_pid"
program_pid=""
wait "$runner" 2>/dev/null || true

# What a run as root leaves: the memory beside the program, which the package takes away with it.
$sudo touch /usr/bin/dir.log
$sudo env DEBIAN_FRONTEND=noninteractive apt-get purge -y verazidedaze >/dev/null
left=()
while IFS= read -r path; do
    if [ -f "$path" ] || [ -L "$path" ]; then left+=("$path"); fi
done <<<"$installed"
for path in /usr/share/verazidedaze /usr/bin/dir.log; do
    if [ -e "$path" ]; then left+=("$path"); fi
done
[ ${#left[@]} -eq 0 ] || fail "left behind after removal: ${left[*]}"
say "removed: none of its $(grep -c . <<<"$installed") paths is left"
