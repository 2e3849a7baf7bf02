#!/usr/bin/env bash
# Screenshots for people: runs one scripted session of the stand-in host in English and one in
# Japanese under Xvfb and stores what the user sees as PNG files in docs/screenshots/:
# the memo window beside the host and alone, the unify and history dialogs, every page of the
# options dialog and the About dialog. The title-bar buttons need Wine's Marlett font (fonts-wine).
#   scripts/screenshots.sh BUILD_DIR [OUT_DIR]   BUILD_DIR holds B2.exe and Pinote.dll (x86_64)
# The files are written without time stamps (only the active-caption colour varies by run).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:?usage: scripts/screenshots.sh BUILD_DIR [OUT_DIR]}
out=${2:-$root/docs/screenshots}
. scripts/wine-env.sh
. scripts/layout.sh
wine_init
# The installation lies where a user's Becky! data folder might, so the paths the dialogs show
# (the About box's folder, the name list's path) are no build paths: C:\Becky!\ in the prefix.
# Both sessions use it in turn.
work="$WINEPREFIX/drive_c/Becky!"
mkdir -p "$out"

# Wine has none of the Windows UI fonts. Its own fallback for the dialogs' Japanese face
# ("ＭＳ Ｐゴシック") can land on a face without Japanese glyphs, which draws boxes; point the
# Windows names at IPA Gothic (fonts-ipafont-gothic) once per prefix. Latin text keeps
# Wine's Tahoma look through "MS Shell Dlg".
if [ "${SHOTS_FONT_REPLACEMENTS:-1}" = 1 ] &&
   ! grep -q '"MS UI Gothic"="IPAPGothic"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  key='HKCU\Software\Wine\Fonts\Replacements'
  for face in "ＭＳ Ｐゴシック" "ＭＳ ゴシック" "MS UI Gothic" "MS PGothic" "MS Gothic"; do
    # Wine reads the command line in the locale's code set: the face names need UTF-8.
    LC_ALL=C.UTF-8 /usr/lib/wine/wine64 reg add "$key" /v "$face" /t REG_SZ /d "IPAPGothic" /f >/dev/null 2>&1
  done
fi

# Wine draws the title-bar buttons with its Marlett symbol font (fonts-wine); without it they
# come out as the letters "0 1 r". This Wine does not look for its fonts in its own data folder
# (/usr/share/wine/fonts), but it reads every font in the prefix's Fonts folder.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
else
  echo "screenshots: no /usr/share/wine/fonts/marlett.ttf (package fonts-wine): title-bar buttons show as letters"
fi

# No window manager runs under Xvfb, so the X server draws no title bars; let Wine draw the
# frames of B2.exe's windows itself (only for that program), so the shots show captions.
if ! grep -q 'AppDefaults\\\\B2.exe\\\\X11 Driver' "$WINEPREFIX/user.reg" 2>/dev/null; then
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\AppDefaults\B2.exe\X11 Driver' \
    /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
fi
# reg.exe may have started the prefix's desktop without a display; B2.exe under Xvfb could not
# create a window on it. Let that session end first.
/usr/lib/wine/wineserver -w || true

