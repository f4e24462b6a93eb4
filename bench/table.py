#!/usr/bin/env python3
"""Prints the one benchmark table (markdown) from the results bench/run.sh
leaves in a folder:

    table.py RESULTS

meta.json           record sizes, the machine, the commit
core-main.json      core_bench on the main record (Google Benchmark JSON)
core-large.json     core_bench on the large record
plot.json           plot_bench on the main record (absent without the window)
hf-main.json        hyperfine: sismavue-report, then the Python pipeline
hf-large.json       the same on the large record
hf-jobs.json        hyperfine: --jobs 1, then --jobs 2 on the batch of files
hf-plot.json        hyperfine: --plot with --jobs 2 on the batch (absent without
                    the window)
hf-pdf.json         hyperfine: --pdf on the batch, a page per file (absent
                    without the window)
mem-report.txt      peak memory (KiB) of sismavue-report on the large record
window-main.jsonl   measure_load.sh runs on the main record (absent without
window-large.jsonl  the window), the large one for its memory
figures-agree.txt   "yes" when the Python pipeline's figures match the report's
rms-large.txt       the RMS texts of the report and of the 64-bit pipeline
core-day.json       core_bench's streaming parse floor on the day record, how
                    much more two threads got done than one then, and the
                    window's load without and with the detail view's summary
hf-day.json         hyperfine: sismavue-report on the day record, then with
                    --exceedances, --assess din4150-3, --assess din4150-2
hf-mseed.json       hyperfine: sismavue-report on a day of miniSEED, then
                    libmseed's ms_readtraces of the same file
hf-assess.json      hyperfine on the record at 1000 samples/s: sismavue-report
                    --assess din4150-3, the Python assessment, then the same
                    for din4150-2
assess-agree.txt    "yes" when the Python assessment's peak and KB_Fmax match
                    the report's
plot-day.json       plot_bench's detail window redraws on the day record
mem-day.txt         peak memory (KiB) of sismavue-report on the day record
window-day.jsonl    measure_load.sh runs on the day record
window-endless.jsonl  measure_load.sh on the endless field, load only

Medians of wall-clock times everywhere; for the gaps between event-loop runs the median over
repetitions (or runs) of each one's longest gap, with the worst in brackets.
Exits 1, after the table, when the spectrum differs from the reference, or a
yardstick computed something else than its stage (the Python pipeline's
figures, the parse floor's values, FFTW's lines).
"""

import json
import os
import statistics
import sys


def load(folder, name):
    path = os.path.join(folder, name)
    if not os.path.exists(path):
        return None
    with open(path) as f:
        if name.endswith(".jsonl"):
            return [json.loads(line) for line in f if line.strip()]
        if name.endswith(".txt"):
            return f.read().split()
        return json.load(f)


def bench(data, name, field="real_time"):
    """Median wall-clock time of a Google Benchmark entry, in ms, or one
    counter's values. Not CPU time: a stage may work on several threads."""
    if data is None:
        return None
    runs = [b for b in data["benchmarks"]
            if b.get("run_name", "").split("/")[0] == name and b.get("run_type") == "iteration"]
    if not runs:
        return None
    if field in ("cpu_time", "real_time"):
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[runs[0]["time_unit"]]
        return statistics.median(b[field] * scale for b in runs)
    return [b[field] for b in runs if field in b]


def hyperfine(data, index):
    """Median of the index-th command, in ms."""
    if data is None or len(data["results"]) <= index:
        return None
    return 1000 * data["results"][index]["median"]


def ms(value):
    if value is None:
        return "not measured"
    if value >= 1000:
        return f"{value / 1000:.2f} s"
    if value >= 100:
        return f"{value:.0f} ms"
    if value >= 10:
        return f"{value:.1f} ms"
    return f"{value:.2f} ms"


def mb(value):
    return "not measured" if value is None else f"{value:.0f} MB"


def binary(size):
    return f"{size / 2**30:g} GiB" if size >= 2**30 else f"{size / 2**20:g} MiB"


def ratio(a, b):
    return None if a is None or b is None or b == 0 else a / b


def times(value):
    return "—" if value is None else f"{value:.2f}×"


def faster(speedup, digits):
    if speedup is None:
        return "—"
    if speedup >= 1:
        return f"{speedup:.{digits}f}× faster"
    return f"{1 / speedup:.{digits}f}× slower"


