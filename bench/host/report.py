#!/usr/bin/env python3
"""Tables of the stand-in host's benchmark sessions (scripts/bench.sh).

usage: report.py PINOTE_DAT LABEL DIR [LABEL DIR]...
Each DIR holds session.log (bench/host/session.txt) and creation-N.log (starts that only time
the first main-menu build). Every figure is a median of one run; ratios are against references
measured in that same run.
"""
import glob
import os
import re
import statistics
import sys

TIMING = re.compile(r"^timing (\S+) n=(\d+) median_us=([\d.]+)")
CREATION = re.compile(r'^call BKC_OnMenuInit type=0 plugin="Pinote\.dll" -> \d+ us=([\d.]+)')
REFWRITE = re.compile(r'^refwrite "[^"]*" bytes=(\d+)')
MEMORY = re.compile(r"^memory (\S+) working_set_kb=(\d+) peak_working_set_kb=(\d+)")


def read_lines(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return [line.rstrip("\n") for line in f]


def session_figures(lines):
    """{row: {key: median_us}} by the "note bench ROW" lines; memory by label in kB."""
    rows, memory, row = {}, {}, None
    for line in lines:
        if line.startswith("note bench "):
            row = line[len("note bench "):].strip()
            rows.setdefault(row, {})
        elif (m := TIMING.match(line)) and row:
            rows[row][m.group(1)] = float(m.group(3)) / 1000.0
        elif m := MEMORY.match(line):
            memory[m.group(1)] = (int(m.group(2)), int(m.group(3)))
    return rows, memory


def creation_ms(paths):
    found = []
    for path in paths:
        for line in read_lines(path):
            if m := CREATION.match(line):
                found.append(float(m.group(1)) / 1000.0)
    return found


def ms(value):
    return "-" if value is None else f"{value:.1f} ms"


def ratio(a, b):
    return None if a is None or b in (None, 0) else a / b


def table(label, folder, file_bytes):
    session = os.path.join(folder, "session.log")
    if not os.path.exists(session):
        print(f"\n{label}: no session log in {folder}")
        return False
    lines = read_lines(session)
    rows, memory = session_figures(lines)
    op, kp = rows.get("open", {}), rows.get("keystroke", {})
    call = op.get("BKC_OnOpenMail@Pinote.dll")
    fill, paint, fill_paint = op.get("reffill"), op.get("paint"), op.get("reffill-paint")
    key, write = kp.get("type"), kp.get("refwrite")
    plain_key = rows.get("plain-keystroke", {}).get("type")
    reopen = rows.get("reopen", {})
    created = creation_ms(sorted(glob.glob(os.path.join(folder, "creation-*.log"))) + [session])
    create = statistics.median(created) if created else None

    out = []

    def row(what, measured, reference, goal, met):
        r = ratio(measured, reference)
        out.append((what, ms(measured), ms(reference), "-" if r is None else f"{r:.2f}x", goal,
                    "" if met is None else ("met" if met else "MISSED")))

    r1 = ratio(key, write)
    row("1. Keystroke until Pinote.dat is replaced", key, write, "<= 3x in the host",
        None if r1 is None else r1 <= 3)
    first = rows.get("first-keystroke", {})
    row("   the first one after the start (one sample)", first.get("type"), first.get("refwrite"),
        "", None)
    row("   the same keystroke in a plain edit (no plug-in)", plain_key, None, "", None)
    r2 = ratio(call, fill)
    row("2. Opening a mail (BKC_OnOpenMail, window shown)", call, fill, "<= 2x or <= 2 ms",
        None if r2 is None else (r2 <= 2 or call <= 2))
    both = None if call is None or paint is None else call + paint
    ref_both = None if fill is None or fill_paint is None else fill + fill_paint
    row("   with the painting left for later (sums)", both, ref_both, "", None)
    row("   the same mail again (texts unchanged)", reopen.get("BKC_OnOpenMail@Pinote.dll"),
        reopen.get("reffill"), "", None)
    row(f"3. Window, store and name list (n={len(created)})", create, None, "< 300 ms",
        None if create is None else create < 300)
    history = rows.get("history", {}).get("round")
    row("4. History dialog, 7 backups of 10 MB (open, close)", history, None, "< 1 s",
        None if history is None else history < 1000)

    written = [int(m.group(1)) for line in lines if (m := REFWRITE.match(line))]
    saved = f" ({written[-1] / 1e6:.1f} MB once saved with the name list's addresses)" \
        if written else ""
    print(f"\n{label}: 100,000 people, {file_bytes / 1e6:.1f} MB Pinote.dat{saved}, "
          f"name list of 100,000 entries")
    head = ("What", "Measured", "Reference", "Ratio", "Goal", "")
    widths = [max(len(str(r[i])) for r in out + [head]) for i in range(len(head))]
    for r in [head] + out:
        print(("  " + "  ".join(str(c).ljust(w) if i == 0 or i > 3 else str(c).rjust(w)
                                for i, (c, w) in enumerate(zip(r, widths)))).rstrip())
    if memory:
        parts, last = [], None
        for name, text in (("loading-plugins", "before plug-ins"),
                           ("menus-built", "after the first menu build"),
                           ("opened", "after the first opened mail"),
                           ("typed", "after more opened mails and 4 keystrokes")):
            if name in memory:
                ws = memory[name][0]
                delta = "" if last is None else f" ({(ws - last) / 1024:+.1f})"
                parts.append(f"{text} {ws / 1024:.1f} MB{delta}")
                last = ws
        peak = max(p for _, p in memory.values()) / 1024
        print("  Working set: " + ",\n    ".join(parts) + f";\n    peak {peak:.1f} MB")
    return True


def main(argv):
    if len(argv) < 4 or len(argv) % 2:
        print(__doc__)
        return 2
    file_bytes = os.path.getsize(argv[1])
    ok = True
    for i in range(2, len(argv), 2):
        ok = table(argv[i], argv[i + 1], file_bytes) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
