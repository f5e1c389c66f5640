#!/usr/bin/env python3
"""Writes the printer data files of the demo and of the qmr tests.

One file per simulated printer; snmpsimd serves a file under the community
of its name, so the demo and the tests copy each file to public.snmprec
(reads) and private.snmprec (the job cancel) of a printer's data directory.

Run: python3 tools/demo-data/make-printers.py tools/demo-data
"""
import os
import sys

M7300 = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.5"
M7300P = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6"
FOREIGN = "1.3.6.1.4.1.64471.2.7.400"
NETWARE = "1.3.6.1.4.1.58114.8.64.4.2.1.7.10.19159104"
UTF8 = 106

HR_STORAGE = "1.3.6.1.2.1.25.2.3.1"
HR_DEVICE = "1.3.6.1.2.1.25.3.2.1"
HR_PRINTER = "1.3.6.1.2.1.25.3.5.1"
PRT_INPUT = "1.3.6.1.2.1.43.8.2.1"
PRT_OUTPUT = "1.3.6.1.2.1.43.9.2.1"
PRT_SUPPLY = "1.3.6.1.2.1.43.11.1.1"
PRT_MEDIA_PATH = "1.3.6.1.2.1.43.13.4.1"
PRT_ALERT = "1.3.6.1.2.1.43.18.1.1"
JOB = "1.3.6.1.4.1.58114.8.59"
TEXTS = "1.3.6.1.4.1.58114.8.51"
JOB_TYPE = "1.3.6.1.4.1.58114.8.58.2"
CANCEL = "1.3.6.1.4.1.58114.8.76.3.2.1.1.101.8"

# Text lookup groups: the first index sub-identifier of the column a code
# comes from.
GROUP_JOB = 1
GROUP_STATE = 2
STATES = {1: "Printing", 2: "Waiting", 3: "Held", 4: "Stored", 5: "Cancelling"}


def oid_key(oid):
    return [int(x) for x in oid.split(".")]


def date_and_time(y, mo, d, h, mi, s):
    return "%04x%02x%02x%02x%02x%02x00" % (y, mo, d, h, mi, s) + "2b0000"