def verdict(ok):
    return "not measured" if ok is None else ("met" if ok else "**missed**")


def count(n):
    return f"{n:,}"


def main(folder):
    meta = load(folder, "meta.json")
    core = load(folder, "core-main.json")
    core_large = load(folder, "core-large.json")
    plot = load(folder, "plot.json")
    hf_main = load(folder, "hf-main.json")
    hf_large = load(folder, "hf-large.json")
    hf_jobs = load(folder, "hf-jobs.json")
    hf_plot = load(folder, "hf-plot.json")
    hf_pdf = load(folder, "hf-pdf.json")
    mem_report = load(folder, "mem-report.txt")
    window_main = load(folder, "window-main.jsonl")
    window_large = load(folder, "window-large.jsonl")
    agree = load(folder, "figures-agree.txt")
    rms_texts = load(folder, "rms-large.txt")
    core_day = load(folder, "core-day.json")
    hf_day = load(folder, "hf-day.json")
    mem_day = load(folder, "mem-day.txt")
    window_day = load(folder, "window-day.jsonl")
    window_endless = load(folder, "window-endless.jsonl")
    plot_day = load(folder, "plot-day.json")
    hf_mseed = load(folder, "hf-mseed.json")
    hf_assess = load(folder, "hf-assess.json")
    assess_agree = load(folder, "assess-agree.txt")

    main_n, large_n = meta["main"]["samples"], meta["large"]["samples"]
    main_tag, large_tag = f"{count(main_n)} samples", f"{count(large_n)} samples"
    rows = []

    def row(stage, ours, yardstick, theirs, r, goal, result):
        rows.append((stage, ours, yardstick, theirs, r, goal, result))

    # Read and analysis against the parse floor.
    load_main, floor_main = bench(core, "ReadAndAnalysis"), bench(core, "ParseFloor")
    r = ratio(load_main, floor_main)
    row(f"read + analysis, {main_tag}", ms(load_main), "parse floor (mmap + `std::from_chars`)",
        ms(floor_main), times(r), "≤ 1.5×", verdict(None if r is None else r <= 1.5))
    for name, label in (("Read", "read alone"), ("Analysis", "analysis alone")):
        value = bench(core, name)
        row(f"{label}, {main_tag}", ms(value), "parse floor", ms(floor_main),
            times(ratio(value, floor_main)), "", "")
    load_large, floor_large = bench(core_large, "ReadAndAnalysis"), bench(core_large, "ParseFloor")
    row(f"read + analysis, {large_tag}", ms(load_large), "parse floor", ms(floor_large),
        times(ratio(load_large, floor_large)), "", "")

    # The spectrum against FFTW, and its bits against the reference.
    spectrum, fftw = bench(core, "Spectrum"), bench(core, "FftwSpectrum")
    reference = bench(core, "ReferenceSpectrum")
    identical = bench(core, "Spectrum", "identical")
    blocks = bench(core, "Spectrum", "blocks")
    same = None if not identical else all(v == 1 for v in identical)
    r = ratio(spectrum, fftw)
    block_text = f", {count(int(blocks[0]))} blocks" if blocks else ""
    row(f"spectrum of the whole record, {main_tag}{block_text}", ms(spectrum),
        "FFTW `fftwf` real transform, same blocks", ms(fftw), times(r),
        "bit-identical to the reference, ≤ 5×",
        "not measured" if same is None or r is None else
        f"{'identical' if same else '**differs**'}; {verdict(same and r <= 5)}")
    row("straightforward reference spectrum", ms(reference), "FFTW", ms(fftw),
        times(ratio(reference, fftw)), "", "")

    # The plot in the window, offscreen.
    plot_time = bench(plot, "WindowPlot")
    gaps = bench(plot, "WindowPlot", "longest_gap_ms")
    if plot_time is None or not gaps:
        row(f"waveform + level plot with yields, {main_tag}", "not measured", "—", "—", "—",
            "≤ 60 ms, gaps ≤ 20 ms", "not measured")
    else:
        gap = statistics.median(gaps)
        row(f"waveform + level plot with yields, {main_tag}",
            f"{ms(plot_time)}; longest gap {gap:.1f} ms (worst {max(gaps):.1f})", "—", "—", "—",
            "≤ 60 ms, gaps ≤ 20 ms", verdict(plot_time <= 60 and gap <= 20))

    # The window under a private X server.
    if window_main:
        drawn = statistics.median(w["drawn_ms"] for w in window_main)
        longest = [max(w["load_longest_gap_ms"], w["spectrum_longest_gap_ms"]) for w in window_main]
        gap = statistics.median(longest)
        load_ms = statistics.median(w["load_ms"] for w in window_main)
        spectrum_ms = statistics.median(w["spectrum_ms"] for w in window_main)
        row(f"window: open to drawn, {main_tag}",
            f"{ms(drawn)}; longest gap {gap:.1f} ms (worst {max(longest):.1f}); "
            f"load + plot {ms(load_ms)}, spectrum {ms(spectrum_ms)}", "—", "—", "—",
            "≤ 250 ms, gaps ≤ 50 ms in load, plot and spectrum", verdict(drawn <= 250 and gap <= 50))
    else:
        row(f"window: open to drawn, {main_tag}", "not measured", "—", "—", "—",
            "≤ 250 ms, gaps ≤ 50 ms in load, plot and spectrum", "not measured")

    # Whole processes against the Python pipeline.
    for tag, data, goal in ((main_tag, hf_main, 5), (large_tag, hf_large, 2.5)):
        ours, python = hyperfine(data, 0), hyperfine(data, 1)
        speedup = ratio(python, ours)
        row(f"whole `sismavue-report` process, {tag}", ms(ours), "Python pipeline (NumPy, SciPy)",
            ms(python), faster(speedup, 1),
            f"≥ {goal:g}× faster", verdict(None if speedup is None else speedup >= goal))
    batch = meta["batch"]
    one, two = hyperfine(hf_jobs, 0), hyperfine(hf_jobs, 1)
    speedup = ratio(one, two)
    row(f"`sismavue-report` on {batch['files']} files of {count(batch['samples'])} samples",
        f"{ms(two)} with `--jobs 2`", "`--jobs 1`", ms(one),
        faster(speedup, 2), "≥ 1.7× faster",
        verdict(None if speedup is None else speedup >= 1.7))

    # A picture of each file as well.
    plotted = hyperfine(hf_plot, 0)
    row(f"`sismavue-report --plot` on {batch['files']} files of {count(batch['samples'])} samples",
        "not measured" if plotted is None else
        f"{batch['files'] / plotted * 1000:.1f} pictures/s ({ms(plotted)}) with `--jobs 2`",
        "the table alone, `--jobs 2`", ms(two), times(ratio(plotted, two)), "", "")

    # The monitoring report: a page per file, each file read twice.
    paged = hyperfine(hf_pdf, 0)
    row(f"`sismavue-report --pdf` on the same {batch['files']} files",
        "not measured" if paged is None else
        f"{batch['files'] / paged * 1000:.1f} event pages/s ({ms(paged)})",
        "`--plot` pictures/s", "not measured" if plotted is None else
        f"{batch['files'] / plotted * 1000:.1f}", times(ratio(paged, plotted)), "", "")

    # Peak memory on the large record.
    budget = (meta["large"]["bytes"] + 10 * large_n + 50e6) / 1e6
    report_mb = statistics.median(int(v) * 1024 / 1e6 for v in mem_report) if mem_report else None
    window_mb = None
    if window_large and all(w.get("peak_kb") for w in window_large):
        window_mb = statistics.median(w["peak_kb"] * 1024 / 1e6 for w in window_large)
    for name, value in (("`sismavue-report`", report_mb), ("window", window_mb)):
        row(f"peak memory, {name}, {large_tag}", mb(value),
            "file + 10 B per sample + 50 MB", mb(budget), times(ratio(value, budget)), "≤ 1×",
            verdict(None if value is None else value <= budget))

    # The day record, against the streaming parse floor.
    day_n = meta["day"]["samples"]
    day_tag = f"day record, {count(day_n)} samples"
    stream_floor = bench(core_day, "StreamingParseFloor")
    budget = (8 * day_n + 64e6) / 1e6
    day_mb = statistics.median(int(v) * 1024 / 1e6 for v in mem_day) if mem_day else None
    row(f"peak memory, `sismavue-report`, {day_tag}", mb(day_mb), "8 B per sample + 64 MB",
        mb(budget), times(ratio(day_mb, budget)), "≤ 1×",
        verdict(None if day_mb is None else day_mb <= budget))
    day_report = hyperfine(hf_day, 0)
    r = ratio(day_report, stream_floor)
    # On two threads against one: worth little when the two cores were not
    # both free.
    two_threads = bench(core_day, "TwoThreads", "speedup")
    cores = (f" (two threads did {statistics.median(two_threads):.2f}× one thread's work then)"
             if two_threads else "")
    row(f"whole `sismavue-report` process, {day_tag}{cores}", ms(day_report),
        "streaming parse floor (`read()` + `std::from_chars`)", ms(stream_floor), times(r),
        "≤ 1.3×", verdict(None if r is None else r <= 1.3))
    drawn = statistics.median(w["drawn_ms"] for w in window_day) if window_day else None
    limit = None if stream_floor is None else stream_floor + 300
    r = ratio(drawn, limit)
    row(f"window: start to drawn, {day_tag}", ms(drawn), "streaming parse floor + 300 ms",
        ms(limit), times(r), "≤ 1×", verdict(None if r is None else r <= 1))

    # A yardstick without a goal yet: libmseed reading the same file.
    mseed_report, mseed_traces = hyperfine(hf_mseed, 0), hyperfine(hf_mseed, 1)
    mseed_mb = meta.get("mseed", {}).get("bytes", 0) / 1e6
    row(f"whole `sismavue-report` process, a day of miniSEED ({count(day_n)} samples, Steim-2, "
        f"{mseed_mb:.0f} MB)", ms(mseed_report), "libmseed's `ms_readtraces` of the same file",
        ms(mseed_traces), times(ratio(mseed_report, mseed_traces)), "—", "—")

    # The detail view: its summary and exceedances made while the window
    # loads, its redraws, and the report's exceedances.
    plain_load = bench(core_day, "ReadAndAnalysis")
    detail_load = bench(core_day, "ReadAndAnalysisDetail")
    per_sample = bench(core_day, "ReadAndAnalysisDetail", "summary_bytes_per_sample")
    per_sample = statistics.median(per_sample) if per_sample else None
    r = ratio(detail_load, plain_load)
    row(f"window's load with the detail view's min/max summary and the exceedances, {day_tag}",
        ms(detail_load) + ("" if per_sample is None else f"; summary {per_sample:.2f} B per sample"),
        "the same load without them", ms(plain_load), times(r), "≤ 1.1×, ≤ 0.5 B per sample",
        verdict(None if r is None or per_sample is None else r <= 1.1 and per_sample <= 0.5))
    for name, what in (("DetailZoom", "a zoom in or out by 2"), ("DetailPan", "a pan by 1/64 of the record")):
        redraw = bench(plot_day, name)
        row(f"detail window: redraw after {what}, 1920 pixels wide, {day_tag}", ms(redraw), "—", "—", "—",
            "< 16 ms", verdict(None if redraw is None else redraw < 16))
    recompute = bench(plot, "AssessRecompute")
    gaps = bench(plot, "AssessRecompute", "longest_gap_ms")
    row("assessment window: figures of three 10-minute components at 1000 samples/s after a choice, shown",
        ms(recompute) + (f"; longest gap {statistics.median(gaps):.1f} ms (worst {max(gaps):.1f})" if gaps else ""),
        "—", "—", "—", "< 300 ms, gaps ≤ 50 ms",
        verdict(None if recompute is None or not gaps else recompute < 300 and max(gaps) <= 50))
    with_exceedances = hyperfine(hf_day, 1)
    r = ratio(with_exceedances, day_report)
    row(f"`sismavue-report --exceedances`, {day_tag}", ms(with_exceedances), "`sismavue-report`",
        ms(day_report), times(r), "≤ 1.1×", verdict(None if r is None else r <= 1.1))

    # The assessments against the Python one, and on the day record.
    fast_n = meta.get("fast", {}).get("samples", 0)
    for index, standard in enumerate(("din4150-3", "din4150-2")):
        ours, theirs = hyperfine(hf_assess, 2 * index), hyperfine(hf_assess, 2 * index + 1)
        r = ratio(theirs, ours)
        row(f"whole `sismavue-report --assess {standard}` process, {count(fast_n)} samples at 1000 samples/s",
            ms(ours), "Python assessment (NumPy, SciPy `sosfilt`)", ms(theirs), faster(r, 1), "≥ 10× faster",
            verdict(None if r is None else r >= 10))
        assessed = hyperfine(hf_day, 2 + index)
        r = ratio(assessed, day_report)
        row(f"`sismavue-report --assess {standard}`, {day_tag}", ms(assessed), "`sismavue-report`",
            ms(day_report), times(r), "≤ 1.5×", verdict(None if r is None else r <= 1.5))

    # The longest wait for the event loop, whatever the size.
    def longest(runs, names=("load", "spectrum")):
        if not runs:
            return None
        return max(w[f"{n}_longest_gap_ms"] for w in runs for n in names if f"{n}_longest_gap_ms" in w)
    sizes = [(count(main_n), longest(window_main)), (count(large_n), longest(window_large)),
             ("day", longest(window_day)),
             (f"{binary(meta['endless']['bytes'])} endless field", longest(window_endless))]
    measured = [(name, g) for name, g in sizes if g is not None]
    worst = max((g for _, g in measured), default=None)
    row("window: longest gap between event-loop runs, every size",
        "; ".join(f"{name} {g:.1f} ms" for name, g in measured) or "not measured", "—", "—", "—",
        "≤ 50 ms at every size", verdict(None if worst is None else worst <= 50))

    # The RMS printed against the 64-bit value of the Python pipeline.
    same_rms = None if not rms_texts or len(rms_texts) != 2 else rms_texts[0] == rms_texts[1]
    row(f"RMS of the {large_tag} record", rms_texts[0] if rms_texts else "not measured",
        "64-bit RMS (Python pipeline)", rms_texts[1] if same_rms is not None else "not measured", "—",
        "the same printed digits", verdict(same_rms))

    header = ("Stage", "Sismavue (median)", "Yardstick", "Yardstick (median)", "Ratio", "Goal",
              "Result")
    print(f"Records at 100 samples/s: {main_tag} ({meta['main']['bytes'] / 1e6:.1f} MB), "
          f"{large_tag} ({meta['large']['bytes'] / 1e6:.1f} MB), "
          f"day record {count(day_n)} samples ({meta['day']['bytes'] / 1e6:.0f} MB); "
          f"{meta['machine']}; commit {meta['commit']}.")
    print()
    print("| " + " | ".join(header) + " |")
    print("|" + "|".join("---" for _ in header) + "|")
    for r in rows:
        print("| " + " | ".join(r) + " |")
    print()
    print("Ratio: Sismavue's time or memory divided by the yardstick's; for whole processes, how "
          "many times faster Sismavue is. All times are wall-clock times, so other work on the "
          "machine makes them longer.")
    failures = []
    missing = [name for name, value in (
        ("read + analysis", load_main), ("parse floor", floor_main), ("spectrum", spectrum),
        ("FFTW", fftw), ("reference spectrum", reference), ("large read + analysis", load_large),
        ("large parse floor", floor_large), ("report process", hyperfine(hf_main, 0)),
        ("Python pipeline", hyperfine(hf_main, 1)), ("--jobs", two), ("report memory", report_mb),
        ("streaming parse floor", stream_floor), ("day report", day_report), ("day memory", day_mb))
        if value is None]
    if missing:
        failures.append("Not measured: " + ", ".join(missing) + ".")
    if assess_agree is not None and assess_agree != ["yes"]:
        failures.append("The Python assessment's figures do not match the report's: its time is no "
                        "yardstick.")
    if agree is not None and agree != ["yes"]:
        failures.append("The Python pipeline's figures do not match the report's: its time is no "
                        "yardstick.")
    if same is False:
        failures.append("The spectrum differs from the straightforward reference.")
    for data, name in ((core, "ParseFloor"), (core, "FftwSpectrum"), (core_large, "ParseFloor"),
                       (core_day, "StreamingParseFloor")):
        matches = bench(data, name, "matches")
        if matches is not None and not all(v == 1 for v in matches):
            failures.append(f"The yardstick {name} did not compute what the stage computes.")
    for failure in failures:
        print()
        print(f"**{failure}**")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: table.py RESULTS")
    sys.exit(main(sys.argv[1]))
