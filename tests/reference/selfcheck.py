#!/usr/bin/python3
"""Checks of the reference model against hand-worked values.

The comparison with sismavue-report is only worth something if the model
itself is right; these cases pin it to values worked out independently
(by hand, or by plain double-precision evaluation)."""

import math
import os
import sys
import tempfile
import unittest

try:
    import numpy as np
except ImportError:
    sys.stderr.write("selfcheck: numpy is missing for %s "
                     "(install the Debian package python3-numpy)\n" % sys.executable)
    sys.exit(1)

sys.dont_write_bytecode = True   # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference as ref  # noqa: E402

F32 = np.float32


def psn(lines, values, header_extra=()):
    text = "\r\n".join(list(lines) + list(header_extra) + ["Data:"]
                       + [str(v) for v in values]) + "\r\n"
    return text.encode("latin-1")


class NumberTexts(unittest.TestCase):
    def test_two_decimals(self):
        cases = [(0, "0."), (25, "25."), (12, "12."), (12.5, "12.5"),
                 (3.14159, "3.14"), (12345.678, "12345.68"),
                 (1234.5678, "1234.57"), (0.004, "0."), (123.4, "123.4"),
                 (1000000.0, "1000000.")]
        for value, text in cases:
            self.assertEqual(ref.fmt2(value), text, value)

    def test_ties_are_judged_on_the_binary_value(self):
        self.assertEqual(ref.fmt2(0.125), "0.13")      # exact tie: away from zero
        self.assertEqual(ref.fmt2(0.375), "0.38")
        self.assertEqual(ref.fmt2(2.675), "2.67")      # stored just below .675
        self.assertEqual(ref.fmt2(1.005), "1.")        # stored just below 1.005
        self.assertEqual(ref.fmt2(-0.125), "-0.13")

    def test_four_and_six_decimals(self):
        cases = [(0, "0.", "0."), (12.5, "12.5", "12.5"),
                 (0.048828125, "0.0488", "0.048828"),
                 (1.23456789, "1.2346", "1.234568"),
                 (0.0000004, "0.", "0.")]
        for value, four, six in cases:
            self.assertEqual(ref.fmt4(value), four, value)
            self.assertEqual(ref.fmt6(value), six, value)

    def test_plain_integer_text(self):
        self.assertEqual(ref.str_int(6000), " 6000")
        self.assertEqual(ref.str_int(0), " 0")
        self.assertEqual(ref.str_int(-5), "-5")


class Reader(unittest.TestCase):
    def test_header_numbers(self):
        cases = [("100", 100), ("1 200", 1200), ("12x4", 12), ("", 0),
                 ("abc", 0), ("100.5", 100), ("101.5", 102), ("\t 7", 7),
                 ("-3", -3), ("2.5E2", 250), (".5", 0), ("1.5", 2)]
        for text, value in cases:
            self.assertEqual(ref.header_number(text), value, text)

    def test_header_keys(self):
        rec = ref.read_psn(psn(
            ["Comment line", " SPS: 50", "sps: 60", "SPS: 100",
             "Station Code: ABC  ", "Component Name: HHZ",
             "Number of Samples: 2", "Number of Samples: 3"],
            [1.5, 2.5, 3.5, 4.5]))
        self.assertEqual(rec.rate, 100)
        self.assertEqual(rec.count, 3)                 # last occurrence wins
        self.assertEqual(rec.station, b"ABC  ")        # trailing blanks kept
        self.assertEqual(rec.component, b"HHZ")
        self.assertEqual(rec.raw.tolist(), [1.5, 2.5, 3.5])  # extra value ignored

    def test_value_positions(self):
        rec = ref.read_psn(psn(["Number of Samples: 1", "SPS:100",
                                "Station Code:"], [1]))
        self.assertEqual(rec.rate, 0)                  # reads "00"... from char 6
        self.assertEqual(rec.station, b"")
        self.assertEqual(rec.component, b"")

    def test_data_fields(self):
        data = (b"Number of Samples: 3\r\nSPS: 100\r\nData: 9.5\r\n"
                b"1.5,2.5\r\n3.5\r\n")
        self.assertEqual(ref.read_psn(data).raw.tolist(), [1.5, 2.5, 3.5])

    def test_samples_rounded_once_to_float32(self):
        # 1 + 2^-24 is the midpoint of two float32 values: ties go to even;
        # a hair above it must round up even though the nearest double is
        # the midpoint itself.
        tokens = ["1.000000059604644775390625",
                  "1.00000005960464477539062500000001", "0.1", "-2.5e-7"]
        got = ref.to_float32(tokens)
        self.assertEqual(float(got[0]), 1.0)
        self.assertEqual(float(got[1]), 1.0 + 2.0 ** -23)
        self.assertEqual(got[2], F32(0.1))
        self.assertEqual(got[3], F32(-2.5e-7))

    def test_missing_data_line_fails(self):
        with self.assertRaises(EOFError):
            ref.read_psn(b"Number of Samples: 1\r\nSPS: 100\r\n")