# One installation: the sample mails and name list, adjusted so that the shown sender has a
# memo, the importance mark, a second address and a name-list entry; and a memo for everyone at
# example.co.jp with a mail (in Work, after Dave's) from a new colleague there.
layout() {  # DIR LANG
  local dir=$1 lang=$2
  lay_out_installation "$dir" "$build"
  mkdir -p "$dir/shots"
  python3 - "$dir" "$lang" <<'PY'
import sys
d, lang = sys.argv[1], sys.argv[2]
dat = open("data/sample/Pinote.dat", "rb").read()
if lang == "en":
    # Alice gets a second address next to the one the name list knows.
    dat = dat.replace(b"alice@example.com\r\n", b"alice@example.com\r\nalice.example@example.org\r\n", 1)
else:
    # Tanaka already has two addresses and a Japanese memo; mark it and give him a name-list
    # entry. (Suzuki's mail carries his name as an encoded word, which the host passes on raw.)
    dat = dat.replace(b"taro.tanaka@example.co.jp\r\n", b"taro.tanaka@example.co.jp\r\n@Important\r\n", 1)
    entry = "-\r\n田中 太郎%0D%0A株式会社サンプル 営業部\r\nTanaka\r\nTaro\r\n0\r\n1\r\ntanaka@example.jp\r\n0\r\n"
    with open(d + "/meibo.dat", "ab") as f:
        f.write(entry.encode("cp932"))
if lang == "en":
    company = ["Example Corp: invoices go to the Osaka office.", "They close the month on the 25th.",
               "Always copy the project address."]
    sender, subject = "Erin Brown", "Order for July"
    body = "Please find our order for July attached.\r\n\r\nErin\r\n"
else:
    company = ["株式会社サンプル: 請求書は大阪支店へ", "毎月 25 日締め", "見積は営業部の共有アドレスにも CC"]
    sender, subject = "佐藤 花子", "7 月分のご注文"
    body = "7 月分の注文書をお送りします。\r\n\r\n佐藤\r\n"
dat += ("*@example.co.jp\r\n" + "".join(" " + l + "\r\n" for l in company) + "\r\n").encode("cp932")
mail = ("From: " + sender + " <hanako.sato@example.co.jp>\r\nTo: you@example.net\r\n"
        "Subject: " + subject + "\r\nDate: Mon, 1 Jul 2024 09:00:00 +0900\r\n"
        "Message-ID: <s7@example.co.jp>\r\nMIME-Version: 1.0\r\n"
        "Content-Type: text/plain; charset=Shift_JIS\r\n\r\n" + body)
if lang == "en":
    mail = mail.replace("hanako.sato@", "erin.brown@").replace("charset=Shift_JIS", "charset=us-ascii")
open(d + "/Mail/Work/07-colleague.eml", "wb").write(mail.encode("cp932"))
open(d + "/PlugIns/Pinote.dat", "wb").write(dat)
# Earlier texts of the shown memo for the History dialog: two daily backups, a conflict copy and
# a sync-tool copy merged into Pinote.merged, its last write at a fixed time.
import calendar, os
if lang == "en":
    who = "alice@example.com\r\n"
    texts = ["Met at the conference in Kyoto.", "Met at the conference in Kyoto.\r\n Prefers phone calls.",
             "Met at the conference in Kyoto.\r\n Prefers short mails. In Osaka in May.",
             "Met at the conference in Kyoto.\r\n Prefers short mails, no attachments."]
else:
    who = "tanaka@example.jp\r\ntaro.tanaka@example.co.jp\r\n"
    texts = ["田中さん: 株式会社サンプル", "田中さん: 株式会社サンプル 営業部\r\n 電話は午前中に",
             "田中さん: 株式会社サンプル 営業部\r\n 見積は月末締め、五月は大阪",
             "田中さん: 株式会社サンプル 営業部\r\n 見積は翌月五日まで"]
kept = ["Pinote.dat.20260302.bak", "Pinote.dat.20260310.bak",
        "Pinote.conflict-20260312-174502.dat", "Pinote.merged/Pinote-OFFICE-PC.dat"]
os.makedirs(d + "/PlugIns/Pinote.merged", exist_ok=True)
for name, text in zip(kept, texts):
    with open(d + "/PlugIns/" + name, "wb") as f:
        f.write((who + " " + text + "\r\n\r\n").encode("cp932"))
stamp = calendar.timegm((2026, 3, 14, 9, 20, 0))  # shown in local time: 09:20 on a machine on UTC
os.utime(d + "/PlugIns/" + kept[3], (stamp, stamp))
win = "C:\\Becky!\\meibo.dat"
ini = [
    "Show\\Load=Integer:1", "Hide\\Load=Integer:1", "Memo\\AlwaysTop=Boolean:False",
    "Meibo\\Path=String:" + win,
    # Beside the host window (20, 20, 900 x 640), shorter than it: the memo needs few lines.
    "MainForm\\Left=Integer:930", "MainForm\\Top=Integer:20",
    "MainForm\\Width=Integer:300", "MainForm\\Height=Integer:460",
    "MainForm\\State=String:Normal", "Meibo\\Height=Integer:90",
]
open(d + "/PlugIns/Pinote.ini", "wb").write(("\r\n".join(ini) + "\r\n").encode("ascii"))
PY
}

