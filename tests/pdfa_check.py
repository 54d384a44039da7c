#!/usr/bin/python3
"""Checks a PDF document exported for the patient's record.

    pdfa_check.py PDF --title TITLE [--paper A4|Letter] [--pages N] [--lines FILE | --rows FILE]

qpdf --check finds nothing wrong; pdffonts lists every font as embedded;
pikepdf reads the PDF/A-1b identification (pdfaid:part 1, conformance B),
the title and creator in the XMP metadata and the information dictionary,
the sRGB output intent, and finds no encryption, JavaScript, attachment,
action, annotation or transparency; the pages have the paper and count
given. `pdftotext -layout` gives, with --lines, the FILE's non-blank lines
word for word; with --rows, each non-blank line of FILE within one line.
Exit status: 0 good, 1 failures (one a line), 2 a tool missing.
"""
import argparse
import shutil
import subprocess
import sys

LIGATURES = {"ﬀ": "ff", "ﬁ": "fi", "ﬂ": "fl", "ﬃ": "ffi", "ﬄ": "ffl"}
PAPERS = {"A4": (595, 842), "Letter": (612, 792)}
CREATOR = "BELVA MG 1.0"
PDFAID = "{http://www.aiim.org/pdfa/ns/id/}"
failures = []


def words(line):
    for ligature, letters in LIGATURES.items():
        line = line.replace(ligature, letters)
    return " ".join(line.split())


def non_blank(text):
    return [w for w in map(words, text.splitlines()) if w]


def run(*args):
    return subprocess.run(args, capture_output=True, text=True)


def check_structure(pikepdf, path, title, paper, pages):
    qpdf = run("qpdf", "--check", path)
    if qpdf.returncode != 0 or "No syntax or stream encoding errors found" not in qpdf.stdout:
        failures.append("qpdf --check: " + " | ".join((qpdf.stdout + qpdf.stderr).splitlines()))
    fonts = run("pdffonts", path).stdout.splitlines()[2:]
    # The "emb" column is the fifth from the right.
    if not fonts or any(len(row.split()) < 7 or row.split()[-5] != "yes" for row in fonts):
        failures.append("fonts not all embedded: " + " | ".join(fonts))

    pdf = pikepdf.open(path)
    xmp = pdf.open_metadata()
    info = pdf.docinfo
    expected = {
        "XMP pdfaid:part": (xmp.get(PDFAID + "part"), "1"),
        "XMP pdfaid:conformance": (xmp.get(PDFAID + "conformance"), "B"),
        "XMP dc:title": (xmp.get("dc:title"), title),
        "XMP xmp:CreatorTool": (xmp.get("xmp:CreatorTool"), CREATOR),
        "Info /Title": (str(info.get("/Title", "")), title),
        "Info /Creator": (str(info.get("/Creator", "")), CREATOR),
    }
    for what, (got, want) in expected.items():
        if got != want:
            failures.append(f"{what}: {got!r}, expected {want!r}")
    root = pdf.Root
    intents = [i for i in root.get("/OutputIntents", []) if str(i.get("/S")) == "/GTS_PDFA1"]
    if len(intents) != 1 or int(intents[0].DestOutputProfile.get("/N", 0)) != 3:
        failures.append("no PDF/A-1 output intent with an RGB profile")
    if "/Encrypt" in pdf.trailer or any(k in root for k in ("/Names", "/OpenAction", "/AA", "/AcroForm")):
        failures.append("encryption, attachments, scripts or actions in the catalog")
    for obj in pdf.objects:
        if isinstance(obj, pikepdf.Dictionary) and ("/JS" in obj or str(obj.get("/S", "")) == "/JavaScript"):
            failures.append("JavaScript in the document")
            break

    if len(pdf.pages) != pages:
        failures.append(f"{len(pdf.pages)} pages, expected {pages}")
    for number, page in enumerate(pdf.pages, 1):
        box = [float(v) for v in page.MediaBox]
        if paper and (round(box[2] - box[0]), round(box[3] - box[1])) != PAPERS[paper]:
            failures.append(f"page {number} is not {paper}: {box}")
        if len(page.obj.get("/Annots", [])) or "/AA" in page.obj or "/Group" in page.obj:
            failures.append(f"page {number} has annotations, actions or a transparency group")
        for _, state in page.Resources.get("/ExtGState", {}).items():
            if any(float(state.get(k, 1)) != 1 for k in ("/CA", "/ca")) or str(state.get("/SMask", "/None")) != "/None":
                failures.append(f"page {number} uses transparency")
        for _, image in page.Resources.get("/XObject", {}).items():
            if "/SMask" in image or "/Group" in image:
                failures.append(f"page {number} has a soft mask or a transparency group")


def check_text(path, lines_file, rows_file):
    got = non_blank(run("pdftotext", "-layout", path, "-").stdout)
    if lines_file:
        with open(lines_file, encoding="utf-8") as f:
            want = non_blank(f.read())
        for i, (g, w) in enumerate(zip(got + [""] * len(want), want + [""] * len(got))):
            if g != w:
                failures.append(f"text line {i + 1}: {g!r}, expected {w!r}")
                break
    if rows_file:
        with open(rows_file, encoding="utf-8") as f:
            for row in non_blank(f.read()):
                if not any(f" {row} " in f" {line} " for line in got):
                    failures.append(f"no line of the text holds {row!r}")


def main():
    parser = argparse.ArgumentParser(description="Checks an exported PDF/A-1b document.")
    parser.add_argument("pdf")
    parser.add_argument("--title", required=True)
    parser.add_argument("--paper", choices=sorted(PAPERS))
    parser.add_argument("--pages", type=int, default=1)
    parser.add_argument("--lines")
    parser.add_argument("--rows")
    args = parser.parse_args()
    try:
        import pikepdf
    except ImportError:
        pikepdf = None
    missing = [t for t in ("qpdf", "pdffonts", "pdftotext") if not shutil.which(t)] + ([] if pikepdf else ["pikepdf"])
    if missing:
        print("missing (run scripts/setup):", " ".join(missing), file=sys.stderr)
        return 2
    check_structure(pikepdf, args.pdf, args.title, args.paper, args.pages)
    check_text(args.pdf, args.lines, args.rows)
    for message in failures:
        print("FAIL:", message)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