class WeightingFilter(unittest.TestCase):
    def test_coefficients_at_100(self):
        alpha, beta, gamma = ref.design_filter(100)
        self.assertAlmostEqual(beta, 0.3464008852, places=10)
        self.assertAlmostEqual(gamma, 0.8397267614, places=10)
        self.assertAlmostEqual(alpha, 0.4215319117, places=10)
        # Poles of 1 - 2 gamma z^-1 + 2 beta z^-2.
        disc = math.sqrt(gamma * gamma - 2 * beta)
        self.assertAlmostEqual(gamma + disc, 0.9508, places=4)
        self.assertAlmostEqual(gamma - disc, 0.7286, places=4)

    def magnitude(self, rate, freq):
        alpha, beta, gamma = ref.design_filter(rate)
        z = np.exp(-1j * 2 * math.pi * freq / rate)
        num = 2 * alpha * (1 - 2 * z + z * z)
        den = 1 - 2 * gamma * z + 2 * beta * z * z
        return abs(num / den)

    def test_magnitude_response(self):
        for freq, gain in [(0.5, 0.0527), (1, 0.1531), (2, 0.3453), (4, 0.6148),
                           (8, 0.8491), (25, 0.9876), (50, 1.0)]:
            self.assertAlmostEqual(self.magnitude(100, freq), gain, places=4)
        self.assertAlmostEqual(self.magnitude(200, 2), 0.3488, places=4)

    def test_impulse_and_step(self):
        impulse = ref.run_filter(np.array([1.0] + [0.0] * 5), 100)
        for got, want in zip(impulse, [0.84306, -0.27024, -0.19487, -0.14005,
                                       -0.10020, -0.07126]):
            self.assertAlmostEqual(float(got), want, places=5)
        step = ref.run_filter(np.ones(6), 100)
        for got, want in zip(step, [0.84306, 0.57282, 0.37795, 0.23790,
                                    0.13770, 0.06644]):
            self.assertAlmostEqual(float(got), want, places=5)

    def test_feedback_uses_the_stored_float32_outputs(self):
        x = np.random.default_rng(3).normal(size=200)
        alpha, beta, gamma = ref.design_filter(125)
        x1 = x2 = y1 = y2 = 0.0
        want = []
        for x0 in x:
            y = F32(2 * (alpha * (x0 - 2 * x1 + x2) + gamma * y1 - beta * y2))
            x2, x1, y2, y1 = x1, x0, y1, float(y)
            want.append(y)
        self.assertEqual(ref.run_filter(x, 125).tolist(), want)


class Load(unittest.TestCase):
    def test_one_two_three(self):
        rec = ref.read_psn(psn(["Number of Samples: 3", "SPS: 100"], [1, 2, 3]))
        ld = ref.load(rec)
        self.assertEqual(ld.samples.tolist(), [0.0, -1.0, 0.0, 1.0])
        self.assertEqual(ld.levels[0], 0)
        self.assertEqual(ref.fmt2(float(ld.peak) * 1e6), "1000000.")
        self.assertEqual(ref.fmt2(ld.rms * 1e6), "816496.58")

    def test_smoothing_coefficient(self):
        dt = 1 / 100
        self.assertEqual(dt * math.exp(-dt / 2), 0.009950124791926824)

    def test_peak_of_small_record(self):
        rec = ref.read_psn(psn(["Number of Samples: 2", "SPS: 100"],
                               ["0.0001234", "-0.0001234"]))
        self.assertEqual(ref.fmt2(float(ref.load(rec).peak) * 1e6), "123.4")

    def test_level_is_minus_infinity_while_nothing_weighted(self):
        # Zero lead-in, then pairs v, -v: the running sum, hence the mean, is 0.
        values = [0] * 10 + [0.25, -0.25] * 20
        rec = ref.read_psn(psn(["Number of Samples: 50", "SPS: 100"], values))
        ld = ref.load(rec)
        self.assertTrue(np.all(np.isneginf(ld.levels[1:11])))
        self.assertTrue(np.all(np.isfinite(ld.levels[11:])))

    def test_constant_record_reports_zero_law(self):
        rec = ref.read_psn(psn(["Number of Samples: 100", "SPS: 100"], [0.5] * 100))
        ld = ref.load(rec)
        self.assertTrue(np.all(np.isneginf(ld.levels[1:])))
        self.assertEqual(ref.fmt2(float(ld.law)), "0.")
        self.assertEqual(ref.fmt2(ld.rms), "0.")

    def test_mean_uses_a_64_bit_running_sum(self):
        # 5000 float32 additions of 0.1 drift; in double they are exact, so
        # the mean is the float32 value 0.1 and the residue is zero.
        rec = ref.read_psn(psn(["Number of Samples: 5000", "SPS: 100"], ["0.1"] * 5000))
        ld = ref.load(rec)
        running = F32(0)
        for _ in range(5000):
            running = F32(running + F32(0.1))
        self.assertNotEqual(float(running) / 5000, float(F32(0.1)))
        self.assertEqual(ld.samples[1], 0)
        self.assertEqual(ref.fmt2(ld.rms), "0.")


