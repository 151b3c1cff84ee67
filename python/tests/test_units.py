"""Unit systems: the built-in ones from the library, systems of your own
checked by it, unit files read as tx14 reads them."""

import os
import shutil
import tempfile
import threading
import unittest

import txappendix14
from items import OPENING
from txappendix14 import SI, US, Units, load_unit_file


class Systems(unittest.TestCase):
    def test_a_system_of_your_own_labels_the_results(self):
        labels = list(SI.labels)
        labels[8] = "N/mm\xb2"  # pressure, beyond ASCII
        mine = Units("mine", SI.factors, labels)
        r = txappendix14.analyse(dict(OPENING, units="SI", P=0.6894757))
        ours = txappendix14.analyse(dict(OPENING, units=mine, P=0.6894757))
        self.assertEqual((ours.units, ours.result_units["mawp"], ours.mawp), ("mine", "N/mm\xb2", r.mawp))


US_FACTORS = ["1.0"] * 7 + ["0.0"] + ["1.0"] * 14


def unit_file(factors=US_FACTORS, label="u"):
    return "factors = [%s]\nlabels = [%s]\n" % (", ".join(factors), ", ".join(['"%s"' % label] * 23))


class UnitFiles(unittest.TestCase):
    # The file's shape is read here, its values are judged by the library;
    # both reach the caller as ValueError. (A good file: the item in a unit
    # file's units, against tx14.)
    BAD = [
        ("21 factors", unit_file(factors=US_FACTORS[:21]), "22 numbers"),
        ("pressure factor 0", unit_file(factors=US_FACTORS[:8] + ["0"] + US_FACTORS[9:]),
         "factor 9 (pressures) must not be 0"),
        ("label of 11 characters", unit_file(label="x" * 11), "label 1 is longer than 10"),
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


if __name__ == "__main__":
    unittest.main()
