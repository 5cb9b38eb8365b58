#!/usr/bin/env python3
"""Reads a value from a registry export (`reg export`, UTF-16 .reg text).

  reg_value.py FILE KEY [NAME]

prints the text of value NAME (the default value without NAME) of KEY, or
"(key)" when the key exists and NAME is "-"; exits 1 when the key or the
value is missing. Key names compare ignoring case, as the registry's do."""
import sys


def sections(path):
    data = open(path, "rb").read()
    text = data.decode("utf-16") if data[:2] in (b"\xff\xfe", b"\xfe\xff") else data.decode("utf-8")
    current = None
    result = {}
    for line in text.splitlines():
        if line.startswith("[") and line.endswith("]"):
            current = result.setdefault(line[1:-1].lower(), {})
        elif current is not None and "=" in line:
            name, _, value = line.partition("=")
            name = "" if name == "@" else name.strip('"')
            if value.startswith('"'):
                value = value[1:-1].replace('\\"', '"').replace("\\\\", "\\")
            current[name.lower()] = value
    return result


def main(argv):
    keys = sections(argv[1])
    key = keys.get(argv[2].lower())
    if key is None:
        return 1
    name = argv[3] if len(argv) > 3 else ""
    if name == "-":
        print("(key)")
        return 0
    if name.lower() not in key:
        return 1
    print(key[name.lower()])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
