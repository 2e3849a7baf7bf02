#!/usr/bin/env bash
# A short look at the plug-in in the stand-in host: builds the x86_64 Windows tree, lays out an
# installation under build/demo (B2.exe, PlugIns\Pinote.dll, sample mails, memo data, name list),
# runs a scripted session under Wine (a visible window when $DISPLAY is set, Xvfb otherwise) and
# saves screenshots as PNG under build/demo/screenshots; then scripts/screenshots.sh renews the
# English and Japanese pictures of the windows and dialogs in docs/screenshots.
#   PINOTE_DEMO_BUILD_DIR  build tree to use (default build/win64, the win64 preset)
#   DEMO_JAPANESE=1        Japanese texts (/JAPANESE; LC_ALL=ja_JP.UTF-8 when that locale exists)
#   DEMO_SCREENSHOTS=0     skip the docs/screenshots sessions
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${PINOTE_DEMO_BUILD_DIR:-build/win64}
demo=$root/build/demo
. scripts/wine-env.sh
. scripts/layout.sh
wine_init

if [ "$build" = build/win64 ]; then
  cmake --preset win64 >/dev/null
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "${JOBS:-2}" --target B2 Pinote

lay_out_installation "$demo" "$build"
mkdir -p "$demo/screenshots"
cp data/sample/Pinote.dat "$demo/PlugIns/"
# The plug-in does not resolve relative paths: the name list gets its absolute Wine path.
python3 - "$demo" <<'PY'
import sys
demo = sys.argv[1]
win = "Z:" + demo.replace("/", "\\") + "\\meibo.dat"
ini = open("data/sample/Pinote.ini", "rb").read().decode("ascii")
ini = "".join(("Meibo\\Path=String:" + win + "\r\n") if l.startswith("Meibo\\Path=") else l
              for l in ini.splitlines(True))
open(demo + "/PlugIns/Pinote.ini", "wb").write(ini.encode("ascii"))
PY

cat > "$demo/demo-script.txt" <<'SCRIPT'
# Opening mails: the memo window follows the sender.
wait 800
screenshot screenshots/01-start.bmp
open 0
wait 800
screenshot screenshots/02-memo-of-alice.bmp
open 2
wait 600
screenshot screenshots/03-unified-addresses.bmp
open 3
wait 600
screenshot screenshots/04-name-list.bmp
# A sender without a memo: open the window from the Tool menu and type one.
open 1
wait 400
hostmenu &Tool/Quillet for Becky!2/Open the Quillet
waitwindow PinoteMemoWindow
type PinoteMemoWindow 105 Lunch on Friday\nlikes the place near the station
wait 600
screenshot screenshots/05-typed-memo.bmp
window PinoteMemoWindow
dumpmenu
# Outgoing mail gets its X-Mailer-Plugin entry.
compose To: bob@example.org | Subject: Re: Lunch on Friday? | X-Mailer-Plugin: Other Plugin 1.0
send
wait 800
screenshot screenshots/06-sent-mail.bmp
exit
SCRIPT

args=()
env_lang=()
if [ "${DEMO_JAPANESE:-0}" = 1 ]; then
  args+=(/JAPANESE)
  locale -a 2>/dev/null | grep -qi '^ja_JP.utf-\?8$' && env_lang=(env LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8)
fi
run=(/usr/lib/wine/wine64 B2.exe /script:demo-script.txt /log:demo.log "${args[@]}")
echo "demo: running B2.exe in $demo"
cd "$demo"
# The script ends the host itself; the time limit only guards against a hung session.
if [ -n "${DISPLAY:-}" ]; then
  timeout -k 10 180 "${env_lang[@]}" "${run[@]}" || echo "demo: B2.exe ended with $?"
else
  timeout -k 10 180 "${env_lang[@]}" xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}" ||
    echo "demo: B2.exe ended with $?"
fi

for bmp in screenshots/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done

echo
echo "=== summary of $demo/demo.log"
grep -E '^(plugin-loaded|open-mail|command|sent-header|msgbox|error|exit)' demo.log || true
echo "--- Tool and Help menus after the plug-in joined them:"
grep -E '^menu (3|4)(\.| )' demo.log | sed 's/ id=0x[0-9A-F]*//' || true
echo "--- memo window after typing:"
grep -E '^child id=(102|103|105) ' demo.log | tail -3 | sed 's/ rect=[^ ]*//' || true
echo "--- memo data file:"
tr -d '\r' < PlugIns/Pinote.dat | tail -4
echo "--- screenshots of this session ($demo/screenshots):"
ls -1 screenshots
if [ "${DEMO_SCREENSHOTS:-1}" = 1 ]; then
  echo
  echo "=== English and Japanese windows and dialogs"
  cd "$root"
  scripts/screenshots.sh "$build"
fi
