#!/usr/bin/env python3
"""The include and namespace check of scripts/check-layers.py, run on small planted trees."""

import pathlib
import subprocess
import sys
import tempfile
import unittest

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check-layers.py"

TABLE = """\
base    lib_base
db      lib_db      base
entry   lib_entry   db
print   lib_print   db
"""


class CheckLayersTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = pathlib.Path(self.folder.name)
        self.write("cmake/layers.txt", TABLE)
        for box in ("base", "db", "entry", "print"):
            self.write(f"{box}/CMakeLists.txt", f"add_library(lib_{box} x.cpp)\n")
        self.write("base/Result.h", "namespace velmora {\nstruct Status {};\n}\n")
        self.write("db/Sqlite.h", '#include "base/Result.h"\nnamespace velmora::db {\nclass Connection;\n}\n')

    def tearDown(self):
        self.folder.cleanup()

    def write(self, name, text):
        path = self.root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)

    def check(self):
        run = subprocess.run([sys.executable, str(SCRIPT), "--root", str(self.root)], capture_output=True, text=True)
        return run.returncode, run.stdout

    def test_a_clean_tree_passes(self):
        # A box may name the classes of a box it uses ahead of their headers.
        self.write("print/Job.h", "namespace velmora::db {\nclass Connection;\n}\nnamespace velmora::print {\n}\n")
        self.assertEqual(self.check(), (0, "check-layers: 4 boxes, every include points down, every box in its namespace\n"))

    def test_a_second_namespace_of_a_box_not_used_is_refused(self):
        self.write("entry/Entry.cpp", "namespace velmora::entry {\n}\nnamespace velmora::print {\nint x;\n}\n")
        status, output = self.check()
        self.assertEqual(status, 1)
        self.assertIn("entry/Entry.cpp: declares velmora::print, not velmora::entry of entry", output)

    def test_the_base_namespace_is_base_alone(self):
        self.write("entry/Entry.cpp", "namespace velmora::entry {\n}\nnamespace velmora {\nint x;\n}\n")
        self.assertIn("entry/Entry.cpp: declares velmora, not velmora::entry", self.check()[1])

    def test_an_include_against_the_direction_is_refused(self):
        self.write("print/Page.h", "namespace velmora::print {\n}\n")
        self.write("db/Query.cpp", '#include "print/Page.h"\nnamespace velmora::db {\n}\n')
        status, output = self.check()
        self.assertEqual(status, 1)
        self.assertIn('db/Query.cpp:1: db -> print: #include "print/Page.h" (db may use base)', output)


if __name__ == "__main__":
    unittest.main()
