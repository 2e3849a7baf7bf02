#!/usr/bin/env python3
"""Packs the release archive dist/Pinote-<version>.zip from a built Pinote.dll.

The version comes from src/common/version.h (the numbers there; "Ver.0.03 Rev.2" is named
Pinote-0.03r2.zip). The DLL must carry the same version in its version resource. The help
pages get their screenshots embedded as data: URIs, so each is one self-contained file; the
install notes get a byte-order mark and CR LF line ends, so that Notepad on any Windows shows
them. The archive is reproducible: fixed time stamps (the last commit's, or SOURCE_DATE_EPOCH),
sorted entries, fixed attributes.

usage: release.py DLL OUT_DIR
"""
import base64
import hashlib
import io
import os
import re
import struct
import subprocess
import sys
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HOLDER = "Quillet for Becky!2 contributors"


def fail(message):
    sys.exit("release: " + message)


def read_version(header_text):
    """(major, minor, revision) from the #define lines of version.h."""
    numbers = []
    for name in ("MAJOR", "MINOR", "REVISION"):
        m = re.search(r"^#define PINOTE_VERSION_%s (\d+)\b" % name, header_text, re.M)
        if not m:
            fail("version.h has no PINOTE_VERSION_%s" % name)
        numbers.append(int(m.group(1)))
    return tuple(numbers)


def version_text(v):
    return "Ver.%d.%02d Rev.%d" % v


def archive_version(v):
    """The file-name form of the version: "Ver.0.03 Rev.2" gives "0.03r2"."""
    return "%d.%02dr%d" % v


def version_resource(dll):
    """The fixed numbers and the strings of a PE file's version resource.

    Walks the VS_VERSIONINFO block (each node: length, value length, type, key, padding, value,
    padding, children)."""
    key = "VS_VERSION_INFO\0".encode("utf-16-le")
    at = dll.find(key)
    if at < 6:
        fail("the DLL has no version resource")
    start = at - 6
    strings = {}
    fixed = None

    def node(pos, depth):
        nonlocal fixed
        length, value_length, kind = struct.unpack_from("<HHH", dll, pos)
        end = pos + length
        k = pos + 6
        name_end = k
        while dll[name_end:name_end + 2] != b"\0\0":
            name_end += 2
        name = dll[k:name_end].decode("utf-16-le")
        value_at = (name_end + 2 + 3) & ~3
        if depth == 0:
            fixed = struct.unpack_from("<13I", dll, value_at)
            children_at = (value_at + value_length + 3) & ~3
        elif kind == 1 and depth == 3:  # a text value: length in characters
            raw = dll[value_at:value_at + 2 * value_length]
            strings[name] = raw.decode("utf-16-le").split("\0", 1)[0]
            return end
        else:
            children_at = (value_at + (value_length if kind == 0 else 2 * value_length) + 3) & ~3
        child = children_at
        while child < end:
            child_length = struct.unpack_from("<H", dll, child)[0]
            if child_length == 0:
                break
            node(child, depth + 1)
            child = (child + child_length + 3) & ~3
        return end

    node(start, 0)
    if fixed is None or fixed[0] != 0xFEEF04BD:
        fail("the DLL's version resource has no fixed part")
    return fixed, strings


def check_dll(dll, v):
    fixed, strings = version_resource(dll)
    numbers = (v[0], v[1], v[2], 0)
    ms, ls = (numbers[0] << 16) | numbers[1], (numbers[2] << 16) | numbers[3]
    problems = []
    if (fixed[2], fixed[3]) != (ms, ls):
        problems.append("FILEVERSION is %d.%d.%d.%d" % (fixed[2] >> 16, fixed[2] & 0xFFFF,
                                                       fixed[3] >> 16, fixed[3] & 0xFFFF))
    if (fixed[4], fixed[5]) != (ms, ls):
        problems.append("PRODUCTVERSION differs")
    if strings.get("ProductVersion") != version_text(v):
        problems.append("ProductVersion is %r" % strings.get("ProductVersion"))
    if strings.get("FileVersion") != "%d.%d.%d.%d" % numbers:
        problems.append("FileVersion is %r" % strings.get("FileVersion"))
    copyright_text = strings.get("LegalCopyright", "")
    if strings.get("CompanyName") != HOLDER or HOLDER not in copyright_text or \
            "MIT License" not in copyright_text:
        problems.append("the resource does not name %s and the MIT License" % HOLDER)
    # The information record and the About box take the text from the same macro; it is in the
    # DLL as ANSI bytes.
    if version_text(v).encode("ascii") + b"\0" not in dll:
        problems.append("the text %s is not in the DLL" % version_text(v))
    if problems:
        fail("the DLL does not say %s: %s" % (version_text(v), "; ".join(problems)))


