"""Opens the DXF files in ezdxf, an independent reader: the default ones are
checked against a model of the pattern built here from the inputs alone, and
every one (defaults and edge hoods) with shapely's strict polygon test, as CAM
and nesting programs check a cut contour."""
import math
import sys

import ezdxf
from shapely.geometry import LineString, Point, Polygon
from shapely.validation import explain_validity

H, L1, L2, P1, P2, D = 100.0, 200.0, 400.0, 3.0, 2.0, 2.0


def crossing(r1, c1, r2, c2):
    """Crossing of two circles with the larger y (c1 right of c2)."""
    (x1, y1), (x2, y2) = c1, c2
    dx, dy = x2 - x1, y2 - y1
    dist = math.hypot(dx, dy)
    a = (r1 * r1 - r2 * r2 + dist * dist) / (2 * dist)
    h = math.sqrt(r1 * r1 - a * a)
    mx, my = x1 + a * dx / dist, y1 + a * dy / dist
    candidates = [(mx + h * dy / dist, my - h * dx / dist), (mx - h * dy / dist, my + h * dx / dist)]
    return max(candidates, key=lambda p: p[1])


def model():
    r04 = math.hypot(H, L1 / 2)
    r42 = math.sqrt(H * H + L1 * L1 / 4 + L2 * L2 / 4)
    p = {"0": (0.0, 0.0), "1": (L2 / 2, 0.0), "4": (0.0, r04)}
    p["2"] = crossing(L1, p["1"], r42, p["4"])
    p["3"] = crossing(L2 / 2, p["2"], r04, p["4"])
    for a, b in (("5", "3"), ("6", "2"), ("7", "1")):
        p[a] = (-p[b][0], p[b][1])

    def offset(point, toward, across, dist):
        """`point` moved by `dist` square to the line toward `across` side."""
        (x, y), (ux, uy) = point, toward
        n = math.hypot(ux, uy)
        return (x + across * -uy / n * dist, y + across * ux / n * dist)

    # Seam strips: a line parallel to the seam edge at the allowance, down to the axis.
    def strip(corner, allowance, side):
        cx, cy = p[corner]
        ax, ay = p["4"]
        edge = (cx - ax, cy - ay)
        fx, fy = offset((cx, cy), edge, side, allowance)
        t = -fx / edge[0]
        return (fx, fy), (0.0, fy + t * edge[1])

    p["F1"], p["F2"] = strip("3", P1, 1)
    p["F3"], p["F4"] = strip("5", P2, -1)
    # Wire band 2.5 d wide: along the back edge outwards from the apex, square
    # off the side edge, straight down off the front edge.
    w = 2.5 * D
    r = math.hypot(*(p["3"][i] - p["4"][i] for i in (0, 1)))
    u = tuple((p["3"][i] - p["4"][i]) / r for i in (0, 1))
    p["W1"] = (p["3"][0] + u[0] * w, p["3"][1] + u[1] * w)
    p["W2"] = (p["2"][0] + u[0] * w, p["2"][1] + u[1] * w)
    side = (p["2"][0] - p["1"][0], p["2"][1] - p["1"][1])
    p["W3"] = offset(p["2"], side, -1, w)
    p["W4"] = offset(p["1"], side, -1, w)
    p["W5"] = (p["1"][0], -w)
    for i in range(1, 6):
        x, y = p[f"W{i}"]
        p[f"W{i}'"] = (-x, y)
    return p


def area(points):
    twice = 0.0
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        twice += x1 * y2 - x2 * y1
    return abs(twice) / 2


CONTOURS = {
    1: "1 2 3 4 5 6 7",
    2: "1 2 3 F1 F2 F4 F3 5 6 7",
    3: "3 W1 W2 2 W3 W4 1 W5 W5' 7 W4' W3' 6 W2' W1' 5 F3 F4 F2 F1",
}
# The slit from the shorter strip's end on the axis down to the apex.
SLITS = {1: None, 2: "F4 4", 3: "F4 4"}
LAYERS = {1: {"FOLD": 4}, 2: {"FOLD": 4, "SEAM": 2}, 3: {"FOLD": 4, "SEAM": 2, "WIRE": 5}}


