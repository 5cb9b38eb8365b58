#!/usr/bin/env python3
"""The layer check on small trees: which includes it lets through and which
it reports."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layers  # noqa: E402


class LayerCheckTest(unittest.TestCase):
    CASES = [
        # (file, included header, reported)
        ("task/a.cpp", "collect/b.h", False),
        ("task/a.cpp", "task/b.h", False),
        ("collect/a.cpp", "render/b.h", False),
        ("com/a.cpp", "platform/api/kernel.h", False),
        ("filter/com/a.h", "com/EventCollector_h.h", False),
        ("tools/a.cpp", "platform/host/host.h", False),
        ("render/a.h", "task/b.h", True),
        ("collect/a.h", "task/b.h", True),
        ("filter/a.cpp", "render/b.h", True),
        ("render/a.cpp", "filter/b.h", True),
        ("base/a.cpp", "render/b.h", True),
        ("task/a.cpp", "com/class_table.h", True),
        ("collect/a.cpp", "platform/host/host.h", True),
        ("platform/api/a.h", "base/b.h", True),
    ]

    def test_includes(self):
        for source, header, reported in self.CASES:
            with self.subTest(source=source, header=header), tempfile.TemporaryDirectory() as root:
                path = os.path.join(root, source)
                os.makedirs(os.path.dirname(path))
                with open(path, "w", encoding="utf-8") as f:
                    f.write('#include <vector>\n\n  #  include "%s"\n' % header)
                problems = check_layers.check_tree(root)
                self.assertEqual(bool(problems), reported, problems)
                if reported:
                    self.assertIn("%s:3:" % source, problems[0])


if __name__ == "__main__":
    unittest.main()
