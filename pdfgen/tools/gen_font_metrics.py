#!/usr/bin/env python3
"""Generates pdfgen/font_metrics_data.inc, the width tables of the built-in
font metrics.

The writer names the Windows TrueType fonts Courier New, Times New Roman,
Arial and Symbol without embedding them, so it must carry their advance
widths. They are taken once from metric-compatible free fonts and committed:

  - Liberation Serif / Sans 2 (package fonts-liberation2) for Times New Roman
    and Arial: cp1252 code -> Unicode -> glyph through the (3,1) cmap,
    advance width from hmtx, round(advance * 1000 / unitsPerEm). The codes
    cp1252 leaves unassigned take the width of glyph 0.
  - Standard Symbols PS (package fonts-urw-base35, AFM) for Symbol, in the
    font's own code set; codes 30, 31, 127..160, 240 and 255 are 600.
  - Courier New is 600 for every code and needs no table.

Run:  python3 pdfgen/tools/gen_font_metrics.py > pdfgen/font_metrics_data.inc
The build never reads font files.
"""
import struct
import sys

LIB = "/usr/share/fonts/truetype/liberation2/"
SYMBOL_AFM = "/usr/share/fonts/type1/urw-base35/StandardSymbolsPS.afm"

FIRST, LAST = 32, 255
UNASSIGNED = {129, 141, 143, 144, 157}

# Known widths each generated set must reproduce (code: width).
CODES = [32, 48, 64, 65, 77, 87, 97, 105, 109, 128, 129, 160, 215, 233]
KNOWN = {
    "TimesNewRoman":            [250, 500, 921, 722, 889, 944, 444, 278, 778, 500, 778, 250, 564, 444],
    "TimesNewRoman_Bold":       [250, 500, 930, 722, 944, 1000, 500, 278, 833, 500, 778, 250, 570, 444],
    "TimesNewRoman_Italic":     [250, 500, 920, 611, 833, 833, 500, 278, 722, 500, 778, 250, 675, 444],
    "TimesNewRoman_BoldItalic": [250, 500, 832, 667, 889, 889, 500, 278, 778, 500, 778, 250, 570, 444],
    "Arial":                    [278, 556, 1015, 667, 833, 944, 556, 222, 833, 556, 750, 278, 584, 556],
    "Arial_Bold":               [278, 556, 975, 722, 833, 944, 556, 278, 889, 556, 750, 278, 584, 556],
    "Symbol":                   [250, 500, 549, 722, 889, 768, 631, 329, 576, 600, 600, 600, 250, 384],
}


class TrueType:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        num_tables = struct.unpack(">H", self.data[4:6])[0]
        self.tables = {}
        for i in range(num_tables):
            tag, _, off, length = struct.unpack(">4sIII", self.data[12 + 16 * i: 28 + 16 * i])
            self.tables[tag.decode("latin-1")] = (off, length)
        head = self.table("head")
        self.units_per_em = struct.unpack(">H", head[18:20])[0]
        hhea = self.table("hhea")
        self.num_hmetrics = struct.unpack(">H", hhea[34:36])[0]
        self.cmap = self.read_cmap()

    def table(self, tag):
        off, length = self.tables[tag]
        return self.data[off: off + length]

    def read_cmap(self):
        cmap = self.table("cmap")
        n = struct.unpack(">H", cmap[2:4])[0]
        for i in range(n):
            pid, eid, off = struct.unpack(">HHI", cmap[4 + 8 * i: 12 + 8 * i])
            if (pid, eid) == (3, 1):
                return self.read_format4(cmap[off:])
        raise SystemExit("no (3,1) cmap")

    @staticmethod
    def read_format4(sub):
        fmt = struct.unpack(">H", sub[0:2])[0]
        if fmt != 4:
            raise SystemExit("cmap (3,1) is not format 4")
        segx2 = struct.unpack(">H", sub[6:8])[0]
        seg = segx2 // 2
        ends = struct.unpack(">%dH" % seg, sub[14: 14 + segx2])
        starts = struct.unpack(">%dH" % seg, sub[16 + segx2: 16 + 2 * segx2])
        deltas = struct.unpack(">%dh" % seg, sub[16 + 2 * segx2: 16 + 3 * segx2])
        ro_pos = 16 + 3 * segx2
        ranges = struct.unpack(">%dH" % seg, sub[ro_pos: ro_pos + segx2])
        mapping = {}
        for s in range(seg):
            for u in range(starts[s], ends[s] + 1):
                if u == 0xFFFF:
                    continue
                if ranges[s] == 0:
                    g = (u + deltas[s]) & 0xFFFF
                else:
                    p = ro_pos + 2 * s + ranges[s] + 2 * (u - starts[s])
                    g = struct.unpack(">H", sub[p: p + 2])[0]
                    if g:
                        g = (g + deltas[s]) & 0xFFFF
                mapping[u] = g
        return mapping

    def advance(self, glyph):
        hmtx = self.table("hmtx")
        i = min(glyph, self.num_hmetrics - 1)
        return struct.unpack(">H", hmtx[4 * i: 4 * i + 2])[0]

    def width(self, code):
        if code in UNASSIGNED:
            glyph = 0
        else:
            glyph = self.cmap.get(ord(bytes([code]).decode("cp1252")), 0)
        scaled = self.advance(glyph) * 1000 / self.units_per_em
        if abs(scaled - int(scaled) - 0.5) < 1e-9:
            raise SystemExit("rounding tie at code %d" % code)
        return int(scaled + 0.5)