class Printer:
    def __init__(self):
        self.rows = {}

    def add(self, oid, tag, value):
        self.rows[oid] = (tag, str(value))

    def system(self, descr, model, name, location, uptime):
        self.add("1.3.6.1.2.1.1.1.0", 4, descr)
        self.add("1.3.6.1.2.1.1.2.0", 6, model)
        self.add("1.3.6.1.2.1.1.3.0", 67, uptime)
        self.add("1.3.6.1.2.1.1.4.0", 4, "helpdesk@example.net")
        self.add("1.3.6.1.2.1.1.5.0", 4, name)
        self.add("1.3.6.1.2.1.1.6.0", 4, location)

    def storage(self, rows):
        for i, (kind, descr, unit, size) in enumerate(rows, 1):
            self.add(f"{HR_STORAGE}.1.{i}", 2, i)
            self.add(f"{HR_STORAGE}.2.{i}", 6, f"1.3.6.1.2.1.25.2.1.{kind}")
            self.add(f"{HR_STORAGE}.3.{i}", 4, descr)
            self.add(f"{HR_STORAGE}.4.{i}", 2, unit)
            self.add(f"{HR_STORAGE}.5.{i}", 2, size)

    def devices(self, rows):
        for index, type_oid, descr, status in rows:
            self.add(f"{HR_DEVICE}.1.{index}", 2, index)
            self.add(f"{HR_DEVICE}.2.{index}", 6, type_oid)
            self.add(f"{HR_DEVICE}.3.{index}", 4, descr)
            self.add(f"{HR_DEVICE}.5.{index}", 2, status)

    def printer(self, status, error_hex):
        self.add(f"{HR_PRINTER}.1.1", 2, status)
        self.add(f"{HR_PRINTER}.2.1", "4x", error_hex)

    def inputs(self, rows):
        for i, t in enumerate(rows, 1):
            (kind, feed, cross, cap, level, status, media, name, model, descr, mtype, colour) = t
            values = {2: (2, kind), 3: (2, 4), 4: (2, feed), 5: (2, cross), 6: (2, feed), 7: (2, cross),
                      8: (2, 8), 9: (2, cap), 10: (2, level), 11: (2, status), 12: (4, media),
                      13: (4, name), 15: (4, model), 18: (4, descr), 21: (4, mtype), 22: (4, colour)}
            for column, (tag, value) in values.items():
                self.add(f"{PRT_INPUT}.{column}.1.{i}", tag, value)

    def outputs(self, rows):
        for i, (kind, status, name, model, descr, stacking) in enumerate(rows, 1):
            values = {2: (2, kind), 6: (2, status), 7: (4, name), 9: (4, model), 12: (4, descr), 24: (2, stacking)}
            for column, (tag, value) in values.items():
                self.add(f"{PRT_OUTPUT}.{column}.1.{i}", tag, value)

    def media_paths(self, types):
        for i, kind in enumerate(types, 1):
            self.add(f"{PRT_MEDIA_PATH}.9.1.{i}", 2, kind)

    def supplies(self, rows):
        for i, (klass, descr, unit, cap, level) in enumerate(rows, 1):
            values = {5: (2, klass), 6: (4, descr), 7: (2, unit), 8: (2, cap), 9: (2, level)}
            for column, (tag, value) in values.items():
                self.add(f"{PRT_SUPPLY}.{column}.1.{i}", tag, value)

    def alerts(self, rows):
        for index, severity, group, group_index, location, code, descr in rows:
            values = {2: severity, 4: group, 5: group_index, 6: location, 7: code}
            for column, value in values.items():
                self.add(f"{PRT_ALERT}.{column}.1.{index}", 2, value)
            self.add(f"{PRT_ALERT}.8.1.{index}", 4, descr)

    def charsets(self, charset):
        self.add("1.3.6.1.2.1.43.5.1.1.2.1", 2, 1)
        self.add("1.3.6.1.2.1.43.7.1.1.4.1.1", 2, charset)
        self.add(f"{TEXTS}.3.1.1.1.1", 2, 1)
        self.add(f"{TEXTS}.4.1.1.7.1.1", 2, charset)

    def text(self, group, code, value):
        self.add(f"{TEXTS}.5.1.1.4.{group}.{code}.{UTF8}", 4, value)

    def jobs(self, rows):
        for state, text in STATES.items():
            self.text(GROUP_STATE, state, text)
        for n, job in enumerate(rows, 1):
            (job_id, kind, klass, priority, pages, copies, owner, document, state,
             submitted, started, finished, text) = job
            assert len(job_id) == 8
            owner_code, document_code = 100 + n, 200 + n
            self.text(GROUP_JOB, owner_code, owner)
            self.text(GROUP_JOB, document_code, document)
            row = f"{GROUP_JOB}.{n}"
            self.add(f"{JOB}.6.1.1.3.{row}", 4, text)
            self.add(f"{JOB}.6.1.1.4.{row}", 6, f"{JOB_TYPE}.{kind}")
            self.add(f"{JOB}.6.1.1.5.{row}", 2, owner_code)
            self.add(f"{JOB}.6.1.1.6.{row}", 2, document_code)
            self.add(f"{JOB}.6.1.1.9.{row}", 2, klass)
            self.add(f"{JOB}.6.1.1.10.{row}", 2, priority)
            self.add(f"{JOB}.16.1.1.4.{row}", "4x", date_and_time(*started))
            self.add(f"{JOB}.16.1.1.5.{row}", 66, pages)
            self.add(f"{JOB}.16.1.1.6.{row}", 66, copies)
            self.add(f"{JOB}.16.1.1.7.{row}", "4x", date_and_time(*finished))
            id_index = ".".join(str(ord(c)) for c in job_id)
            state_row = f"{GROUP_STATE}.{n}.{id_index}"
            self.add(f"{JOB}.10.1.1.7.{state_row}", 2, state)
            self.add(f"{JOB}.10.1.1.10.{state_row}", "4x", date_and_time(*submitted))
            # The cancel request; snmpsimd's writecache accepts the SET.
            self.add(f"{CANCEL}.{id_index}", "2:writecache", "value=0")

    def write(self, path):
        with open(path, "w") as out:
            for oid in sorted(self.rows, key=oid_key):
                tag, value = self.rows[oid]
                out.write(f"{oid}|{tag}|{value}\n")


def common_devices(rom, unit_status):
    return [
        (1, "1.3.6.1.2.1.25.3.1.5", rom, 2),
        (2, "1.3.6.1.2.1.25.3.1.4", "Gigabit Ethernet controller", 2),
        (102, "1.3.6.1.4.1.58114.8.52.2.102", "Colour scanner", 2),
        (103, "1.3.6.1.4.1.58114.8.52.2.103", "Copier unit", 2),
        (105, "1.3.6.1.4.1.58114.8.52.2.105", "Print engine", unit_status),
        (108, "1.3.6.1.4.1.58114.8.52.2.108", "Staple finisher", 2),
    ]