# Kana, kanji and Japanese punctuation (full-width Latin letters and digits left out: a font name
# such as "ＭＳ Ｐゴシック" keeps its space).
JAPANESE = "[\u3000-\u30ff\u3400-\u9fff\uf900-\ufaff\uff01-\uff0f\uff1a-\uff20\uff3b-\uff40\uff5b-\uff9f]"
# Punctuation that never wants a space beside it.
PUNCTUATION = "、。，．・：；？！「」『』（）［］【】〈〉《》〔〕"
# Tags that end a block of text: what stands on either side of them never runs together.
BLOCK_TAG = re.compile(r"</?(?:p|div|h[1-6]|ul|ol|li|dl|dt|dd|table|tr|td|th|thead|tbody|caption|"
                       r"figure|figcaption|nav|pre|br|hr|details|summary|section|header|footer|"
                       r"body|head|html|title|style|meta)\b[^>]*>", re.I)


def japanese_breaks(text, html):
    """Lines where white space (a line break included) stands between two Japanese characters.

    A browser shows such a line break as a space inside the sentence, and a viewer that wraps
    lines itself leaves a ragged break. A space on one line counts only beside Japanese
    punctuation (a name such as "田中 太郎" keeps its space). In a page, the text is read as
    shown: comments, <style> and <pre> left out, block tags separate, inline tags vanish; in
    plain text (and Markdown) an empty line ends a paragraph."""
    if html:
        text = re.sub(r"<!--.*?-->|<style\b.*?</style>|<pre\b.*?</pre>",
                      lambda m: "\0" + "\n" * m.group(0).count("\n"), text, flags=re.S)
        text = BLOCK_TAG.sub(lambda m: "\0" + "\n" * m.group(0).count("\n"), text)
        text = re.sub(r"<[^>]*>", lambda m: "\n" * m.group(0).count("\n"), text)
    found = []
    for m in re.finditer("(%s)([ \t\r\n]+)(?=(%s))" % (JAPANESE, JAPANESE), text):
        before, gap, after = m.groups()
        if not html and re.search(r"\n[ \t\r]*\n", gap):
            continue  # an empty line: a paragraph ends there
        if "\n" not in gap and before not in PUNCTUATION and after not in PUNCTUATION:
            continue  # a space written on purpose, as in a name ("田中 太郎")
        line = text.count("\n", 0, m.start()) + 1
        found.append("line %d: %r" % (line, before + gap + after))
    return found


def check_shipped_text(name, data, v):
    """What a user reads in the archive: no made-up address, the Japanese without stray spaces,
    and each help page naming the version it describes."""
    if b"example.org" in data.lower() or "example.org".encode("utf-16-le") in data.lower():
        fail("%s names example.org, which is no real address" % name)
    if name.endswith((".html", ".txt")):
        text = data.decode("utf-8-sig")
        breaks = japanese_breaks(text, name.endswith(".html"))
        if breaks:
            fail("%s breaks Japanese text with white space: %s" % (name, "; ".join(breaks[:5])))
    if name.endswith(".html") and version_text(v) not in data.decode("utf-8"):
        fail("%s does not say which version it describes (%s)" % (name, version_text(v)))


