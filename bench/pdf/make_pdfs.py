#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Documents for the PDF benchmark, written directly (no library needed):
   make_pdfs.py big PATH MEGABYTES   a PDF of four pages, Info and XMP, and one content stream
                                     of the given size: the same objects whatever the size
   make_pdfs.py many FOLDER COUNT SAMPLE...   COUNT copies of the samples, in turn"""
import shutil
import sys
from pathlib import Path

XMP = (b'<?xpacket begin="\xef\xbb\xbf" id="W5M0MpCehiHzreSzNTczkc9d"?>'
       b'<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF '
       b'xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"><rdf:Description rdf:about="" '
       b'xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:title><rdf:Alt>'
       b'<rdf:li xml:lang="x-default">Bench</rdf:li></rdf:Alt></dc:title></rdf:Description>'
       b'</rdf:RDF></x:xmpmeta><?xpacket end="w"?>')
CHUNK = 1 << 20


def big(path, megabytes):
    offsets = []
    with open(path, "wb") as out:
        out.write(b"%PDF-1.7\n%\xe2\xe3\xcf\xd3\n")

        def obj(body):
            offsets.append(out.tell())
            out.write(b"%d 0 obj\n" % len(offsets) + body + b"\nendobj\n")

        obj(b"<< /Type /Catalog /Pages 2 0 R /Metadata 4 0 R >>")
        obj(b"<< /Type /Pages /Kids [5 0 R 6 0 R 7 0 R 8 0 R] /Count 4 >>")
        obj(b"<< /Title (Bench) /Author (Quorvel) /Producer (make_pdfs.py) >>")
        obj(b"<< /Type /Metadata /Subtype /XML /Length %d >>\nstream\n" % len(XMP) + XMP +
            b"\nendstream")
        for _ in range(4):
            obj(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 9 0 R >>")
        size = megabytes * CHUNK
        offsets.append(out.tell())
        out.write(b"9 0 obj\n<< /Length %d >>\nstream\n" % size)
        line = b"0 0 m 1 1 l S\n" * (CHUNK // 14) + b" " * (CHUNK % 14)
        for _ in range(megabytes):
            out.write(line)
        out.write(b"\nendstream\nendobj\n")
        xref = out.tell()
        out.write(b"xref\n0 %d\n0000000000 65535 f \n" % (len(offsets) + 1))
        for offset in offsets:
            out.write(b"%010d 00000 n \n" % offset)
        out.write(b"trailer\n<< /Size %d /Root 1 0 R /Info 3 0 R >>\nstartxref\n%d\n%%%%EOF\n"
                  % (len(offsets) + 1, xref))


def many(folder, count, samples):
    folder.mkdir(parents=True, exist_ok=True)
    for i in range(count):
        shutil.copyfile(samples[i % len(samples)], folder / ("doc%04d.pdf" % i))


if __name__ == "__main__":
    if sys.argv[1] == "big":
        big(sys.argv[2], int(sys.argv[3]))
    else:
        many(Path(sys.argv[2]), int(sys.argv[3]), sys.argv[4:])
