"""Values out of the library: results in their shortest form, unit labels,
unit files, the decoding of report records."""

import os
import shutil
import tempfile
import threading
import unittest

import txappendix14
from items import OPENING
from txappendix14 import SI, Units, load_unit_file
from txappendix14._cp1252 import plain_text, report_text
from txappendix14._float32 import from_bits, shortest_decimal
from txappendix14.context import _file_lines


class ShortestResult(unittest.TestCase):
    # (Results shown in single precision: the items in SI against tx14.)
    # float32 bits and the text std::to_chars writes for them: the shortest
    # decimal, except where the form without exponent is as short and then
    # holds the exact whole value.
    CASES = [
        (0x3DCCCCCD, "0.1"), (0x49927C00, "1200000"), (0x4B189680, "1e+07"),
        (0x4CEB79A3, "123456792"), (0x4F69DF7B, "3923737344"), (0x7F7FFFFF, "3.4028235e+38"),
        (0x00000001, "1e-45"), (0x38D1B717, "1e-04"), (0x435126AF, "209.15111"),
        (0x4B800000, "16777216"), (0x5A0E1BCA, "1e+16"), (0x47F1205A, "123456.7"),
        (0x4B18967F, "9999999"), (0x4C000001, "33554436"), (0xC35126AF, "-209.15111"),
    ]

    def test_values(self):
        for b, text in self.CASES:
            with self.subTest(text):
                self.assertEqual(shortest_decimal(from_bits(b)), float(text))


class Labels(unittest.TestCase):
    def test_labels_cut_to_the_library_slot(self):
        labels = ["long label"] * 23
        labels[10] = "kg/m\xb3"
        labels[21] = "  mm\xf8"  # o with a stroke in a label, not theta
        units = Units("mine", SI.factors, labels)
        cases = [("thickness", "mm\xf8"), ("diameter", "lon"), ("stress", "long label"),
                 ("moment", "long l"), ("temperature", "l")]
        for quantity, label in cases:
            with self.subTest(quantity):
                self.assertEqual(units.label(quantity), label)
        self.assertEqual(len(units.host_labels()), 230)


US_FACTORS = ["1.0"] * 7 + ["0.0"] + ["1.0"] * 14


def unit_file(factors=US_FACTORS):
    return "factors = [%s]\nlabels = [%s]\n" % (", ".join(factors), ", ".join(['"u"'] * 23))


class UnitFiles(unittest.TestCase):
    # Every fault is in tx14's table of unit files; here that a fault of the
    # file's shape, of a value and of its nesting reaches the caller as ValueError.
    # (A good file: the item in a unit file's units, against tx14.)
    BAD = [
        ("21 factors", unit_file(factors=US_FACTORS[:21]), "22 numbers"),
        ("pressure factor 0", unit_file(factors=US_FACTORS[:8] + ["0"] + US_FACTORS[9:]), "must not be 0"),
        ("nested too deeply", "factors = " + "[" * 5000 + "]" * 5000 + "\n", "unit file"),
    ]

    def write(self, text):
        f = tempfile.NamedTemporaryFile("w", suffix=".toml", delete=False, encoding="utf-8")
        self.addCleanup(os.unlink, f.name)
        f.write(text)
        f.close()
        return f.name

    def test_an_item_sees_its_unit_file_change(self):
        path = self.write(unit_file())
        first = txappendix14.analyse(dict(OPENING, units=path)).mawp
        with open(path, "w", encoding="utf-8") as f:
            f.write(unit_file(factors=US_FACTORS[:8] + ["2.0"] + US_FACTORS[9:]))
        self.assertNotEqual(txappendix14.analyse(dict(OPENING, units=path)).mawp, first)

    def test_bad_files(self):
        for case, text, words in self.BAD:
            with self.subTest(case):
                with self.assertRaises(ValueError) as raised:
                    load_unit_file(self.write(text))
                self.assertIn(words, str(raised.exception))

    def refusal(self, load, path):
        """The message load(path) raises, within a few seconds: a FIFO or a
        device must not be read at all. (/dev/null stands for the devices:
        a reader that reads /dev/zero does not stop.)"""
        outcome = []

        def run():
            try:
                load(path)
                outcome.append("accepted")
            except ValueError as e:
                outcome.append(str(e))
            except BaseException as e:  # anything else is a fault of its own
                outcome.append("%s: %s" % (type(e).__name__, e))
        reader = threading.Thread(target=run, daemon=True)
        reader.start()
        reader.join(10)
        self.assertFalse(reader.is_alive(), "%s: still reading after 10 s" % path)
        return outcome[0]

    def test_files_tx14_refuses(self):
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder)
        fifo = os.path.join(folder, "units.fifo")
        os.mkfifo(fifo)
        big = self.write(unit_file() + "#" * (1 << 20))
        exact = self.write(unit_file() + "#" * ((1 << 20) - len(unit_file()) - 1) + "\n")
        self.assertEqual(os.path.getsize(exact), 1 << 20)
        latin1 = self.write("")
        with open(latin1, "wb") as f:
            f.write(unit_file().encode() + b'# caf\xe9\n')
        cases = [(fifo, "FIFO"), ("/dev/null", "device"), (folder, "directory"),
                 (big, "larger than 1 MiB"), (latin1, "line 3, column 6: byte 0xE9 is not UTF-8"),
                 (os.path.join(folder, "none.toml"), "no such file")]

        def in_item(path):
            return txappendix14.analyse(dict(OPENING, units=path))
        for load, prefix in ((load_unit_file, ""), (in_item, 'key "units": ')):
            for path, words in cases:
                with self.subTest(path=path, item=bool(prefix)):
                    message = self.refusal(load, path)
                    self.assertTrue(message.startswith(prefix), message)
                    self.assertIn(path, message)
                    self.assertIn(words, message)
        self.assertIsInstance(load_unit_file(exact), Units)


class Records(unittest.TestCase):
    def test_decoding(self):
        cases = [(b"(E\xf8)*", "(E\u03b8)*"), (b"\x80 \xb2\xb3\xb0", "\u20ac \u00b2\u00b3\u00b0"),
                 (b"a\tb", "a\tb"), (b"\x81\x07\x7f\x1b[1m", "\ufffd\ufffd\ufffd\ufffd[1m")]
        for data, text in cases:
            with self.subTest(text):
                self.assertEqual(report_text(data), text)
        self.assertEqual(plain_text(b"\xf8"), "\u00f8")

    def test_file_records(self):
        # (Capture records: every report against tx14's decoding.)
        styled = b" " + b"Styled".ljust(107) + b" 0 0 0 0 1 0"
        lines = _file_lines(b" plain\r\n" + styled + b"\n\n last\n")
        self.assertEqual([(line.text, line.styles) for line in lines],
                         [("plain", (0,) * 6), ("Styled", (0, 0, 0, 0, 1, 0)), ("", (0,) * 6),
                          ("last", (0,) * 6)])


if __name__ == "__main__":
    unittest.main()
