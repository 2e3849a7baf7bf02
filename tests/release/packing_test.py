#!/usr/bin/env python3
"""Tests of scripts/release.py: version names, the version-resource check, the help pages'
pictures and links, the notes' encoding, and a reproducible, complete archive."""
import base64
import hashlib
import io
import os
import struct
import sys
import tempfile
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import release  # noqa: E402


def pad(b):
    return b + b"\0" * (-len(b) % 4)


def version_node(key, value=b"", kind=0, children=b"", value_length=None):
    """One node of a version resource, laid out as the resource compiler lays it out."""
    head_key = pad(struct.pack("<HHH", 0, 0, 0) + (key + "\0").encode("utf-16-le"))
    body = head_key + pad(value) + children
    if value_length is None:
        value_length = len(value) // 2 if kind == 1 else len(value)
    return struct.pack("<HHH", len(body), value_length, kind) + body[6:]


HOLDER_STRINGS = (("CompanyName", release.HOLDER),
                  ("LegalCopyright", "Copyright (C) 2026 %s. MIT License." % release.HOLDER))


def fake_dll(numbers, product_version, file_version, ansi_text, holder=HOLDER_STRINGS):
    ms, ls = (numbers[0] << 16) | numbers[1], (numbers[2] << 16) | numbers[3]
    fixed = struct.pack("<13I", 0xFEEF04BD, 0x10000, ms, ls, ms, ls, 0x3F, 0, 4, 2, 0, 0, 0)
    strings = b"".join(
        pad(version_node(k, (v + "\0").encode("utf-16-le"), kind=1))
        for k, v in holder + (("FileDescription", "Memo Plugin"), ("FileVersion", file_version),
                              ("ProductName", "Quillet for Becky!2"),
                              ("ProductVersion", product_version)))
    table = version_node("041104B0", kind=1, children=strings)
    string_info = version_node("StringFileInfo", kind=1, children=pad(table))
    var_info = version_node("VarFileInfo", kind=1,
                            children=version_node("Translation", struct.pack("<HH", 0x411, 1200)))
    root = version_node("VS_VERSION_INFO", fixed, children=pad(string_info) + var_info)
    return b"MZ" + b"\x90" * 510 + root + b"\0" * 16 + ansi_text + b"\0" + b"\xcc" * 64


class VersionNames(unittest.TestCase):
    def test_text_and_archive_name(self):
        for v, text, name in [((0, 3, 2), "Ver.0.03 Rev.2", "0.03r2"),
                              ((1, 10, 0), "Ver.1.10 Rev.0", "1.10r0"),
                              ((2, 5, 12), "Ver.2.05 Rev.12", "2.05r12")]:
            with self.subTest(v=v):
                self.assertEqual(release.version_text(v), text)
                self.assertEqual(release.archive_version(v), name)

    def test_numbers_are_read_from_the_header_lines(self):
        header = ("#define PINOTE_VERSION_MAJOR 1\n#define PINOTE_VERSION_MINOR 7 /* 1.07 */\n"
                  "#define PINOTE_VERSION_MINOR_TEXT \"07\"\n#define PINOTE_VERSION_REVISION 4\n")
        self.assertEqual(release.read_version(header), (1, 7, 4))
        with self.assertRaises(SystemExit):
            release.read_version("#define PINOTE_VERSION_MAJOR 1\n")


class DllCheck(unittest.TestCase):
    def test_any_place_that_disagrees_stops_the_release(self):
        good = ((0, 3, 2, 0), "Ver.0.03 Rev.2", "0.3.2.0", b"Ver.0.03 Rev.2")
        cases = [("agreeing", good, True),
                 ("numbers", ((0, 0, 3, 2),) + good[1:], False),
                 ("product version", (good[0], "Ver.0.03 Rev.1", good[2], good[3]), False),
                 ("file version", (good[0], good[1], "0.0.3.2", good[3]), False),
                 ("record text", good[:3] + (b"Ver.0.03 Rev.1",), False)]
        for name, parts, ok in cases:
            with self.subTest(name):
                dll = fake_dll(*parts)
                if ok:
                    release.check_dll(dll, (0, 3, 2))
                else:
                    with self.assertRaises(SystemExit):
                        release.check_dll(dll, (0, 3, 2))
        with self.assertRaises(SystemExit):
            release.check_dll(b"MZ no resource", (0, 3, 2))
        # The holder and the licence, each missing or another.
        for holder in [HOLDER_STRINGS[1:], (("CompanyName", "Quillet developers"),) + HOLDER_STRINGS[1:],
                       HOLDER_STRINGS[:1] + (("LegalCopyright", "(C) 2026 " + release.HOLDER),)]:
            with self.subTest(holder=holder), self.assertRaises(SystemExit):
                release.check_dll(fake_dll(*good, holder=holder), (0, 3, 2))


class HelpPages(unittest.TestCase):
    def test_pictures_are_embedded_or_the_release_stops(self):
        with tempfile.TemporaryDirectory() as d:
            with open(os.path.join(d, "a.png"), "wb") as f:
                f.write(b"\x89PNG picture")
            html = ('<img src="a.png" alt="A"> <img alt="B" src="data:image/png;base64,AA==">'
                    '<img class="x" src="./a.png">')
            out = release.embed_images(html, d)
            data = base64.b64encode(b"\x89PNG picture").decode()
            self.assertEqual(out.count("data:image/png;base64," + data), 2)
            self.assertIn('alt="A"', out)
            self.assertIn("base64,AA==", out)
            for missing in ['<img src="b.png">', '<img src="a.bmp">']:
                with self.subTest(missing), self.assertRaises(SystemExit):
                    release.embed_images(missing, d)

    def test_links(self):
        pages = ("Pinote.html", "PinoteE.html")
        fine = '<h2 id="a">A</h2><a href="#a">a</a><a href="PinoteE.html">E</a><a href="https://x">x</a>'
        release.check_links(fine, "Pinote.html", pages)
        for broken in ['<a href="#nowhere">x</a>', '<a href="Other.html">x</a>']:
            with self.subTest(broken), self.assertRaises(SystemExit):
                release.check_links(broken, "Pinote.html", pages)