class Fft(unittest.TestCase):
    def transform(self, re, im):
        re = np.array(re, dtype=F32)
        im = np.array(im, dtype=F32)
        ref.fft(re, im)
        return re, im

    def test_two_points(self):
        re, im = self.transform([3, 5], [1, 2])
        self.assertEqual(re.tolist(), [8, -2])
        self.assertEqual(im.tolist(), [3, -1])

    def test_eight_point_permutation(self):
        order, _ = ref._fft_plan(8)
        self.assertEqual(order.tolist(), [0, 4, 2, 6, 1, 5, 3, 7])

    def test_impulse_and_constant(self):
        re, im = self.transform([1] + [0] * 15, [0] * 16)
        self.assertTrue(np.all(re == 1) and np.all(im == 0))
        re, im = self.transform([0.5] * 64, [0] * 64)
        self.assertEqual(re[0], 32)
        self.assertLess(np.abs(re[1:]).max() + np.abs(im).max(), 1e-5)

    def test_sign_convention(self):
        n, k0 = 64, 5
        t = np.arange(n)
        re, im = self.transform(np.cos(2 * np.pi * k0 * t / n), np.sin(2 * np.pi * k0 * t / n))
        self.assertAlmostEqual(float(re[k0]), n, places=3)
        self.assertEqual(int(np.argmax(np.hypot(re, im))), k0)
        re, im = self.transform(np.cos(2 * np.pi * k0 * t / n), -np.sin(2 * np.pi * k0 * t / n))
        self.assertEqual(int(np.argmax(np.hypot(re, im))), n - k0)

    def test_random_against_direct_sum(self):
        rng = np.random.default_rng(7)
        x = (rng.normal(size=64) + 1j * rng.normal(size=64)).astype(np.complex64)
        re, im = self.transform(x.real, x.imag)
        n = np.arange(64)
        direct = np.exp(-2j * np.pi * np.outer(n, n) / 64) @ x.astype(np.complex128)
        self.assertLess(np.abs(re + 1j * im - direct).max(), 1e-4)
        real = self.transform(x.real, np.zeros(64))
        z = real[0] + 1j * real[1]
        self.assertLess(np.abs(z[1:] - np.conj(z[::-1][:-1])).max(), 1e-4)

    def test_vectorised_stages_equal_the_one_at_a_time_loop(self):
        n = 2048
        rng = np.random.default_rng(11)
        re0 = (rng.normal(size=n) * rng.choice([1e-6, 1, 1e3], size=n)).astype(F32)
        im0 = np.zeros(n, dtype=F32)
        re, im = self.transform(re0, im0)
        # The loop as written: bit reversal, stage, twiddle, butterfly.
        a = [float(v) for v in re0]
        b = [0.0] * n
        j = n // 2
        for i in range(1, n - 1):
            if i < j:
                a[i], a[j] = a[j], a[i]
                b[i], b[j] = b[j], b[i]
            k = n // 2
            while k <= j:
                j -= k
                k //= 2
            j += k
        f = lambda v: float(F32(v))
        for l in range(1, 12):
            le = 2 ** l
            le2 = le // 2
            ur, ui = 1.0, 0.0
            sr, si = math.cos(3.14159265 / le2), -math.sin(3.14159265 / le2)
            for jj in range(1, le2 + 1):
                for i in range(jj - 1, n, le):
                    ip = i + le2
                    tr = a[ip] * ur - b[ip] * ui
                    ti = a[ip] * ui + b[ip] * ur
                    a[ip], b[ip] = f(a[i] - tr), f(b[i] - ti)
                    a[i], b[i] = f(a[i] + tr), f(b[i] + ti)
                ur, ui = ur * sr - ui * si, ur * si + ui * sr
        self.assertEqual(re.tolist(), a)
        self.assertEqual(im.tolist(), b)