def check(folder, kind, p, failures):
    path = f"{folder}/type{kind}.dxf"
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    if auditor.has_errors or auditor.has_fixes:
        failures.append(f"{path}: audit errors {[e.message for e in auditor.errors]}, "
                        f"fixes {[f.message for f in auditor.fixes]}")
    if doc.dxfversion != "AC1009":
        failures.append(f"{path}: version {doc.dxfversion}")
    if doc.header.get("$INSUNITS") != 4 or doc.header.get("$MEASUREMENT") != 1:
        failures.append(f"{path}: units header")

    msp = doc.modelspace()
    closed, slit = cut_shapes(path, msp, failures)
    if closed is None:
        return
    got = closed
    names = CONTOURS[kind].split()
    want = [p[n] for n in names]
    if len(got) != len(want) or any(
            math.hypot(g[0] - w[0], g[1] - w[1]) > 1e-6 for g, w in zip(got, want)):
        failures.append(f"{path}: contour differs from the model: {got} != {want}")
    want_slit = [p[n] for n in SLITS[kind].split()] if SLITS[kind] else None
    if (slit is None) != (want_slit is None) or (slit is not None and any(
            math.hypot(g[0] - w[0], g[1] - w[1]) > 1e-6 for g, w in zip(slit, want_slit))):
        failures.append(f"{path}: slit {slit} != {want_slit}")

    counts = {}
    for e in msp:
        if e.dxftype() == "LINE":
            counts[e.dxf.layer] = counts.get(e.dxf.layer, 0) + 1
        elif e.dxftype() != "POLYLINE":
            failures.append(f"{path}: unexpected {e.dxftype()}")
    if counts != LAYERS[kind]:
        failures.append(f"{path}: lines by layer {counts}")

    base = area([p[n] for n in "1 2 3 4 5 6 7".split()])
    parts = base
    if kind >= 2:
        parts += area([p[n] for n in "3 F1 F2 4".split()])
        parts += area([p[n] for n in "5 F3 F4 4".split()])
    if kind == 3:
        for band in ("3 W1 W2 2", "2 W3 W4 1", "1 W5 W5' 7", "7 W4' W3' 6", "6 W2' W1' 5"):
            parts += area([p[n] for n in band.split()])
    if kind == 1:
        slant_l1 = math.sqrt(H * H + L2 * L2 / 4)
        summary = L2 * math.hypot(H, L1 / 2) + L1 * slant_l1
        if abs(base - summary) > 1e-6 * summary:
            failures.append(f"{path}: base {base} != summary pattern area {summary}")
    contour = area(got)
    if abs(contour - parts) > 1e-6 * parts:
        failures.append(f"{path}: contour area {contour} != parts {parts}")
    print(f"type {kind}: {len(got)} vertices, area {contour:.6f} mm2, audit clean")


def cut_shapes(path, msp, failures):
    """The closed contour and the open slit on CUT, as vertex lists."""
    polylines = [e for e in msp if e.dxftype() == "POLYLINE"]
    closed = [e for e in polylines if e.is_closed]
    opened = [e for e in polylines if not e.is_closed]
    if len(closed) != 1 or len(opened) > 1 or any(e.dxf.layer != "CUT" for e in polylines):
        failures.append(f"{path}: not one closed polyline and at most one open one, on CUT")
        return None, None
    vertices = [[(v.dxf.location.x, v.dxf.location.y) for v in e.vertices]
                for e in closed + opened]
    return vertices[0], vertices[1] if opened else None


def view_on_pattern(path, doc, bounds, failures):
    """$EXTMIN/$EXTMAX are the contour's box and the active viewport holds it."""
    lo, hi = doc.header.get("$EXTMIN"), doc.header.get("$EXTMAX")
    if lo is None or hi is None or (lo[0], lo[1], hi[0], hi[1]) != bounds:
        failures.append(f"{path}: extents {lo} {hi}, contour {bounds}")
    active = doc.viewports.get_config("*Active")
    if len(active) != 1:
        failures.append(f"{path}: {len(active)} active viewports")
        return
    v = active[0].dxf
    w, h = bounds[2] - bounds[0], bounds[3] - bounds[1]
    centre = ((bounds[0] + bounds[2]) / 2, (bounds[1] + bounds[3]) / 2)
    if (math.hypot(v.center[0] - centre[0], v.center[1] - centre[1]) > 1e-9 * max(1, w, h)
            or v.height < h or v.height * v.aspect_ratio < w):
        failures.append(f"{path}: view at {v.center}, {v.height} high, {v.aspect_ratio} wide "
                        f"to high, does not show the pattern {bounds}")


def strict(path, H, L1, failures):
    """The contour is a valid simple polygon; the slit starts on it, runs
    inside it and ends at the apex."""
    doc = ezdxf.readfile(path)
    closed, slit = cut_shapes(path, doc.modelspace(), failures)
    if closed is None:
        return
    polygon = Polygon(closed)
    view_on_pattern(path, doc, polygon.bounds, failures)
    if not polygon.is_valid or not polygon.exterior.is_simple:
        failures.append(f"{path}: contour is not a valid polygon: {explain_validity(polygon)}")
    if len(set(closed)) != len(closed):
        failures.append(f"{path}: contour passes a vertex twice")
    if slit is None:
        return
    scale = max(abs(c) for xy in closed for c in xy)
    apex = (0.0, math.hypot(H, L1 / 2))
    if len(slit) != 2:
        failures.append(f"{path}: slit of {len(slit)} vertices")
        return
    if polygon.exterior.distance(Point(slit[0])) > 1e-9 * scale:
        failures.append(f"{path}: slit starts off the contour at {slit[0]}")
    if math.hypot(slit[1][0] - apex[0], slit[1][1] - apex[1]) > 1e-9 * scale:
        failures.append(f"{path}: slit ends at {slit[1]}, not at the apex {apex}")
    if slit[0][0] != 0 or slit[1][0] != 0:
        failures.append(f"{path}: slit off the axis: {slit}")
    if not polygon.covers(LineString(slit)):
        failures.append(f"{path}: slit leaves the contour")


def main():
    folder = sys.argv[1]
    p = model()
    failures = []
    for kind in (1, 2, 3):
        check(folder, kind, p, failures)
    with open(f"{folder}/hoods.txt", encoding="ascii") as hoods:
        listed = [line.split() for line in hoods if line.strip()]
    for name, H, _L1, _L2 in listed:
        strict(f"{folder}/{name}", float(H), float(_L1), failures)
    print(f"{len(listed)} files: contours valid, slits from the contour to the apex")
    for f in failures:
        print("FAIL", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