# The session: the mail index of the shown sender differs per language.
session() {  # MAIL-INDEX
  cat <<SCRIPT
wait 500
open $1
waitwindow PinoteMemoWindow
wait 1000
window B2MainWnd
window PinoteMemoWindow
screenshot shots/memo.bmp
# Tool > Unify... of the memo window.
command PinoteMemoWindow 202
waitwindow #32770@305
wait 800
screenshot shots/unify.bmp #32770@305
click #32770@305 2
wait 600
# Tool > History... of the memo window: the earlier texts of the shown memo, the newest selected.
command PinoteMemoWindow 209
waitwindow #32770@601
wait 800
screenshot shots/history.bmp #32770@601
click #32770@601 2
wait 600
# The options dialog, page by page (TCM_SETCURFOCUS notifies the dialog like a click).
setup
waitwindow #32770@401
wait 600
sendmsg #32770@401 401 0x1330 0 0
wait 500
screenshot shots/options-view.bmp #32770@401
sendmsg #32770@401 401 0x1330 1 0
wait 500
screenshot shots/options-font.bmp #32770@401
sendmsg #32770@401 401 0x1330 2 0
wait 300
# "Appear if Important memo exists": the one stricter Disappear choice is greyed. (Wine draws a
# greyed radio's text a glyph short at its end, so the long Disappear texts are kept enabled;
# Cancel below leaves the settings as they were.)
click #32770@401 454
wait 500
screenshot shots/options-appear.bmp #32770@401
sendmsg #32770@401 401 0x1330 3 0
wait 500
screenshot shots/options-namelist.bmp #32770@401
click #32770@401 2
wait 600
# Help > Version of the memo window.
command PinoteMemoWindow 207
waitwindow #32770@501
wait 1200
screenshot shots/about.bmp #32770@501
click #32770@501 1
wait 500
# A new colleague at example.co.jp, who has no memo of their own: the company's memo.
folder Work
open 1
waitwindow PinoteMemoWindow
wait 1000
screenshot shots/memo-domain.bmp PinoteMemoWindow
exit
SCRIPT
}

# Crops a full-screen shot to the union of the windows logged by "window" whose class starts
# with CLASS (all of them: host and memo window).
crop_to_windows() {  # LOG BMP PNG [CLASS]
  python3 - "$1" "${4:-}" <<'PY' | { read -r geom; convert "$2" -crop "$geom" +repage -strip \
      -define png:exclude-chunks=date,time "$3"; }
import re, sys
boxes = [tuple(map(int, m.groups())) for m in
         re.finditer(r'^window class="?' + re.escape(sys.argv[2]) +
                     r'.* visible=1 rect=(-?\d+),(-?\d+),(\d+),(\d+)',
                     open(sys.argv[1], encoding="utf-8", errors="replace").read(), re.M)]
if not boxes:
    print("1280x1024+0+0")
else:
    l = max(0, min(b[0] for b in boxes) - 8); t = max(0, min(b[1] for b in boxes) - 8)
    r = max(b[0] + b[2] for b in boxes) + 8; btm = max(b[1] + b[3] for b in boxes) + 8
    print(f"{r - l}x{btm - t}+{l}+{t}")
PY
}

run_lang() {  # LANG MAIL-INDEX SWITCH ENV...
  local lang=$1 mail=$2 switch=$3
  shift 3
  local dir=$work
  layout "$dir" "$lang"
  session "$mail" > "$dir/shots-script.txt"
  echo "screenshots: $lang session in $dir"
  (cd "$dir" && timeout -k 10 150 env "$@" xvfb-run -a -s "-screen 0 1280x1024x24" \
     /usr/lib/wine/wine64 B2.exe /script:shots-script.txt /log:shots.log $switch) ||
    echo "screenshots: B2.exe ($lang) ended with $?"
  local name
  for bmp in "$dir"/shots/*.bmp; do
    [ -f "$bmp" ] || continue
    name=$(basename "$bmp" .bmp)
    if [ "$name" = memo ]; then
      crop_to_windows "$dir/shots.log" "$bmp" "$out/memo-$lang.png"
      # The help shows the memo window alone, at a size its text can be read.
      crop_to_windows "$dir/shots.log" "$bmp" "$out/memo-window-$lang.png" PinoteMemoWindow
    else
      convert "$bmp" -strip -define png:exclude-chunks=date,time "$out/$name-$lang.png"
    fi
  done
  grep -E '^(error|msgbox|window-missing|screenshot .* failed)' "$dir/shots.log" || true
}

run_lang en 0 /ENGLISH LC_ALL=C.UTF-8
if locale -a 2>/dev/null | grep -qi '^ja_JP.utf-\?8$'; then
  run_lang ja 2 /JAPANESE LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
else
  echo "screenshots: no ja_JP.UTF-8 locale (scripts/deps.sh makes it); Japanese shots skipped"
fi
[ -f "$out/memo-en.png" ] && cp "$out/memo-en.png" "$out/demo-main.png"
echo "screenshots: $(cd "$out" && ls -1 ./*.png 2>/dev/null | wc -l) PNG files in ${out#$root/}"
(cd "$out" && for f in *.png; do [ -f "$f" ] && printf '  %-26s %6d bytes\n' "$f" "$(stat -c %s "$f")"; done)
