"""Checks the template PDFs with poppler: every page of the defaults is A4 in
the orientation the program chose, and the magenta check square on every page
renders 100 mm x 100 mm within 0.2 mm; on every page of every template no two
words (point names, labels, the title block's lines) lie on each other."""
import glob
import html
import re
import subprocess
import sys
import tempfile

DPI = 254  # 10 pixels per millimetre
A4 = (595.276, 841.89)  # points, portrait
TOLERANCE_MM = 0.2


def page_sizes(path):
    out = subprocess.run(["pdfinfo", "-f", "1", "-l", "9999", path], check=True,
                         capture_output=True, text=True).stdout
    return [(float(w), float(h)) for w, h in
            re.findall(r"Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts", out)]


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    # P6 header: magic, width, height, maxval, each followed by whitespace.
    fields = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    width, height = int(fields.group(1)), int(fields.group(2))
    return width, height, data[fields.end():]


def magenta(pixels, width, x, y):
    i = 3 * (y * width + x)
    r, g, b = pixels[i], pixels[i + 1], pixels[i + 2]
    return r > 180 and b > 180 and g < 100


def runs(flags):
    """Centres of the runs of True in a list of flags."""
    centres, start = [], None
    for i, f in enumerate(flags + [False]):
        if f and start is None:
            start = i
        elif not f and start is not None:
            centres.append((start + i - 1) / 2)
            start = None
    return centres


def square_sides(width, height, pixels):
    xs, ys = [], []
    for y in range(0, height, 4):
        for x in range(0, width, 4):
            if magenta(pixels, width, x, y):
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    mid_y = (min(ys) + max(ys)) // 2
    mid_x = (min(xs) + max(xs)) // 2
    across = runs([magenta(pixels, width, x, mid_y) for x in range(width)])
    down = runs([magenta(pixels, width, mid_x, y) for y in range(height)])
    if len(across) < 2 or len(down) < 2:
        return None
    return (across[-1] - across[0]) * 25.4 / DPI, (down[-1] - down[0]) * 25.4 / DPI


def check(path, failures):
    sizes = page_sizes(path)
    if not sizes:
        failures.append(f"{path}: no pages")
        return
    for n, (w, h) in enumerate(sizes, 1):
        if abs(min(w, h) - A4[0]) > 0.5 or abs(max(w, h) - A4[1]) > 0.5:
            failures.append(f"{path} page {n}: {w} x {h} pt is not A4")
        if (w > h) != (sizes[0][0] > sizes[0][1]):
            failures.append(f"{path} page {n}: orientation differs from page 1")
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["pdftoppm", "-r", str(DPI), path, f"{tmp}/page"], check=True)
        for n in range(1, len(sizes) + 1):
            digits = len(str(len(sizes)))
            ppm = f"{tmp}/page-{n:0{digits}d}.ppm"
            width, height, pixels = read_ppm(ppm)
            expected = (round(sizes[n - 1][0] / 72 * DPI), round(sizes[n - 1][1] / 72 * DPI))
            if abs(width - expected[0]) > 1 or abs(height - expected[1]) > 1:
                failures.append(f"{path} page {n}: rendered {width}x{height}, want {expected}")
            sides = square_sides(width, height, pixels)
            if sides is None:
                failures.append(f"{path} page {n}: no check square")
                continue
            for side in sides:
                if abs(side - 100) > TOLERANCE_MM:
                    failures.append(f"{path} page {n}: check square side {side:.3f} mm")
            print(f"{path} page {n}: {w:.1f} x {h:.1f} pt, square "
                  f"{sides[0]:.2f} x {sides[1]:.2f} mm")


# Liberation Sans, in ems: poppler's word box runs from the ascent to the
# descent; the ink of capitals and digits from the cap height to the baseline.
ASCENT, DESCENT, CAP = 0.905, 0.212, 0.729
WORD = re.compile(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">'
                  r'([^<]*)</word>')


def words_apart(path, failures):
    out = subprocess.run(["pdftotext", "-bbox", path, "-"], check=True,
                         capture_output=True, text=True).stdout
    for n, page in enumerate(out.split("<page ")[1:], 1):
        inks = []
        for x0, y0, x1, y1, text in WORD.findall(page):
            x0, y0, x1, y1 = map(float, (x0, y0, x1, y1))
            em = (y1 - y0) / (ASCENT + DESCENT)
            inks.append((x0, y0 + (ASCENT - CAP) * em, x1, y1 - DESCENT * em,
                         html.unescape(text)))
        for i, a in enumerate(inks):
            for b in inks[i + 1:]:
                if a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]:
                    failures.append(f"{path} page {n}: \"{a[4]}\" lies on \"{b[4]}\"")


def main():
    failures = []
    for kind in (1, 2, 3):
        check(f"{sys.argv[1]}/type{kind}.pdf", failures)
    for path in sorted(glob.glob(f"{sys.argv[1]}/*.pdf")):
        words_apart(path, failures)
    for f in failures:
        print("FAIL", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
