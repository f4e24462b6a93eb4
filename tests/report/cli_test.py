#!/usr/bin/python3
"""sismavue-report as a program in a pipe: the three table formats read back
with Python's own csv and json modules, and failed writes to standard output.

    cli_test.py PATH-OF-SISMAVUE-REPORT
"""

import csv
import glob
import io
import json
import math
import re
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

REPORT = None


def record(path, count, station="ABC"):
    lines = ["Number of Samples: %d" % count, "SPS: 100",
             "Station Code: " + station, "Component Name: Z", "Data:"]
    lines += ["%.6e" % (((i * 37) % 101 - 50) * 1e-6) for i in range(1, count + 1)]
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("utf-8"))


def mseed(path, values, channel=b"EHZ"):
    """Records of 32-bit integers, 512 bytes each, written from the layout:
    the fixed header, blockette 1000, the samples."""
    with open(path, "wb") as f:
        for first in range(0, len(values), 114):
            part = values[first:first + 114]
            start = 10 * 3600 + first // 100
            header = b"%06dD " % (first // 114 + 1) + b"BGLD " + b"  " + channel + b"XX"
            header += struct.pack(">HHBBBBH", 2024, 61, start // 3600, start // 60 % 60, start % 60, 0,
                                  first % 100 * 100)
            header += struct.pack(">HhhBBBBiHH", len(part), 100, 1, 0, 0, 0, 1, 0, 56, 48)
            header += struct.pack(">HHBBBB", 1000, 0, 3, 1, 9, 0)
            f.write((header + struct.pack(">%di" % len(part), *part)).ljust(512, b"\0"))


def run(args, **kwargs):
    return subprocess.run([REPORT] + args, capture_output=True, timeout=60, **kwargs)


def tsv_unescape(field):
    out, i = [], 0
    while i < len(field):
        if field[i] == "\\":
            out.append({"t": "\t", "r": "\r", "n": "\n", "\\": "\\"}[field[i + 1]])
            i += 2
        else:
            out.append(field[i])
            i += 1
    return "".join(out)


def text(data):
    # Paths are bytes; a byte that is not UTF-8 comes back as it went in.
    return data.decode("utf-8", "surrogateescape")


class Tables(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="sismavue-cli-")
        self.addCleanup(shutil.rmtree, self.dir)
        names = ["plain.psn", 'comma,quote"line\nfeed.psn', "tab\tcr\rback\\slash.psn"]
        self.files = [os.path.join(self.dir, n) for n in names]
        for i, path in enumerate(self.files):
            record(path, 3000 + 500 * i, 'A,"B\tC' if i == 1 else "ABC")
        # A name that is not UTF-8, and a file that cannot be read, in the middle.
        self.files.insert(2, os.path.join(self.dir, "missing.psn"))
        self.files.append(os.fsdecode(os.path.join(self.dir, "latin\xe9.psn").encode("latin-1")))
        record(self.files[-1], 2000)
        self.args = ["--segment", "10:2800"] + self.files

    def table(self, fmt, extra=()):
        proc = run(["--format", fmt] + list(extra) + self.args)
        self.assertEqual(proc.returncode, 1, proc.stderr)
        return proc

    def test_csv_and_json_agree_with_tsv_field_for_field(self):
        tsv_proc = run(self.args)
        self.assertEqual(tsv_proc.returncode, 1)
        lines = tsv_proc.stdout.split(b"\n")
        self.assertEqual(lines.pop(), b"")
        tsv = [[tsv_unescape(text(f)) for f in line.split(b"\t")] for line in lines]
        self.assertTrue(all(len(row) == 9 for row in tsv), tsv)
        self.assertEqual([row[0] for row in tsv[1:]],
                         [f for f in self.files if "missing" not in f])

        csv_text = text(self.table("csv").stdout)
        self.assertTrue(csv_text.endswith("\r\n"))
        rows = list(csv.reader(io.StringIO(csv_text, newline=""), strict=True))
        self.assertEqual(rows[0], tsv[0])
        self.assertEqual(len(rows), len(tsv))
        for got, want in zip(rows[1:], tsv[1:]):
            self.assertEqual(got, want[:3] + [f.lstrip(" ") for f in want[3:]])

        items = json.loads(self.table("json").stdout.decode("utf-8"))
        self.assertEqual(len(items), len(self.files))
        self.assertEqual(items[2]["file"], self.files[2])
        self.assertTrue(items[2]["error"].startswith("cannot be opened"), items[2])
        del items[2]
        keys = ["file", "station", "component", "start", "end", "maxPeak", "rms",
                "lawMaxSlow", "freqMax"]
        for item, want in zip(items, tsv[1:]):
            self.assertEqual(list(item)[:9], keys)
            name = want[0].encode("utf-8", "surrogateescape").decode("utf-8", "replace")
            self.assertEqual([item[k] for k in keys[:3]], [name] + want[1:3])
            self.assertEqual([item["start"], item["end"]], [int(want[3]), int(want[4])])
            self.assertEqual([item[k] for k in keys[5:]], [float(f) for f in want[5:]])
            self.assertEqual(item["sampleRate"], 100)
            self.assertIsNone(item["sensitivity"])
        self.assertEqual([i["sampleCount"] for i in items], [3000, 3500, 4000, 2000])

    def test_exceedance_rows_agree_in_every_format_and_a_file_without_any_adds_none(self):
        quiet = os.path.join(self.dir, "quiet.psn")
        with open(quiet, "wb") as f:
            f.write(b"Number of Samples: 3\r\nSPS: 100\r\nData:\r\n1e-9\r\n0\r\n-1e-9\r\n")
        args = ["--exceedances", "--threshold", "60"] + self.files + [quiet]
        tsv_proc = run(args)
        self.assertEqual(tsv_proc.returncode, 1)
        lines = tsv_proc.stdout.split(b"\n")
        self.assertEqual(lines.pop(), b"")
        tsv = [[tsv_unescape(text(f)) for f in line.split(b"\t")] for line in lines]
        self.assertEqual(tsv[0], ["File", "Label", "ID", "Start", "End", "StartTime", "Offset",
                                  "Duration", "LawMax", "LawMaxTime"])
        self.assertEqual({row[0] for row in tsv[1:]}, {f for f in self.files if "missing" not in f})

        csv_proc = run(["--format", "csv"] + args)
        rows = list(csv.reader(io.StringIO(text(csv_proc.stdout), newline=""), strict=True))
        self.assertEqual(rows, tsv)

        items = json.loads(run(["--format", "json"] + args).stdout.decode("utf-8"))
        self.assertEqual([i["file"] for i in items if "error" in i], [self.files[2]])
        items = [i for i in items if "error" not in i]
        self.assertEqual(len(items), len(tsv) - 1)
        keys = ["kind", "file", "station", "component", "startSample", "endSample", "startTime",
                "offset", "duration", "lawMax", "lawMaxTime"]
        for item, want in zip(items, tsv[1:]):
            self.assertEqual(list(item), keys)
            self.assertEqual(item["kind"], "exceedance")
            self.assertEqual([item["startSample"], item["endSample"]], [int(want[3]), int(want[4])])
            self.assertIsNone(item["startTime"])
            self.assertEqual([item[k] for k in keys[7:]], [float(f) for f in want[6:]])
            self.assertGreaterEqual(item["lawMax"], 60)   # above 60 dB, printed to 2 decimals

    def test_no_header_leaves_out_only_the_header_line(self):
        for fmt in ("tsv", "csv"):
            whole = self.table(fmt).stdout
            bare = self.table(fmt, ["--no-header"]).stdout
            self.assertEqual(bare, whole[whole.index(b"\n") + 1:], fmt)
        whole = run(["--spectrum", self.files[0]]).stdout
        bare = run(["--spectrum", "--no-header", self.files[0]]).stdout
        self.assertEqual(bare, whole[whole.index(b"\n") + 1:])


class Records(unittest.TestCase):
    def test_a_record_through_dash_gives_the_rows_of_the_file(self):
        folder = tempfile.mkdtemp(prefix="sismavue-cli-")
        self.addCleanup(shutil.rmtree, folder)
        text, binary = os.path.join(folder, "r.psn"), os.path.join(folder, "r.mseed")
        record(text, 3000)
        mseed(binary, [round(800 * ((i * 37) % 101 - 50) / 50) for i in range(3000)])
        for path in (text, binary):
            args = ["--sensitivity", "1e6"] if path == binary else []
            want = run(args + [path])
            self.assertEqual(want.returncode, 0, want.stderr)
            with open(path, "rb") as f:
                data = f.read()
            with open(path, "rb") as f:
                redirected = run(args + ["-"], stdin=f)
            piped = run(args + ["-"], input=data)
            for got in (redirected, piped):
                self.assertEqual(got.returncode, 0, got.stderr)
                self.assertEqual(got.stdout.replace(b"-\t", path.encode() + b"\t", 1), want.stdout)
                self.assertIn(b"\tBGLD\tEHZ\t" if path == binary else b"\tABC\tZ\t", got.stdout)


    def test_the_librarys_messages_stay_off_standard_error(self):
        folder = tempfile.mkdtemp(prefix="sismavue-cli-")
        self.addCleanup(shutil.rmtree, folder)
        path = os.path.join(folder, "long.mseed")
        mseed(path, list(range(100)))
        with open(path, "r+b") as f:
            f.seek(54)
            f.write(bytes([30]))   # a record of 2^30 bytes
        proc = run([path])
        self.assertEqual(proc.returncode, 1)
        self.assertEqual(proc.stderr, ("sismavue-report: %s: the record at byte 0 announces a length that does "
                                       "not fit: Record length is out of range: 1073741824 (allowed: 128 to "
                                       "1048576)\n" % path).encode())


def wavelet(phase, count=4000, amplitude=5000):
    """A 10 Hz burst at 100 samples/s in the middle of the record, in counts."""
    return [round(amplitude * math.sin(2 * math.pi * 10 * i / 100 + phase) *
                  math.exp(-((i - count // 2) / 300) ** 2)) for i in range(count)]


def psn_record(path, channel, counts, rate=100, sensitivity=1e6):
    lines = ["Number of Samples: %d" % len(counts), "SPS: %d" % rate, "Station Code: BGLD",
             "Component Name: " + channel, "Start Time: 2024/03/01 10:00:00.000", "Data:"]
    lines += [repr(c / sensitivity) for c in counts]
    with open(path, "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")


def station_xml(path, units):
    channels = "".join(
        '<Channel code="%s" locationCode=""><Response><InstrumentSensitivity><Value>1E6</Value>'
        '<Frequency>1</Frequency><InputUnits><Name>%s</Name></InputUnits></InstrumentSensitivity>'
        '</Response></Channel>' % (code, unit) for code, unit in units)
    with open(path, "w") as f:
        f.write('<?xml version="1.0"?>\n<FDSNStationXML xmlns="http://www.fdsn.org/xml/station/1" '
                'schemaVersion="1.1"><Network code="XX"><Station code="BGLD">%s</Station></Network>'
                '</FDSNStationXML>\n' % channels)


class Assessments(unittest.TestCase):
    """--assess: sets of three components from one miniSEED file or from
    files given together, and input that cannot be assessed."""

    STRUCTURE_KEYS = ["kind", "file", "network", "station", "location", "channel", "startTime", "ppv",
                      "ppvTime", "frequencyZeroCrossing", "frequencySpectrum", "frequencySpectrumSecond",
                      "frequencyUsed", "frequencyMethod", "limit", "ratio", "verdict", "notes"]
    SET_KEYS = ["kind", "file", "network", "station", "location", "channels", "startTime", "pvs",
                "pvsTime", "governing", "verdict", "notes"]

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="sismavue-cli-")
        self.addCleanup(shutil.rmtree, self.dir)
        self.codes = ["EHZ", "EHN", "EHE"]
        # Three bursts a third of a turn apart: their vector sum is 1.2247
        # times one's amplitude, where the per-axis peaks would give 1.7321.
        self.counts = [wavelet(k * 2 * math.pi / 3) for k in range(3)]
        self.mseed = self.path("three.mseed")
        with open(self.mseed, "wb") as out:
            for code, counts in zip(self.codes, self.counts):
                mseed(self.path(code), counts, code.encode())
                with open(self.path(code), "rb") as f:
                    out.write(f.read())
        self.psn = [self.path(code + ".psn") for code in self.codes]
        for path, code, counts in zip(self.psn, self.codes, self.counts):
            psn_record(path, code, counts)

    def path(self, name):
        return os.path.join(self.dir, name)

    def rows(self, args, status=0):
        proc = run(["--assess"] + args + ["--format", "json"])
        self.assertEqual(proc.returncode, status, proc.stderr)
        return json.loads(proc.stdout.decode("utf-8")), text(proc.stderr)

    def test_a_set_from_one_miniseed_file_is_the_set_of_three_files_given_together(self):
        binary, _ = self.rows(["din4150-3", "--sensitivity", "1e6", self.mseed])
        texts, _ = self.rows(["din4150-3"] + self.psn)
        for rows in (binary, texts):
            self.assertEqual([r["kind"] for r in rows], ["component"] * 3 + ["set"])
            self.assertEqual([list(r) for r in rows], [self.STRUCTURE_KEYS] * 3 + [self.SET_KEYS])
            self.assertEqual([r["channel"] for r in rows[:3]], self.codes)
            self.assertEqual(rows[3]["channels"], self.codes)
            ppv = [r["ppv"] for r in rows[:3]]
            self.assertAlmostEqual(rows[3]["pvs"] / max(ppv), 1.2247, delta=0.03)
            self.assertEqual(rows[3]["governing"], self.codes[ppv.index(max(ppv))])
            self.assertEqual(rows[3]["startTime"], "2024-03-01T10:00:00.000000Z")
        self.assertEqual(binary[0]["network"], "XX")
        for got, want in zip(texts, binary):
            for key in ("ppv", "ppvTime", "frequencyZeroCrossing", "ratio", "pvs", "pvsTime"):
                if key in want:
                    self.assertAlmostEqual(got[key], want[key], delta=1e-5 * abs(want[key]), msg=key)

    def test_input_that_cannot_be_assessed_is_said_and_the_rest_still_prints(self):
        # EHE at another rate breaks the set; counts without a sensitivity; a
        # record shorter than one 30 s cycle; a file that is missing.
        psn_record(self.psn[2], "EHE", wavelet(0, 8000), rate=200)
        short = self.path("short.psn")
        psn_record(short, "HHZ", wavelet(0, 1000))
        missing = self.path("missing.psn")
        rows, err = self.rows(["din4150-2", "--fail-on-exceeded", self.mseed] + self.psn + [short, missing], 3)
        self.assertEqual([(r["file"], r["kind"]) for r in rows],
                         [(self.mseed, "component")] * 3 + [(p, "component") for p in self.psn] +
                         [(short, "component"), (missing, "component")])
        for row in rows[:3]:
            self.assertIn("not m/s", row["error"])
            self.assertIn("--sensitivity S, --inventory FILE", row["error"])
        self.assertIn("not in a set: EHZ has 100 samples/s, EHE 200", rows[3]["notes"])
        self.assertEqual(rows[6]["cycles"], [])
        self.assertIsNone(rows[6]["kbFTr"])
        self.assertEqual(rows[6]["verdict"], "exceeded")   # KB_Fmax above A_o needs no cycle
        self.assertTrue(rows[7]["error"].startswith("cannot be opened"), rows[7])
        for line in ["%s: EHZ: not assessed: its values are" % self.mseed,
                     "%s: not in a set of three components (EHN has 100 samples/s, EHE 200)" % self.psn[1],
                     "%s: warning: the record is 10.0 s long, shorter than one 30 s cycle" % short,
                     "%s: cannot be opened" % missing]:
            self.assertIn("sismavue-report: " + line, err)
        self.rows(["din4150-2"] + self.psn + [missing], 1)

    def test_inventory_comes_after_the_given_sensitivity_and_before_the_table(self):
        inventory, table = self.path("inventory.xml"), self.path("table.tsv")
        station_xml(inventory, [("EHZ", "M/S"), ("EHN", "NM/S"), ("EHE", "M/S**2")])
        with open(table, "w") as f:
            f.write("BGLD\tEHZ\t2e6\nBGLD\tEHN\t2e6\nBGLD\tEHE\t1e6\n")
        given, _ = self.rows(["din4150-3", "--sensitivity", "1e6", self.mseed])
        rows, err = self.rows(["din4150-3", "--inventory", inventory, "--sensitivities", table, self.mseed], 1)
        self.assertEqual(rows[0]["ppv"], given[0]["ppv"])
        self.assertAlmostEqual(rows[1]["ppv"], given[1]["ppv"] / 1e9, delta=1e-3 * rows[1]["ppv"])
        self.assertIn("acceleration", rows[2]["error"])
        self.assertIn("sismavue-report: %s: EHE: " % self.mseed, err)
        self.assertEqual(len(rows), 3)


def event_record(path, amplitude, start=None, station="STA1", channel="HHZ", truncate=None):
    """A PSN text event: a 9 Hz burst of `amplitude` m/s, 3 s at 1000 samples/s."""
    lines = ["Number of Samples: 3000", "SPS: 1000", "Station Code: " + station,
             "Component Name: " + channel] + (["Start Time: " + start] if start else []) + ["Data:"]
    lines += ["%.7e" % (amplitude * math.sin(2 * math.pi * 9 * i / 1000) * math.exp(-((i - 1500) / 400) ** 2))
              for i in range(truncate or 3000)]
    with open(path, "w") as f:
        f.write("\r\n".join(lines) + "\r\n")


def pdf_text(path, *args):
    return subprocess.run(["pdftotext", "-layout"] + list(args) + [path, "-"], capture_output=True,
                          check=True).stdout.decode("utf-8")


class MonitoringReport(unittest.TestCase):
    """--pdf over a folder: three sets of three files (two exceeded), a record without a start time,
    one that cannot be read, a file that is no record and a link out of the folder."""

    def setUp(self):
        if not os.path.exists(os.path.join(os.path.dirname(REPORT), "sismavue-plot.so")):
            self.skipTest("built without the window, which draws the report")
        self.dir = tempfile.mkdtemp(prefix="sismavue-cli-")
        self.addCleanup(shutil.rmtree, self.dir)
        events = os.path.join(self.dir, "events")
        os.mkdir(events)
        # Named against their time order: the report orders by start time.
        for name, amplitude, start in [("a", 0.002, "2024/05/03 10:00:00"), ("b", 0.009, "2024/05/02 09:00:00"),
                                       ("c", 0.020, "2024/05/04 08:00:00")]:
            for channel, share in [("HHZ", 1.0), ("HHN", 0.6), ("HHE", 0.4)]:
                event_record(os.path.join(events, "%s_%s.txt" % (name, channel)), amplitude * share, start,
                             channel=channel)
        event_record(os.path.join(events, "0_nostart.txt"), 0.003, station="STA2")
        event_record(os.path.join(events, "broken.txt"), 0.003, "2024/05/01 00:00:00", "STA3", truncate=50)
        with open(os.path.join(events, "notes.md"), "w") as f:
            f.write("# site notes\n")
        event_record(os.path.join(self.dir, "outside.txt"), 0.05, "2024/05/05 00:00:00")
        os.symlink(os.path.join(self.dir, "outside.txt"), os.path.join(events, "z_link.txt"))
        self.files = sorted("events/" + n for n in os.listdir(events) if n.endswith(".txt") and n != "z_link.txt")

    def report(self, *args):
        return subprocess.run([REPORT] + list(args), capture_output=True, timeout=120, cwd=self.dir)

    def test_the_summary_agrees_with_the_rows_and_every_event_has_its_page_in_time_order(self):
        proc = self.report("--pdf", "r.pdf", "--assess", "din4150-3", "--title", "Bridge works", "--site",
                           "Bridge St 4", "events")
        self.assertEqual(proc.returncode, 1, proc.stderr)
        self.assertIn(b"events/broken.txt: ", proc.stderr)
        pdf = os.path.join(self.dir, "r.pdf")
        info = subprocess.run(["pdfinfo", pdf], capture_output=True, check=True).stdout.decode()
        self.assertIn("Title:           Bridge works\n", info)
        # The summary, an event per set and the lone record, the unreadable file.
        self.assertIn("Pages:           6\n", info)
        fonts = subprocess.run(["pdffonts", pdf], capture_output=True, check=True).stdout.decode().splitlines()[2:]
        self.assertTrue(fonts and all(line.split()[-5] == "yes" for line in fonts), fonts)
        rows = json.loads(run(["--assess", "din4150-3", "--format", "json"] +
                              [os.path.join(self.dir, f) for f in self.files]).stdout)
        summary = [line.split() for line in pdf_text(pdf, "-f", "1", "-l", "1").splitlines()]
        for s in (r for r in rows if r["kind"] == "set"):
            parts = [r for r in rows if r["kind"] == "component" and r["startTime"] == s["startTime"]]
            time = s["startTime"][:10] + " " + s["startTime"][11:19]
            line = [l for l in summary if " ".join(l[:2]) == time]
            self.assertEqual(len(line), 1, time)
            want = []
            for part in parts:
                want += ["%.2f" % part["ppv"], "%.3f" % part["frequencyUsed"]]
            governing = [p for p in parts if p["channel"] == s["governing"]][0]
            want += ["%.2f" % s["pvs"], "%.3f" % governing["ratio"], s["verdict"]]
            self.assertEqual(line[0][6:], want, time)
        self.assertEqual(sum(r["verdict"] == "exceeded" for r in rows if r["kind"] == "set"), 2)
        self.assertIn(["Exceeded", "2"], summary)
        headings = [pdf_text(pdf, "-f", str(p), "-l", str(p)).split("   ")[0].strip() for p in range(2, 6)]
        self.assertEqual(headings, ["2024-05-02 09:00:00", "2024-05-03 10:00:00", "2024-05-04 08:00:00",
                                    "no start time"])
        last = " ".join(pdf_text(pdf, "-f", "6", "-l", "6").split())
        broken = [r for r in rows if r["file"].endswith("broken.txt")][0]
        self.assertRegex(last, r"events/broken\.txt (line \d+: )?" + re.escape(" ".join(broken["error"].split())))
        self.assertIn("page 6 of 6", last)
        self.assertIn("Screening assessment by software; see the README for its limits", last)
        self.assertNotIn(self.dir, pdf_text(pdf))
        self.assertEqual([n for n in os.listdir(self.dir) if n.startswith(".")], [])
        self.assertEqual(self.report("--pdf", "r.pdf", "--force", "--assess", "din4150-3", "--fail-on-exceeded",
                                     "events").returncode, 3)

    def test_without_assess_the_figures_agree_with_the_table_whose_header_repeats_on_each_page(self):
        many = os.path.join(self.dir, "many")
        os.mkdir(many)
        for i in range(70):
            record(os.path.join(many, "r%02d.psn" % i), 300 + i)
        proc = self.report("--pdf", "r.pdf", "many")
        self.assertEqual(proc.returncode, 0, proc.stderr)
        pdf = os.path.join(self.dir, "r.pdf")
        pages = pdf_text(pdf).split("\f")[:-1]
        self.assertEqual(len(pages), 72)   # the table over two pages, a page per record
        tsv = [line.split("\t") for line in run(sorted(glob.glob(os.path.join(many, "*")))).stdout.decode().splitlines()]
        table = [line.split() for page in pages[:2] for line in page.splitlines() if line.startswith("no start time")]
        self.assertEqual([row[5:9] for row in table], [row[5:9] for row in tsv[1:]])
        for number, page in enumerate(pages[:2], 1):
            self.assertIn("Time (UTC) Station Channel MaxPeak um/s", " ".join(page.split()))
            self.assertIn("page %d of 72" % number, page)

    def test_an_existing_file_is_replaced_only_with_force(self):
        pdf = os.path.join(self.dir, "r.pdf")
        with open(pdf, "wb") as f:
            f.write(b"kept")
        proc = self.report("--pdf", "r.pdf", "events/a_HHZ.txt")
        self.assertEqual(proc.returncode, 1)
        self.assertEqual(proc.stderr, b"sismavue-report: r.pdf: exists already (--force replaces it)\n")
        with open(pdf, "rb") as f:
            self.assertEqual(f.read(), b"kept")
        proc = self.report("--pdf", "r.pdf", "--force", "events/a_HHZ.txt")
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.assertIn("Pages:           2\n", subprocess.run(["pdfinfo", pdf], capture_output=True).stdout.decode())


class Locales(unittest.TestCase):
    """The toolkit that --plot loads sets the process locale from the
    environment; the rows, the messages and the pictures stay the same."""

    LOCALES = ["de_DE.UTF-8", "fr_FR.UTF-8"]   # decimal comma

    def environment(self, **names):
        env = {k: v for k, v in os.environ.items() if not k.startswith("LC_") and k != "LANG"}
        env.update(names)
        return env

    def test_every_format_is_the_same_bytes_under_every_locale(self):
        known = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
        for name in self.LOCALES:
            self.assertIn(name.replace("UTF-8", "utf8"), known,
                          "the locale %s is missing: scripts/install-deps.sh test makes it" % name)
        folder = tempfile.mkdtemp(prefix="sismavue-cli-")
        self.addCleanup(shutil.rmtree, folder)
        path, pictures = os.path.join(folder, "r.psn"), os.path.join(folder, "pictures")
        record(path, 3000)
        files = ["--segment", "10:2800", path, os.path.join(folder, "missing.psn")]
        runs = [files, ["--format", "csv"] + files, ["--format", "json"] + files, ["--spectrum", path]]
        if os.path.exists(os.path.join(os.path.dirname(REPORT), "sismavue-plot.so")):
            runs.append(["--plot", pictures, "--force"] + files)

        def drawn():
            pngs = {}
            for name in os.listdir(pictures) if os.path.isdir(pictures) else []:
                with open(os.path.join(pictures, name), "rb") as f:
                    pngs[name] = f.read()
            return pngs

        for args in runs:
            want = run(args, env=self.environment(LC_ALL="C"))
            want_drawn = drawn()
            self.assertIn(b".", want.stdout)
            for name in self.LOCALES:
                with self.subTest(args=args, locale=name):
                    got = run(args, env=self.environment(LANG=name))
                    self.assertEqual(got.returncode, want.returncode)
                    self.assertEqual(got.stdout, want.stdout)
                    self.assertEqual(got.stderr, want.stderr)
                    self.assertEqual(drawn(), want_drawn)


class FailedWrites(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="sismavue-cli-")
        self.addCleanup(shutil.rmtree, self.dir)
        self.file = os.path.join(self.dir, "r.psn")
        record(self.file, 3000)

    def test_a_full_device_is_an_error(self):
        for args in ([self.file], ["--format", "json", self.file],
                     ["--spectrum", self.file], ["--help"]):
            with open("/dev/full", "wb") as full:
                proc = subprocess.run([REPORT] + args, stdout=full, stderr=subprocess.PIPE,
                                      timeout=60)
            self.assertEqual(proc.returncode, 1, args)
            self.assertEqual(proc.stderr, b"sismavue-report: standard output: "
                             b"No space left on device\n", args)

    def test_a_closed_pipe_is_an_error(self):
        read_end, write_end = os.pipe()
        os.close(read_end)
        try:
            proc = subprocess.run([REPORT, self.file, self.file], stdout=write_end,
                                  stderr=subprocess.PIPE, timeout=60)
        finally:
            os.close(write_end)
        self.assertEqual(proc.returncode, 1)
        self.assertEqual(proc.stderr, b"sismavue-report: standard output: Broken pipe\n")


if __name__ == "__main__":
    REPORT = os.path.abspath(sys.argv.pop(1))
    sys.dont_write_bytecode = True
    unittest.main()