def vellumcraft_7300():
    p = Printer()
    p.system("Vellumcraft 7300 colour multifunction printer", M7300, "vc7300-floor2",
             "Floor 2, copy room", 8640000)
    p.add("1.3.6.1.2.1.25.2.2.0", 2, 1048576)
    p.add(NETWARE, 4, "VC7300_FLOOR2")
    p.storage([(2, "Main memory", 1024, 1048576), (4, "Internal hard disk", 4096, 39062500),
               (8, "Font RAM disk", 1024, 65536)])
    p.devices(common_devices("Printer Controller v12.10.3 - Processor", 2))
    p.printer(3, "2000")  # idle, lowToner
    p.inputs([
        (3, 297000, 210000, 550, 412, 0, "A4 plain", "Tray 1", "TM-550", "Paper tray 1", "stationery", "white"),
        (3, 279400, 215900, 550, 96, 0, "Letter plain", "Tray 2", "TM-550", "Paper tray 2", "stationery", "white"),
        (3, 420000, 297000, 550, 0, 8, "A3 plain", "Tray 3", "TM-550L", "Large capacity tray",
         "stationery", "white"),
        (5, 210000, 148000, 100, -3, 0, "A5", "Bypass", "MSI", "Manual feed slot", "labels", "white"),
    ])
    p.outputs([(4, 0, "Center tray", "CENTER TRAY", "Face-down output tray", 1),
               (3, 0, "Finisher bin", "FIN-3", "Staple finisher bin", 3)])
    p.media_paths([2, 3])
    p.supplies([
        (3, "Black toner cartridge", 13, 5000, 3650),
        (3, "Cyan toner cartridge", 13, 3000, 1350),
        (3, "Magenta toner cartridge", 13, 3000, 330),
        (3, "Yellow toner cartridge", 13, 3000, 2640),
        (4, "Waste toner box", 18, 100, 35),
        (3, "Imaging drum", 7, 60000, 38500),
        (3, "Staples", 18, 5000, -3),
    ])
    p.alerts([
        (3, 4, 8, 3, 0, 808, "Tray 3 is empty. Load A3 plain paper."),
        (5, 4, 11, 3, 0, 1104, "Magenta toner is low. Order a replacement."),
    ])
    p.charsets(UTF8)
    p.jobs([
        ("JOB00041", 1, 5, 50, 24, 2, "mrossi", "Quarterly report.pdf", 1,
         (2026, 12, 8, 9, 41, 5), (2026, 12, 8, 9, 41, 7), (0, 0, 0, 0, 0, 0), "from WS-0412"),
        ("JOB00042", 1, 5, 50, 3, 1, "akaur", "Invoice 2026-118.docx", 2,
         (2026, 12, 8, 9, 42, 30), (0, 0, 0, 0, 0, 0), (0, 0, 0, 0, 0, 0), "from WS-0388"),
        ("JOB00043", 2, 5, 40, 1, 5, "tnguyen", "Floor plan, level 2.pdf", 2,
         (2026, 12, 8, 9, 44, 12), (0, 0, 0, 0, 0, 0), (0, 0, 0, 0, 0, 0), "from WS-0102"),
        ("JOB00037", 5, 17, 50, 6, 1, "hr-batch", "Payroll December (secure)", 3,
         (2026, 12, 8, 8, 2, 45), (0, 0, 0, 0, 0, 0), (0, 0, 0, 0, 0, 0), "held for PIN release"),
        ("JOB00039", 7, 17, 50, 8, 40, "design", "Brochure proof v3", 4,
         (2026, 12, 7, 17, 55, 0), (2026, 12, 7, 17, 55, 4), (2026, 12, 7, 17, 58, 31), "stored on disk"),
    ])
    return p


def vellumcraft_7300p():
    p = Printer()
    p.system("Vellumcraft 7300P production printer", M7300P, "vc7300p-print-room",
             "Basement, print room", 123456700)
    p.add("1.3.6.1.2.1.25.2.2.0", 2, 2097152)
    p.add(NETWARE, 4, "VC7300P_PRINTROOM")
    p.storage([(2, "Main memory", 1024, 2097152), (4, "Job store disk", 4096, 122070312)])
    p.devices(common_devices("Printer Controller v12.11.0 - Processor", 3))
    p.printer(4, "0400")  # printing, jammed
    p.inputs([
        (3, 279400, 215900, 1500, 1120, 0, "Letter 90g", "Tray 1", "HCF-1500", "High capacity feeder",
         "stationery", "white"),
        (3, 355600, 215900, 500, 0, 19, "Legal", "Tray 2", "TM-500", "Paper tray 2", "stationery", "white"),
        (3, 431800, 279400, 500, 240, 0, "Ledger", "Tray 3", "TM-500L", "Paper tray 3", "stationery", "ivory"),
        (3, 241300, 104775, 250, 180, 0, "Envelope #10", "Envelope feeder", "EF-250", "Envelope feeder",
         "envelope", "white"),
        (5, 297000, 210000, 150, 150, 0, "A4 heavy", "Bypass", "MSI", "Manual feed slot",
         "cardstock", "white"),
    ])
    p.outputs([(4, 0, "Center tray", "CENTER TRAY", "Face-down output tray", 1),
               (3, 8, "Stacker", "STK-2000", "High capacity stacker", 3)])
    p.media_paths([2, 4])
    p.supplies([
        (3, "Black toner cartridge", 13, 12000, 1080),
        (3, "Imaging drum", 7, 200000, 171000),
        (3, "Fuser unit", 7, 300000, 45000),
        (4, "Waste toner box", 18, 100, 91),
    ])
    p.alerts([
        (1, 3, 13, 2, 0, 8, "Paper jam at tray 2 feed roller. Open door B."),
        (4, 4, 11, 1, 0, 1104, "Black toner is low."),
        (6, 4, 9, 2, 0, 902, "Stacker is almost full."),
    ])
    p.charsets(UTF8)
    p.jobs([
        ("JOB00311", 1, 5, 60, 480, 25, "print-room", "Annual report 2026 (final)", 1,
         (2026, 12, 8, 9, 30, 0), (2026, 12, 8, 9, 31, 12), (0, 0, 0, 0, 0, 0), "from PRINT-SRV"),
        ("JOB00312", 1, 5, 50, 12, 1, "lbernard", "Conference badges", 2,
         (2026, 12, 8, 9, 46, 51), (0, 0, 0, 0, 0, 0), (0, 0, 0, 0, 0, 0), "from WS-0077"),
        ("JOB00298", 5, 17, 50, 2, 1, "legal", "Contract 4471 \u2013 \"signed\" copy", 3,
         (2026, 12, 8, 7, 15, 3), (0, 0, 0, 0, 0, 0), (0, 0, 0, 0, 0, 0), "held for PIN release"),
    ])
    return p


