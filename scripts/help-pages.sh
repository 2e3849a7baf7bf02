#!/usr/bin/env bash
# Optional look at the help pages as a browser shows them (not part of make test): the pages as
# the release packs them (pictures embedded), rendered by headless Chromium at 1200 and 420
# pixels wide, into build/help-pages/<lang>-<width>-<n>.png, pieces of at most 8000 pixels from
# the top. Needs the chromium package (apt-get install chromium).
#   scripts/help-pages.sh
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/build/help-pages
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "help-pages: no chromium here (apt-get install chromium); nothing rendered"
  exit 0
fi
rm -rf "$out"
mkdir -p "$out"
python3 - "$out" <<'PY'
import os, sys
sys.path.insert(0, "scripts")
import release
for page in ("Pinote.html", "PinoteE.html"):
    html = release.embed_images(release.read_text("docs/help/" + page),
                                os.path.join(release.ROOT, "docs/help"))
    open(os.path.join(sys.argv[1], page), "w", encoding="utf-8").write(html)
PY

piece=8000
for lang in ja en; do
  page=Pinote.html
  [ $lang = en ] && page=PinoteE.html
  for width in 1200 420; do
    # The page in a frame far taller than it, shifted up piece by piece: a headless screenshot
    # only shows the window, and the window cannot scroll.
    for n in 0 1 2 3 4 5; do
      frame=$out/frame-$lang-$width-$n.html
      printf '<!DOCTYPE html><body style="margin:0;overflow:hidden"><iframe src="%s" style="border:0;width:%dpx;height:60000px;position:absolute;top:-%dpx"></iframe></body>\n' \
        "$page" "$width" $((n * piece)) > "$frame"
      png=$out/$lang-$width-$n.png
      timeout 120 "$browser" --headless=new --no-sandbox --disable-gpu --hide-scrollbars \
        --force-device-scale-factor=1 --window-size=$width,$piece --screenshot="$png" \
        "file://$frame" >/dev/null 2>&1 || true
      rm -f "$frame"
      [ -f "$png" ] || break
      convert "$png" -trim +repage "$png" 2>/dev/null  # a blank piece: "geometry does not contain image"
      # A piece that is all background (trimmed to one pixel) is past the end of the page.
      if [ "$(identify -format '%w' "$png")" = 1 ]; then
        rm -f "$png"
        break
      fi
    done
  done
done
echo "help-pages: $(ls "$out"/*.png | wc -l) pieces in ${out#$PWD/}"
ls -1 "$out"/*.png | sed 's|.*/|  |'
