# Writes the printer data files opt-*.snmprec of the option tests (one file
# per scenario; snmpsimd serves each under its name as community).
# Run: python3 tests/data/opt-records.py tests/data
import os, sys
OUT = sys.argv[1]
M5 = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.5"
M6 = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6"
NW = "1.3.6.1.4.1.58114.8.64.4.2.1.7.10.19159104"

def key(oid): return [int(x) for x in oid.split('.')]

class F:
    def __init__(s): s.r = {}
    def add(s, oid, tag, val): s.r[oid] = (tag, str(val))
    def system(s, model, name="lab-printer", loc="Room 4"):
        s.add("1.3.6.1.2.1.1.1.0", 4, "Vellumcraft printer")
        s.add("1.3.6.1.2.1.1.2.0", 6, model)
        s.add("1.3.6.1.2.1.1.5.0", 4, name)
        s.add("1.3.6.1.2.1.1.6.0", 4, loc)
    def memory(s, kb): s.add("1.3.6.1.2.1.25.2.2.0", 2, kb)
    def netware(s, name): s.add(NW, 4, name)
    def storage(s, rows):
        for i, t in rows:
            b = "1.3.6.1.2.1.25.2.3.1"
            s.add(f"{b}.1.{i}", 2, i); s.add(f"{b}.2.{i}", 6, f"1.3.6.1.2.1.25.2.1.{t}")
            s.add(f"{b}.3.{i}", 4, f"storage {i}"); s.add(f"{b}.4.{i}", 2, 1024); s.add(f"{b}.5.{i}", 2, 4096)
    def devices(s, rows):
        for i, st, d in rows:
            b = "1.3.6.1.2.1.25.3.2.1"
            s.add(f"{b}.1.{i}", 2, i); s.add(f"{b}.2.{i}", 6, "1.3.6.1.2.1.25.3.1.5")
            s.add(f"{b}.3.{i}", 4, d); s.add(f"{b}.5.{i}", 2, st)
    def inputs(s, rows):
        # (type, unit, feed, xfeed, capunit, max, level, name, model, descr, mtype)
        for n, r in enumerate(rows, 1):
            b = "1.3.6.1.2.1.43.8.2.1"
            t, u, f, x, cu, mx, lv, nm, md, de, mt = r
            ix = f"1.{n}"
            for col, tag, v in [(2,2,t),(3,2,u),(4,2,f),(5,2,x),(6,2,f),(7,2,x),(8,2,cu),(9,2,mx),(10,2,lv),(11,2,0),
                                (12,4,"plain"),(13,4,nm),(15,4,md),(18,4,de),(21,4,mt),(22,4,"white")]:
                s.add(f"{b}.{col}.{ix}", tag, v)
    def outputs(s, rows):
        for n, (t, model, off) in enumerate(rows, 1):
            b = "1.3.6.1.2.1.43.9.2.1"
            ix = f"1.{n}"
            s.add(f"{b}.2.{ix}", 2, t); s.add(f"{b}.6.{ix}", 2, 0); s.add(f"{b}.7.{ix}", 4, f"Bin {n}")
            s.add(f"{b}.9.{ix}", 4, model); s.add(f"{b}.12.{ix}", 4, f"output {n}"); s.add(f"{b}.24.{ix}", 2, off)
    def paths(s, types):
        for n, t in enumerate(types, 1):
            s.add(f"1.3.6.1.2.1.43.13.4.1.9.1.{n}", 2, t)
    def write(s, name):
        with open(os.path.join(OUT, name + ".snmprec"), "w") as fh:
            for oid in sorted(s.r, key=key):
                tag, v = s.r[oid]
                fh.write(f"{oid}|{tag}|{v}\n")

ROM = "Printer Controller v12.10.3 - Processor"
LONG_NAME = "N" * 70           # cut to 63
LONG_DESCR = "D" * 300         # cut to 255

# Everything a refresh reads, with the media-size and percent cases.
f = F(); f.system(M5); f.memory(524288); f.netware("VC7300-NW")
f.devices([(1, 5, ROM), (102, 5, "Scanner"), (104, 2, "Fax"), (105, 2, "Engine"), (108, 2, "Finisher"), (110, 2, "x")])
f.storage([(1, 2), (2, 4), (3, 8), (4, 9)])
f.inputs([
    (4, 4, 297000, 210000, 8, 250, 125, "Tray 1", "TM-1", "first tray", "stationery"),
    (5, 4, 210000, 297000, 8, 3, 1, "Bypass", "MSI", "manual feed", "transparency"),
    (4, 4, 211999, 298999, 8, 1, 1, "Tray 3", "TM-3", "third", "plain"),
    (4, 4, 212001, 297000, 8, 250, -3, "Tray 4", "TM-4", "fourth", "plain"),
    (4, 3, 297000, 210000, 8, 0, 5, "Tray 5", "TM-5", "fifth", "plain"),
    (4, 4, 297000, 210000, 16, 500, 100, LONG_NAME, "TM-6", LONG_DESCR, "plain"),
])
f.outputs([(3, "Finisher", 3), (3, "center tray", 1)])
f.paths([2, 3])
f.write("opt-full")

# Second model, path type 4, removable disk, no index-1 device row.
f = F(); f.system(M6, "second", "Hall"); f.memory(1023); f.netware("P-NW")
f.devices([(2, 2, ROM), (103, 2, "Copier")])
f.storage([(1, 5)])
f.inputs([(4, 4, 297000, 210000, 8, 100, 100, "Only", "TM", "only tray", "plain")])
f.outputs([(3, "CENTER TRAY", 3), (3, "Finisher", 1)])
f.paths([4])
f.write("opt-second")

# Sixty devices (index 102 is the sixtieth row), 21 input trays, storage
# types 9 and 10 only, simplex paths.
f = F(); f.system(M5); f.memory(2048); f.netware("many")
f.devices([(i, 2, f"device {i}") for i in range(1, 60)] + [(102, 2, "Scanner")])
f.storage([(1, 9), (2, 10), (3, 2)])
f.inputs([(4, 4, 297000, 210000, 8, 100, n, f"Tray {n}", "TM", "tray", "plain") for n in range(1, 22)])
f.paths([1, 2])
f.write("opt-many")

# A model outside the table (".61" only starts like ".6").
f = F(); f.system(M6 + "1", "foreign"); f.memory(1024); f.netware("none")
f.devices([(1, 2, ROM)])
f.write("opt-foreign")

# A model below a supported one.
f = F(); f.system(M6 + ".1", "sub"); f.write("opt-sub")

# The input-tray walk gets no answer: the agent drops it.
f = F(); f.system(M5, "half", "Basement"); f.memory(4096); f.netware("half")
f.devices([(1, 2, ROM)])
# hrPrinterTable keeps the device walk's last GETNEXT off the dropped record.
f.add("1.3.6.1.2.1.25.3.5.1.1.1", 2, 3)
f.inputs([(4, 4, 297000, 210000, 8, 250, 125, "Tray 1", "TM-1", "first tray", "plain")])
f.r["1.3.6.1.2.1.43.8.2.1.2.1.1"] = ("2:delay", "value=4,wait=100000")
f.storage([(1, 4)])
f.paths([3])
f.write("opt-fail")
