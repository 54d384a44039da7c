#!/usr/bin/python3
"""Checks a PDF document the program exported for the patient's record.

    pdfa_check.py PDF --title TITLE [--paper A4|Letter] [--pages N]
                      [--lines FILE] [--rows FILE]

What is checked:
  - qpdf --check finds nothing wrong; pdffonts lists every font as embedded;
  - the PDF/A-1b requirements that can be read from the file (with pikepdf):
    the header's binary comment, the trailer's ID and no encryption; the XMP
    metadata stream, unfiltered, with pdfaid:part 1 and pdfaid:conformance B,
    no "bytes" or "encoding" in its packet header, and the title, creator,
    producer and creation date the same as in the information dictionary;
    the sRGB output intent with its ICC profile; no JavaScript, no
    attachments, no actions, no annotations; no transparency (constant
    alphas of 1, no soft masks, no transparency groups, no image with a soft
    mask or interpolation); every font's program embedded, each CID font with
    its CIDToGIDMap and a CIDSet that marks exactly the glyphs of its
    embedded TrueType program, and the widths of its /W array equal to the
    advance widths in that program;
  - the paper (MediaBox) and the number of pages;
  - `pdftotext -layout`: with --lines, its non-blank lines are the FILE's
    non-blank lines, word for word; with --rows, each non-blank line of FILE
    is found, word for word, within one line of the text.
Not checked: what needs a full PDF/A validator (veraPDF), such as the
rendering of each glyph or the ICC profile's contents.

Exit status: 0 all good, 1 something failed (each failure on its own line),
2 a usage error or a tool missing.
"""
import argparse
import datetime
import re
import shutil
import struct
import subprocess
import sys

LIGATURES = {"ﬀ": "ff", "ﬁ": "fi", "ﬂ": "fl", "ﬃ": "ffi", "ﬄ": "ffl", "ﬅ": "st", "ﬆ": "st"}
PAPERS = {"A4": (595, 842), "Letter": (612, 792)}
CREATOR = "BELVA MG 1.0"
XMP = {
    "dc": "{http://purl.org/dc/elements/1.1/}",
    "xmp": "{http://ns.adobe.com/xap/1.0/}",
    "pdf": "{http://ns.adobe.com/pdf/1.3/}",
    "pdfaid": "{http://www.aiim.org/pdfa/ns/id/}",
}

failures = []


def fail(message):
    failures.append(message)


def words(line):
    for ligature, letters in LIGATURES.items():
        line = line.replace(ligature, letters)
    return " ".join(line.split())


def non_blank(lines):
    return [w for w in (words(line) for line in lines) if w]


def run(*args):
    return subprocess.run(args, capture_output=True, text=True)


def check_tools(path):
    qpdf = run("qpdf", "--check", path)
    if qpdf.returncode != 0 or "No syntax or stream encoding errors found" not in qpdf.stdout or qpdf.stderr.strip():
        fail("qpdf --check: " + (qpdf.stdout + qpdf.stderr).strip().replace("\n", " | "))
    fonts = run("pdffonts", path)
    rows = fonts.stdout.splitlines()[2:]
    if fonts.returncode != 0 or not rows:
        fail("pdffonts lists no font: " + fonts.stderr.strip())
    for row in rows:
        # name type encoding emb sub uni object ID: "emb" is the fourth
        # column from the right.
        columns = row.split()
        if len(columns) < 7 or columns[-5] != "yes":
            fail("a font is not embedded: " + row)


def pdf_date(text):
    """A PDF date (D:YYYYMMDDHHmmSS with a time zone) as an aware datetime."""
    m = re.fullmatch(r"D:(\d{4})(\d\d)(\d\d)(\d\d)(\d\d)(\d\d)(Z|[+-]\d\d'?\d\d'?)?(?:00'00')?", text)
    if not m:
        return None
    tz = datetime.timezone.utc
    if m.group(7) and m.group(7) != "Z":
        sign = 1 if m.group(7)[0] == "+" else -1
        digits = m.group(7)[1:].replace("'", "")
        tz = datetime.timezone(sign * datetime.timedelta(hours=int(digits[:2]), minutes=int(digits[2:4])))
    return datetime.datetime(*(int(m.group(i)) for i in range(1, 7)), tzinfo=tz)


def truetype_metrics(program):
    """The number of glyphs, and their advance widths in thousandths of the em."""
    tables = {}
    count = struct.unpack(">H", program[4:6])[0]
    for i in range(count):
        tag, _, offset, length = struct.unpack(">4sIII", program[12 + 16 * i:28 + 16 * i])
        tables[tag] = program[offset:offset + length]
    glyphs = struct.unpack(">H", tables[b"maxp"][4:6])[0]
    units = struct.unpack(">H", tables[b"head"][18:20])[0]
    metrics = struct.unpack(">H", tables[b"hhea"][34:36])[0]
    hmtx = tables[b"hmtx"]
    advances = [struct.unpack(">H", hmtx[4 * i:4 * i + 2])[0] for i in range(metrics)]
    return glyphs, [a * 1000.0 / units for a in advances]


