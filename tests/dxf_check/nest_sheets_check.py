"""Reads back the sheets `kiv nest` wrote, with ezdxf and shapely rather than
the program's own geometry: every file audits clean, every part's cut contour
is a valid polygon inside its sheet by the margin, no two parts on a sheet are
closer than the gap, every copy of every hood is there exactly once, and all
copies of a hood are the same shape (equal edge lengths and area).

Usage: nest_sheets_check.py FOLDER GAP MARGIN HOOD:QTY ...
(HOOD: the number in a copy's label, the hood's place in the order from 1)"""
import glob
import os
import re
import sys
from collections import defaultdict

import ezdxf
from shapely.geometry import Point, Polygon, box

TOLERANCE = 1e-3  # mm


def main():
    folder, gap, margin = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
    expected = {int(l): int(q) for l, q in (a.split(":") for a in sys.argv[4:])}
    faults = []
    seen = defaultdict(list)  # line -> copies
    shapes = defaultdict(list)  # line -> (area, edge lengths)
    files = sorted(glob.glob(os.path.join(folder, "sheet-*.dxf")),
                   key=lambda f: int(re.search(r"(\d+)\.dxf$", f).group(1)))
    if not files:
        faults.append("no sheet files")
    for path in files:
        name = os.path.basename(path)
        doc = ezdxf.readfile(path)
        audit = doc.audit()
        if audit.has_errors:
            faults.append(f"{name}: audit errors {[str(e) for e in audit.errors]}")
        msp = doc.modelspace()
        sheets = [p for p in msp.query("POLYLINE") if p.dxf.layer == "SHEET"]
        if len(sheets) != 1:
            faults.append(f"{name}: {len(sheets)} sheet outlines")
            continue
        xs = [v.dxf.location.x for v in sheets[0].vertices]
        ys = [v.dxf.location.y for v in sheets[0].vertices]
        usable = box(min(xs) + margin - TOLERANCE, min(ys) + margin - TOLERANCE,
                     max(xs) - margin + TOLERANCE, max(ys) - margin + TOLERANCE)
        parts = []
        for p in msp.query("POLYLINE"):
            if p.dxf.layer == "CUT" and p.is_closed:
                pts = [(v.dxf.location.x, v.dxf.location.y) for v in p.vertices]
                poly = Polygon(pts)
                if not poly.is_valid:
                    faults.append(f"{name}: a contour is not a valid polygon")
                parts.append((poly, pts))
        labels = [(t.dxf.text, Point(t.dxf.align_point.x, t.dxf.align_point.y))
                  for t in msp.query("TEXT") if t.dxf.layer == "LABELS"]
        if len(labels) != len(parts):
            faults.append(f"{name}: {len(parts)} parts but {len(labels)} labels")
        for text, at in labels:
            line, copy = (int(x) for x in text.split("-"))
            seen[line].append(copy)
            poly, pts = min(parts, key=lambda part: part[0].distance(at))
            edges = sorted(round(Point(pts[i]).distance(Point(pts[i - 1])), 3)
                           for i in range(len(pts)))
            shapes[line].append((round(poly.area, 1), edges))
        for i, (a, _) in enumerate(parts):
            if not usable.contains(a):
                faults.append(f"{name}: part {i} outside the sheet's margin")
            for j in range(i + 1, len(parts)):
                d = a.distance(parts[j][0])
                if d < gap - TOLERANCE:
                    faults.append(f"{name}: parts {i} and {j} {d:.4f} mm apart")
    for line, qty in expected.items():
        if sorted(seen[line]) != list(range(1, qty + 1)):
            faults.append(f"line {line}: copies {sorted(seen[line])}, expected 1..{qty}")
        if any(s != shapes[line][0] for s in shapes[line]):
            faults.append(f"line {line}: copies differ in shape")
    for line in seen:
        if line not in expected:
            faults.append(f"line {line}: not in the order")
    for f in faults:
        print(f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