class ShippedText(unittest.TestCase):
    def test_white_space_between_japanese_characters(self):
        cases = [  # text, html, lines reported
            ("表示され\nます", False, [1]),
            ("<p>一文目です。\n二文目です。</p>", True, [1]),
            ("<p>タイトルが <span class=\"ui\">「Quillet」</span> のウィンドウ</p>", True, [1, 1]),
            ("<td>差出人</td>\n<td>名前</td>\n<li>あ</li>\n<li>い</li>", True, []),
            ("<p>Becky!\nのメニュー、Pinote.dat\nを開く</p>", True, []),
            ("段落です。\n\n次の段落です。", False, []),
            ("田中 太郎、株式会社サンプル 営業部、ＭＳ Ｐゴシック", False, []),
            ("<pre><code>田中 太郎\n株式会社サンプル</code></pre>", True, []),
            ("<!-- 注\n意 -->本文\n<style>a { }\n</style>", True, []),
            ("一\n二\n三", False, [1, 2]),
        ]
        for text, html, lines in cases:
            with self.subTest(text=text):
                found = release.japanese_breaks(text, html)
                self.assertEqual([int(f.split()[1].rstrip(":")) for f in found], lines, found)

    def test_what_a_user_reads_is_checked_before_packing(self):
        v = (0, 3, 2)
        page = '<p>Quillet for Becky!2 Ver.0.03 Rev.2</p><p>メモを開きます。</p>'.encode()
        release.check_shipped_text("Pinote.html", page, v)
        release.check_shipped_text("INSTALL.ja.txt", b"\xef\xbb\xbf" + "メモです。\r\n".encode(), v)
        release.check_shipped_text("Pinote.dll", b"MZ https://example.com/", v)
        bad = [("Pinote.html", page.replace(b"Ver.0.03 Rev.2", b"Ver.0.03 Rev.1")),
               ("PinoteE.html", page + b'<a href="https://quillet.example.org/">'),
               ("Pinote.dll", b"MZ" + "https://EXAMPLE.org/".encode("utf-16-le")),
               ("INSTALL.ja.txt", "メモを\r\n開きます。".encode()),
               ("Pinote.html", page + "<p>読み進められ\nます</p>".encode())]
        for name, data in bad:
            with self.subTest(name=name, data=data), self.assertRaises(SystemExit):
                release.check_shipped_text(name, data, v)

    def test_the_japanese_readme_reads_cleanly_too(self):
        # Not shipped, so the release does not look at it; the same rule keeps it clean.
        self.assertEqual(release.japanese_breaks(release.read_text("README.ja.md"), False), [])


class Archive(unittest.TestCase):
    def build(self, out):
        v = release.read_version(release.read_text("src/common/version.h"))
        text = release.version_text(v)
        dll = os.path.join(out, "Pinote.dll")
        with open(dll, "wb") as f:
            f.write(fake_dll(v + (0,), text, "%d.%d.%d.0" % v, text.encode()))
        os.environ["SOURCE_DATE_EPOCH"] = "1796688000"  # 2026-12-08 00:00 UTC
        target, _ = release.build(dll, out)
        self.assertEqual(os.path.basename(target), "Pinote-%s.zip" % release.archive_version(v))
        with open(target, "rb") as f:
            return f.read(), text

    def test_reproducible_and_complete(self):
        with tempfile.TemporaryDirectory() as a, tempfile.TemporaryDirectory() as b:
            first, text = self.build(a)
            second, _ = self.build(b)
        self.assertEqual(first, second)
        z = zipfile.ZipFile(io.BytesIO(first))
        names = z.namelist()
        self.assertEqual(names, ["INSTALL.en.txt", "INSTALL.ja.txt", "LICENSE", "Pinote.dll",
                                 "Pinote.html", "PinoteE.html", "SHA256SUMS"])
        for info in z.infolist():
            self.assertEqual(info.date_time, (2026, 12, 8, 0, 0, 0))
        sums = dict(reversed(line.split("  ")) for line in
                    z.read("SHA256SUMS").decode("ascii").splitlines())
        self.assertEqual(sorted(sums), [n for n in names if n != "SHA256SUMS"])
        for name, digest in sums.items():
            self.assertEqual(hashlib.sha256(z.read(name)).hexdigest(), digest, name)
        for notes in ("INSTALL.en.txt", "INSTALL.ja.txt"):
            data = z.read(notes)
            self.assertTrue(data.startswith(b"\xef\xbb\xbf"), notes)
            self.assertEqual(data.count(b"\n"), data.count(b"\r\n"), notes)
            self.assertIn(text, data.decode("utf-8-sig"), notes)
            self.assertNotIn("@VERSION@", data.decode("utf-8-sig"), notes)
        for page in ("Pinote.html", "PinoteE.html"):
            html = z.read(page).decode("utf-8")
            self.assertIn('<meta charset="utf-8">', html)
            self.assertEqual(html.count("<img"), html.count('src="data:image/png;base64,'), page)


if __name__ == "__main__":
    os.chdir(ROOT)
    unittest.main()