def w_array(pikepdf, widths):
    """The /W array of a CID font as {cid: width}."""
    out = {}
    items = list(widths)
    i = 0
    while i < len(items):
        first = int(items[i])
        if i + 1 < len(items) and isinstance(items[i + 1], pikepdf.Array):
            for k, w in enumerate(items[i + 1]):
                out[first + k] = float(w)
            i += 2
        else:
            last, w = int(items[i + 1]), float(items[i + 2])
            for cid in range(first, last + 1):
                out[cid] = w
            i += 3
    return out


def check_font(pikepdf, font, seen):
    if font.objgen in seen:
        return
    seen.add(font.objgen)
    subtype = str(font.get("/Subtype"))
    if subtype == "/Type0":
        for descendant in font.DescendantFonts:
            check_font(pikepdf, descendant, seen)
        return
    descriptor = font.get("/FontDescriptor")
    if descriptor is None or not any(k in descriptor for k in ("/FontFile", "/FontFile2", "/FontFile3")):
        fail(f"the font {font.get('/BaseFont')} has no embedded program")
        return
    if subtype != "/CIDFontType2":
        return
    name = str(font.get("/BaseFont"))
    if "/CIDToGIDMap" not in font:
        fail(f"the font {name} has no CIDToGIDMap")
    if "/CIDSet" not in descriptor:
        fail(f"the font {name} has no CIDSet")
    if "/FontFile2" not in descriptor:
        return
    glyphs, advances = truetype_metrics(bytes(descriptor.FontFile2.read_bytes()))
    identity = str(font.get("/CIDToGIDMap")) == "/Identity"
    if not identity:
        fail(f"the font {name} maps its CIDs through a table (not checked)")
        return
    if "/CIDSet" in descriptor:
        bits = bytes(descriptor.CIDSet.read_bytes())
        marked = {8 * i + b for i, byte in enumerate(bits) for b in range(8) if byte & (0x80 >> b)}
        if marked != set(range(glyphs)):
            fail(f"the font {name}: its CIDSet marks {len(marked)} CIDs, its program has {glyphs} glyphs")
    declared = w_array(pikepdf, font.get("/W", []))
    for cid, width in sorted(declared.items()):
        actual = advances[min(cid, len(advances) - 1)]
        if abs(width - actual) > 1:
            fail(f"the font {name}: glyph {cid} is {width:g} wide in /W, {actual:g} in the font program")


def check_metadata(pdf, root, title):
    metadata = root.get("/Metadata")
    if metadata is None:
        fail("no XMP metadata stream")
        return
    if "/Filter" in metadata:
        fail("the XMP metadata stream is filtered")
    packet = bytes(metadata.read_bytes())
    header = re.search(rb"<\?xpacket begin=[^>]*\?>", packet)
    if not header or b"bytes=" in header.group(0) or b"encoding=" in header.group(0):
        fail("the XMP packet header is missing or has bytes or encoding")
    xmp = pdf.open_metadata()
    expected = {
        XMP["pdfaid"] + "part": "1",
        XMP["pdfaid"] + "conformance": "B",
        XMP["dc"] + "title": title,
        XMP["xmp"] + "CreatorTool": CREATOR,
    }
    for key, value in expected.items():
        if xmp.get(key) != value:
            fail(f"XMP {key}: {xmp.get(key)!r}, expected {value!r}")
    info = pdf.docinfo
    for key, value in (("/Title", title), ("/Creator", CREATOR)):
        if str(info.get(key, "")) != value:
            fail(f"Info {key}: {str(info.get(key, ''))!r}, expected {value!r}")
    if "/Producer" in info and str(info.Producer) != xmp.get(XMP["pdf"] + "Producer"):
        fail("Info /Producer and XMP pdf:Producer differ")
    for info_key, xmp_key in (("/CreationDate", "CreateDate"), ("/ModDate", "ModifyDate")):
        if info_key not in info:
            continue
        stated = pdf_date(str(info[info_key]))
        try:
            xmp_date = datetime.datetime.fromisoformat(xmp.get(XMP["xmp"] + xmp_key, "").replace("Z", "+00:00"))
        except ValueError:
            xmp_date = None
        if stated is None or xmp_date is None or stated != xmp_date:
            fail(f"Info {info_key} and XMP xmp:{xmp_key} differ")


