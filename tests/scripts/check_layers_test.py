#!/usr/bin/env python3
"""The layer check on small trees made for each case: it must find every
include that runs the wrong way, and only those."""
import contextlib
import io
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import check_layers  # noqa: E402


class CheckLayersTest(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.TemporaryDirectory()
        self.root = self.directory.name
        # Headers every case may include.
        for path in ("platform/com/Types.h", "module/ModuleLock.h", "catalog/CatFile.h", "items/CatItem.h",
                     "items/NewFolderDialog.h", "pages/AboutDialog.h", "module/ClassObjects.h", "cli/Commands.h",
                     "host/Window.h", "tests/support/TestEnvironment.h", "tests/items/ItemFixture.h"):
            self.write(path, "#pragma once\n")

    def tearDown(self):
        self.directory.cleanup()

    def write(self, path, text):
        full = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w") as f:
            f.write(text)

    def problems(self, path, *included):
        self.write(path, "".join('#include "%s"\n' % name for name in included))
        return check_layers.check(self.root)

    def test_includes_down_the_layers_pass(self):
        cases = {
            "platform/ui/Menu.cpp": ["platform/com/Types.h"],
            "module/ChangeNotify.cpp": ["module/ModuleLock.h", "platform/com/Types.h", "module/Version.h"],
            "catalog/CatFile.cpp": ["catalog/CatFile.h", "module/ModuleLock.h"],
            "items/ShelfItem.cpp": ["items/CatItem.h", "catalog/CatFile.h", "ui_Form.h"],
            "pages/AboutDialog.cpp": ["pages/AboutDialog.h", "items/CatItem.h", "AboutDialog.moc"],
            "items/NewFolderDialog.cpp": ["items/NewFolderDialog.h", "items/CatItem.h"],
            "module/Exports.cpp": ["module/ClassObjects.h", "pages/AboutDialog.h"],
            "cli/main.cpp": ["cli/Commands.h", "module/ClassObjects.h"],
            "host/main.cpp": ["host/Window.h", "platform/com/Types.h"],
            "tests/platform/ui/MenuTest.cpp": ["platform/com/Types.h", "tests/support/TestEnvironment.h"],
            "tests/items/CatItemTest.cpp": ["ItemFixture.h", "items/CatItem.h", "module/ClassObjects.h"],
        }
        for path, included in cases.items():
            self.write(path, "".join('#include "%s"\n' % name for name in included))
        self.assertEqual(check_layers.check(self.root), [])

    def test_includes_up_the_layers_are_each_reported(self):
        cases = [
            ("platform/ui/Menu.cpp", "catalog/CatFile.h", "platform includes \"catalog/CatFile.h\" of the core layer"),
            ("module/ChangeNotify.cpp", "items/CatItem.h", "module base includes \"items/CatItem.h\" of the core"),
            ("items/CatItem.cpp", "pages/AboutDialog.h", "core includes \"pages/AboutDialog.h\" of the gui"),
            ("items/ShelfFolder.cpp", "items/NewFolderDialog.h", "core includes \"items/NewFolderDialog.h\" of the gui"),
            ("pages/AboutDialog.cpp", "module/ClassObjects.h", "gui includes \"module/ClassObjects.h\" of the module"),
            ("module/Exports.cpp", "cli/Commands.h", "module includes \"cli/Commands.h\" of the cli"),
            ("tests/items/CatItemTest.cpp", "host/Window.h", "tests includes \"host/Window.h\" of the host"),
            ("host/main.cpp", "items/CatItem.h", "host includes \"items/CatItem.h\" of the core"),
            ("tests/platform/ui/MenuTest.cpp", "catalog/CatFile.h", "platform tests includes \"catalog/CatFile.h\""),
        ]
        for path, included, expected in cases:
            with self.subTest(path=path):
                problems = self.problems(path, included)
                self.assertEqual(len(problems), 1, problems)
                self.assertIn(path + ":1: " + expected, problems[0])
                os.remove(os.path.join(self.root, path))

    def test_a_file_without_a_layer_and_a_missing_header_are_errors(self):
        self.write("newfolder/Thing.cpp", "")
        self.write("catalog/Reader.cpp", '#include "catalog/Missing.h"\n')
        self.assertEqual(check_layers.check(self.root), [
            'catalog/Reader.cpp:1: "catalog/Missing.h" names no file of the tree',
            "newfolder/Thing.cpp: no layer; give its folder one in scripts/check_layers.py",
        ])

    def test_the_exit_status_says_whether_anything_was_found(self):
        with contextlib.redirect_stdout(io.StringIO()) as out:
            self.write("catalog/CatFile.cpp", '#include "catalog/CatFile.h"\n')
            self.assertEqual(check_layers.main(["check_layers.py", self.root]), 0)
            self.write("catalog/CatFile.cpp", '#include "pages/AboutDialog.h"\n')
            self.assertEqual(check_layers.main(["check_layers.py", self.root]), 1)
        self.assertIn('catalog/CatFile.cpp:1: core includes "pages/AboutDialog.h"', out.getvalue())


if __name__ == "__main__":
    unittest.main()