def truetype_set(file_name):
    font = TrueType(LIB + file_name)
    return [font.width(c) for c in range(FIRST, LAST + 1)]


def symbol_set():
    widths = {}
    with open(SYMBOL_AFM, encoding="latin-1") as f:
        for line in f:
            if line.startswith("C "):
                fields = [p.strip() for p in line.split(";")]
                code = int(fields[0].split()[1])
                wx = int(fields[1].split()[1])
                if code >= 0:
                    widths[code] = wx
    forced = {30, 31, 240, 255} | set(range(127, 161))
    out = []
    for c in range(30, LAST + 1):
        if c in forced:
            out.append(600)
        elif c in widths:
            out.append(widths[c])
        else:
            raise SystemExit("Symbol code %d has no width" % c)
    return out


def check(name, first, values):
    for code, want in zip(CODES, KNOWN[name]):
        got = values[code - first]
        if got != want:
            raise SystemExit("%s code %d: %d, expected %d" % (name, code, got, want))


def emit(name, first, values):
    print("// %s: codes %d..%d" % (name, first, LAST))
    print("inline constexpr int16_t Larghezze_%s[%d] = {" % (name, len(values)))
    for i in range(0, len(values), 16):
        print("    " + ", ".join("%d" % v for v in values[i: i + 16]) + ",")
    print("};")
    print()


def main():
    sets = [
        ("TimesNewRoman", "LiberationSerif-Regular.ttf"),
        ("TimesNewRoman_Bold", "LiberationSerif-Bold.ttf"),
        ("TimesNewRoman_Italic", "LiberationSerif-Italic.ttf"),
        ("TimesNewRoman_BoldItalic", "LiberationSerif-BoldItalic.ttf"),
        ("Arial", "LiberationSans-Regular.ttf"),
        ("Arial_Bold", "LiberationSans-Bold.ttf"),
    ]
    print("// Generated by pdfgen/tools/gen_font_metrics.py; do not edit.")
    print("// Advance widths in 1/1000 em, one value per character code.")
    print()
    # Arial italic and bold italic share the widths of regular and bold; the
    # generator checks that the free fonts agree.
    shared = {"LiberationSans-Regular.ttf": "LiberationSans-Italic.ttf",
              "LiberationSans-Bold.ttf": "LiberationSans-BoldItalic.ttf"}
    for name, file_name in sets:
        values = truetype_set(file_name)
        if file_name in shared and truetype_set(shared[file_name]) != values:
            raise SystemExit("%s and %s differ" % (file_name, shared[file_name]))
        check(name, FIRST, values)
        emit(name, FIRST, values)
    for file_name in ["LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf",
                      "LiberationMono-Italic.ttf", "LiberationMono-BoldItalic.ttf"]:
        if set(truetype_set(file_name)) != {600}:
            raise SystemExit("%s is not 600 everywhere" % file_name)
    values = symbol_set()
    check("Symbol", 30, values)
    emit("Symbol", 30, values)


if __name__ == "__main__":
    sys.exit(main())