class Spectrum(unittest.TestCase):
    def test_block_counts(self):
        for length, blocks in [(2048, 1), (2559, 1), (2560, 2), (3072, 3),
                               (100, 1), (4096, 5)]:
            self.assertEqual(ref.block_count(7, 7 + length), blocks, length)

    def test_window(self):
        w = ref.hann_window()
        self.assertEqual(w[0], 0)
        self.assertEqual(w[1024], 1)
        # Symmetric up to the error of the eight-decimal pi.
        self.assertLess(float(np.abs(w[1:] - w[:0:-1]).max()), 1e-7)

    def test_cosine_lines(self):
        t = np.arange(2048)
        samples = np.zeros(2049, dtype=F32)
        samples[1:] = np.cos(2 * np.pi * 100 * t / 2048)
        lines, peak = ref.spectrum(samples, 1, 2049)
        self.assertEqual(peak, 100)
        self.assertAlmostEqual(float(lines[100]), 0.58685, places=5)
        self.assertAlmostEqual(float(lines[99]), 0.29343, places=5)
        self.assertAlmostEqual(float(lines[101]), 0.29343, places=5)
        self.assertLess(float(np.delete(lines, [99, 100, 101]).max()), 1e-5)
        self.assertEqual(ref.fmt2(peak * 200 / 2048), "9.77")

    def test_constant_puts_peak_at_line_zero(self):
        samples = np.full(3000, F32(0.5), dtype=F32)
        lines, peak = ref.spectrum(samples, 0, 2048)
        self.assertEqual(peak, 0)
        self.assertAlmostEqual(float(lines[0]), 0.5 * 1.17371, places=5)
        self.assertAlmostEqual(float(lines[1]), 0.5 * 1.17371 / 2, places=5)

    def test_zero_segment_and_padding(self):
        lines, peak = ref.spectrum(np.zeros(10, dtype=F32), 0, 9)
        self.assertEqual(peak, 0)
        self.assertTrue(np.all(lines == 0))

    def test_blocks_past_the_record_read_zeros(self):
        samples = np.zeros(1001, dtype=F32)
        samples[1:] = np.random.default_rng(5).normal(size=1000)
        padded = np.zeros(2049, dtype=F32)
        padded[:1001] = samples
        self.assertEqual(ref.spectrum(samples, 200, 900)[0].tolist(),
                         ref.spectrum(padded, 200, 900)[0].tolist())

    def test_average_over_blocks(self):
        rng = np.random.default_rng(9)
        samples = rng.normal(size=3073).astype(F32)
        samples[0] = 0
        lines, _ = ref.spectrum(samples, 0, 2560)
        one, _ = ref.spectrum(samples, 0, 2048)
        two, _ = ref.spectrum(samples, 512, 2560)
        expect = np.sqrt((one.astype(float) ** 2 + two.astype(float) ** 2) / 2)
        self.assertLess(np.abs(lines - expect).max() / lines.max(), 1e-5)


class Report(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.dir.name, "r.txt")
        with open(self.path, "wb") as f:
            f.write(psn(["Number of Samples: 3", "SPS: 100",
                         "Station Code: ABC", "Component Name: XYZ"], [1, 2, 3]))

    def tearDown(self):
        self.dir.cleanup()

    def test_whole_record_row(self):
        out = ref.Reporter().run([self.path]).decode()
        head, row, end = out.split("\n")
        self.assertEqual(head, "File\tLabel\tID\tStart\tEnd\tMaxPeak\tRMS\tLaw,max,Slow\tFreq.max")
        self.assertEqual(row.split("\t")[:7],
                         [self.path, "ABC", "XYZ", "0", " 3", "1000000.", "816496.58"])
        self.assertEqual(end, "")

    def test_segment_resolution(self):
        self.assertEqual(ref.resolve_segment((0, 99), 50), (1, 50))
        self.assertEqual(ref.resolve_segment((40, 10), 50), (10, 40))
        self.assertIsNone(ref.resolve_segment((60, 70), 50))
        self.assertIsNone(ref.resolve_segment((5, 5), 50))
        self.assertIsNone(ref.resolve_segment(None, 50))

    def test_segment_row_and_equal_ends(self):
        rep = ref.Reporter()
        row = rep.run(["--segment", "3:1", self.path]).decode().split("\n")[1]
        self.assertEqual(row.split("\t")[3:7], [" 1", " 3", "1000000.", "816496.58"])
        row = rep.run(["--segment", "1:2", self.path]).decode().split("\n")[1]
        self.assertEqual(row.split("\t")[3:7], [" 1", " 2", "1000000.", "707106.78"])
        self.assertEqual(rep.run(["--segment", "2:2", self.path]),
                         rep.run([self.path]))

    def test_spectrum_text(self):
        out = ref.Reporter().run(["--spectrum", self.path])
        lines = out.split(b"\n")
        self.assertEqual(len(lines), 1026)
        self.assertEqual(lines[0], "Freq. (Hz)\tVelocity (\u00b5m/s)".encode("utf-8"))
        self.assertTrue(lines[1].startswith(b"0.\t"))
        self.assertTrue(lines[2].startswith(b"0.0488\t"))   # 100 / 2048
        self.assertEqual(lines[-1], b"")


if __name__ == "__main__":
    unittest.main()