def unsupported_printer():
    p = Printer()
    p.system("Inkwell LaserPro 400", FOREIGN, "inkwell-reception", "Reception", 4410000)
    p.devices([(1, "1.3.6.1.2.1.25.3.1.5", "Inkwell LaserPro 400", 2)])
    p.printer(3, "00")
    p.supplies([(3, "Toner", 19, 100, 64)])
    return p


def vellumcraft_7300_bad_job():
    """The 7300 with the third job's identifier cut short: the job list
    cannot be read, everything else can (for the tests of partial reports)."""
    p = vellumcraft_7300()
    for column in ("10.1.1.7", "10.1.1.10"):
        prefix = f"{JOB}.{column}.{GROUP_STATE}.3."
        for oid in [o for o in p.rows if o.startswith(prefix)]:
            p.rows[f"{JOB}.{column}.{GROUP_STATE}.3.74"] = p.rows.pop(oid)
    return p


def without(p, prefix):
    for oid in [o for o in p.rows if o.startswith(prefix + ".")]:
        del p.rows[oid]
    return p


def check_ok():
    """A 7300 with nothing to report: for the OK state of `qmr check`."""
    p = without(vellumcraft_7300(), PRT_ALERT)
    p.printer(3, "00")  # idle, no error condition
    p.add(f"{PRT_SUPPLY}.9.1.3", 2, 2000)  # magenta toner 67 %
    p.add(f"{PRT_INPUT}.10.1.3", 2, 300)  # tray 3 no longer empty
    return p


def check_warning():
    """Low toner in two ways, a warning alert, two supplies of one name,
    and a printer status outside the MIB's list with no NetWare name."""
    p = check_ok()
    del p.rows[NETWARE]
    p.printer(0, "2000")  # lowToner
    p.add(f"{PRT_SUPPLY}.9.1.3", 2, 450)  # magenta toner 15 %
    p.add(f"{PRT_SUPPLY}.6.1.4", 4, "Black toner cartridge")  # a second black one
    p.alerts([(1, 4, 11, 3, 0, 1104, "Magenta toner is low. Order a replacement.")])
    return p


def check_critical():
    """A door open, a critical alert, an empty tray and toner nearly out."""
    p = check_ok()
    p.printer(4, "0800")  # doorOpen
    p.add(f"{PRT_SUPPLY}.9.1.1", 2, 150)  # black toner 3 %
    p.add(f"{PRT_INPUT}.10.1.2", 2, 0)  # tray 2 empty
    p.alerts([(1, 3, 6, 2, 0, 501, "Door B is open | close it."),
              (2, 4, 8, 2, 0, 808, "Tray 2 is empty.")])
    return p


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    vellumcraft_7300().write(os.path.join(out, "vellumcraft-7300.snmprec"))
    vellumcraft_7300p().write(os.path.join(out, "vellumcraft-7300p.snmprec"))
    unsupported_printer().write(os.path.join(out, "inkwell-400.snmprec"))
    vellumcraft_7300_bad_job().write(os.path.join(out, "vellumcraft-7300-badjob.snmprec"))
    check_ok().write(os.path.join(out, "check-ok.snmprec"))
    check_warning().write(os.path.join(out, "check-warning.snmprec"))
    check_critical().write(os.path.join(out, "check-critical.snmprec"))


if __name__ == "__main__":
    main()