def embed_images(html, base_dir):
    """Every <img src="relative.png"> replaced by a data: URI of that file."""
    def replace(m):
        src = m.group(2)
        if src.startswith("data:"):
            return m.group(0)
        path = os.path.normpath(os.path.join(base_dir, src))
        if not os.path.isfile(path):
            fail("the help names a picture that is not there: %s" % path)
        kind = {".png": "image/png", ".jpg": "image/jpeg", ".gif": "image/gif"}.get(
            os.path.splitext(path)[1].lower())
        if not kind:
            fail("unknown picture type: %s" % path)
        with open(path, "rb") as f:
            data = base64.b64encode(f.read()).decode("ascii")
        return '%ssrc="data:%s;base64,%s"' % (m.group(1), kind, data)

    out = re.sub(r'(<img\b[^>]*?\s)src="([^"]+)"', replace, html)
    left = re.findall(r'<img\b[^>]*\ssrc="(?!data:)([^"]*)"', out)
    if left:
        fail("pictures left unembedded: %s" % ", ".join(left))
    return out


def crlf(text):
    """UTF-8 with CR LF line ends, whatever ends the lines had."""
    lines = text.replace("\r\n", "\n").replace("\r", "\n")
    return lines.replace("\n", "\r\n").encode("utf-8")


def notepad_text(text):
    """UTF-8 with a byte-order mark and CR LF line ends."""
    return b"\xef\xbb\xbf" + crlf(text)


def check_links(html, page, pages):
    """Every in-page link names an id of the page; links to files name a page of the archive."""
    ids = set(re.findall(r'\sid="([^"]+)"', html))
    for target in re.findall(r'\shref="([^"]+)"', html):
        if target.startswith("#"):
            if target[1:] not in ids:
                fail("%s links to #%s, which it does not have" % (page, target[1:]))
        elif not re.match(r"[a-z]+:", target) and target.split("#")[0] not in pages:
            fail("%s links to %s, which the archive does not hold" % (page, target))


def release_time():
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        try:
            epoch = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"],
                                   capture_output=True, text=True, check=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            epoch = ""
    # Zip time stamps start in 1980 and have 2-second steps.
    t = time.gmtime(max(int(epoch or 315532800), 315532800))
    return (t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec - t.tm_sec % 2)


def read_text(relative):
    with open(os.path.join(ROOT, relative), encoding="utf-8") as f:
        return f.read()


def build(dll_path, out_dir):
    v = read_version(read_text("src/common/version.h"))
    with open(dll_path, "rb") as f:
        dll = f.read()
    check_dll(dll, v)

    files = {"Pinote.dll": dll}
    pages = ("Pinote.html", "PinoteE.html")
    for page in pages:
        html = read_text("docs/help/" + page)
        check_links(html, page, pages)
        files[page] = embed_images(html, os.path.join(ROOT, "docs/help")).encode("utf-8")
    for notes in ("INSTALL.en.txt", "INSTALL.ja.txt"):
        text = read_text("docs/install/" + notes).replace("@VERSION@", version_text(v))
        if "@" + "VERSION@" in text:
            fail("%s still holds a placeholder" % notes)
        files[notes] = notepad_text(text)
    files["LICENSE"] = crlf(read_text("LICENSE"))
    for name, data in files.items():
        check_shipped_text(name, data, v)
    files["SHA256SUMS"] = "".join(
        "%s  %s\n" % (hashlib.sha256(data).hexdigest(), name)
        for name, data in sorted(files.items())).encode("ascii")

    stamp = release_time()
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as z:
        for name in sorted(files):
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = 0o100644 << 16
            z.writestr(info, files[name], compresslevel=9)
    os.makedirs(out_dir, exist_ok=True)
    target = os.path.join(out_dir, "Pinote-%s.zip" % archive_version(v))
    with open(target, "wb") as f:
        f.write(buffer.getvalue())
    return target, files


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    target, files = build(sys.argv[1], sys.argv[2])
    with open(target, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    print("release: %s (sha256 %s)" % (os.path.relpath(target), digest))
    for name in sorted(files):
        print("  %8d  %s" % (len(files[name]), name))


if __name__ == "__main__":
    main()