def check_document(path, title, paper, pages):
    import pikepdf

    with open(path, "rb") as f:
        head = f.read(64)
    second = head.split(b"\n")[1] if b"\n" in head else b""
    if not head.startswith(b"%PDF-1.4") or not (second.startswith(b"%") and sum(b > 127 for b in second[1:5]) == 4):
        fail("the header is not %PDF-1.4 followed by a comment of four binary bytes")

    pdf = pikepdf.open(path)
    trailer = pdf.trailer
    if "/Encrypt" in trailer:
        fail("the document is encrypted")
    if "/ID" not in trailer or len(trailer.ID) != 2:
        fail("the trailer has no ID")
    root = pdf.Root
    for key in ("/Names", "/OpenAction", "/AA", "/AcroForm", "/OCProperties"):
        if key in root:
            fail(f"the catalog holds {key}")

    check_metadata(pdf, root, title)

    intents = [i for i in root.get("/OutputIntents", []) if str(i.get("/S")) == "/GTS_PDFA1"]
    if len(intents) != 1:
        fail("no single PDF/A-1 output intent")
    elif "/DestOutputProfile" not in intents[0] or int(intents[0].DestOutputProfile.get("/N", 0)) != 3:
        fail("the output intent has no RGB ICC profile")

    if len(pdf.pages) != pages:
        fail(f"{len(pdf.pages)} pages, expected {pages}")
    fonts_seen = set()
    for number, page in enumerate(pdf.pages, 1):
        box = [float(v) for v in page.MediaBox]
        size = (round(box[2] - box[0]), round(box[3] - box[1]))
        if paper and size != PAPERS[paper]:
            fail(f"page {number} is {size[0]} x {size[1]} points, not {paper}")
        if len(page.obj.get("/Annots", [])) or "/AA" in page.obj:
            fail(f"page {number} has annotations or actions")
        group = page.obj.get("/Group")
        if group is not None and str(group.get("/S")) == "/Transparency":
            fail(f"page {number} is a transparency group")
        resources = page.Resources
        for _, state in resources.get("/ExtGState", {}).items():
            for key in ("/CA", "/ca"):
                if key in state and float(state[key]) != 1.0:
                    fail(f"page {number}: constant alpha {key} {float(state[key])}")
            if "/SMask" in state and str(state.SMask) != "/None":
                fail(f"page {number}: a soft mask")
            if "/BM" in state and str(state.BM) not in ("/Normal", "/Compatible"):
                fail(f"page {number}: blend mode {state.BM}")
        for name, image in resources.get("/XObject", {}).items():
            if "/SMask" in image or bool(image.get("/Interpolate", False)):
                fail(f"page {number}: the image {name} has a soft mask or interpolation")
            if str(image.get("/Subtype")) == "/Form" and "/Group" in image:
                fail(f"page {number}: the form {name} is a transparency group")
        for _, font in resources.get("/Font", {}).items():
            check_font(pikepdf, font, fonts_seen)
    for obj in pdf.objects:
        if isinstance(obj, pikepdf.Dictionary) and ("/JS" in obj or str(obj.get("/S", "")) == "/JavaScript"):
            fail("the document holds JavaScript")
            break


def check_text(path, lines_file, rows_file):
    text = run("pdftotext", "-layout", path, "-")
    if text.returncode != 0:
        fail("pdftotext cannot read the document: " + text.stderr.strip())
        return
    got = non_blank(text.stdout.splitlines())
    if lines_file:
        with open(lines_file, encoding="utf-8") as f:
            want = non_blank(f.read().splitlines())
        if got != want:
            for i, (g, w) in enumerate(zip(got + [""] * len(want), want + [""] * len(got))):
                if g != w:
                    fail(f"text line {i + 1}: {g!r}, expected {w!r}")
                    break
    if rows_file:
        with open(rows_file, encoding="utf-8") as f:
            for row in non_blank(f.read().splitlines()):
                if not any(f" {row} " in f" {line} " for line in got):
                    fail(f"no line of the text holds {row!r}")


def main():
    parser = argparse.ArgumentParser(description="Checks an exported PDF/A-1b document.")
    parser.add_argument("pdf")
    parser.add_argument("--title", required=True)
    parser.add_argument("--paper", choices=sorted(PAPERS))
    parser.add_argument("--pages", type=int, default=1)
    parser.add_argument("--lines")
    parser.add_argument("--rows")
    args = parser.parse_args()
    for tool in ("qpdf", "pdffonts", "pdftotext"):
        if not shutil.which(tool):
            print(f"{tool} is missing (run scripts/setup)", file=sys.stderr)
            return 2
    try:
        import pikepdf  # noqa: F401
    except ImportError:
        print("pikepdf is missing (run scripts/setup)", file=sys.stderr)
        return 2
    check_tools(args.pdf)
    check_document(args.pdf, args.title, args.paper, args.pages)
    check_text(args.pdf, args.lines, args.rows)
    for message in failures:
        print("FAIL:", message)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
