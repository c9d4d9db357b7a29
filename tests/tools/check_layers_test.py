#!/usr/bin/env python3
"""The layer check on small made-up trees: what it accepts and each fault it reports."""

import importlib.util
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "..", "tools", "check-layers.py")
checker_location = importlib.util.spec_from_file_location("check_layers", SCRIPT)
check_layers = importlib.util.module_from_spec(checker_location)
checker_location.loader.exec_module(check_layers)

TABLE = """# Architecture

### Which folder may include which

| folder | may include |
|---|---|
| `base/` | nothing |
| `low/` | `base/` |
| `low/upper/` | `low/` |
| `seam/` | nothing |
| `high/` | `low/`, `base/` |
| `sim/` | `seam/` |
| `tests/` | everything |

## Next section
"""


class LayerCheck(unittest.TestCase):
    def tree(self, files):
        root = tempfile.mkdtemp(prefix="layers")
        os.makedirs(os.path.join(root, "docs"))
        with open(os.path.join(root, "docs", "architecture.md"), "w") as doc:
            doc.write(TABLE)
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as source:
                source.write(text)
        return root

    def test_cases(self):
        cases = [
            # name, files, expected fault fragments (empty: the tree is accepted)
            ("downward include", {"high/a.cpp": '#include "low/b.h"\n'}, []),
            ("own folder by bare name", {"low/a.cpp": '#include "a.h"\n'}, []),
            ("upward include", {"low/a.cpp": '#include "high/b.h"\n'}, ["low/ may not include high/"]),
            ("skipping a layer", {"low/upper/a.cpp": '#include "base/b.h"\n'},
             ["low/upper/ may not include base/"]),
            ("parent folder is not the subfolder's",
             {"low/a.cpp": '#include "low/upper/b.h"\n'}, ["low/ may not include low/upper/"]),
            ("folder without a row", {"other/a.cpp": "int a;\n"}, ["not in the layer table"]),
            ("include of no folder", {"high/a.cpp": '#include "res/x.h"\n'},
             ["lies in no folder"]),
            ("tests include anything", {"tests/a.cpp": '#include "high/b.h"\n'}, []),
            ("system headers are not checked", {"base/a.cpp": "#include <windows.h>\n"}, []),
            ("direct DeviceIoControl", {"low/a.cpp": "BOOL b = DeviceIoControl(h, 0);\n"},
             ["calls a seamed function"]),
            ("direct ExitWindowsEx", {"high/a.cpp": "ExitWindowsEx (0, 0);\n"},
             ["calls a seamed function"]),
            ("the forwarder may call them",
             {"seam/system_seam_win32.cpp": "return DeviceIoControl(h);\nExitWindowsEx(f, r);\n"},
             []),
            ("a name that only ends in it", {"low/a.cpp": "SysDeviceIoControl(h);\n"}, []),
            ("a comment that names it", {"low/a.cpp": "// never call ExitWindowsEx() here\n"}, []),
            ("the simulator's own calls", {"sim/a.cpp": "DeviceIoControl(h);\n"}, []),
        ]
        for name, files, expected in cases:
            with self.subTest(name):
                faults = check_layers.check(self.tree(files))
                if not expected:
                    self.assertEqual([], faults)
                else:
                    self.assertEqual(len(expected), len(faults), faults)
                    for fragment, fault in zip(expected, faults):
                        self.assertIn(fragment, fault)

    def test_a_tree_without_the_table_is_refused(self):
        root = tempfile.mkdtemp(prefix="layers")
        os.makedirs(os.path.join(root, "docs"))
        with open(os.path.join(root, "docs", "architecture.md"), "w") as doc:
            doc.write("# Architecture\n")
        with self.assertRaises(SystemExit):
            check_layers.check(root)


if __name__ == "__main__":
    sys.exit(unittest.main())
