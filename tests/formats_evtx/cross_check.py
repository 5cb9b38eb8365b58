#!/usr/bin/python3
"""Compares the records our .evtx reader produced (JSON lines written by the
test) with what an independent reader makes of the same file.

usage: cross_check.py evtxexport|python-evtx FILE.evtx OURS.jsonl

Every record the independent reader yields must be among ours with equal
values; prints the differences and exits 1 when there are any.
"""
import base64
import datetime
import json
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

HEX = re.compile(r"^0x[0-9a-fA-F]+$")
GUID = re.compile(r"^\{[0-9a-fA-F-]{36}\}$")
ISO = re.compile(r"^(\d{4})-(\d\d)-(\d\d)[T ](\d\d):(\d\d):(\d\d)(?:\.(\d+))?Z?$")
EPOCH = datetime.datetime(1601, 1, 1)
CONTROL = re.compile(r"[\x00-\x08\x0b\x0c\x0e-\x1f]")
STRINGS = re.compile(r"^(<string>.*?</string>\n)+$", re.S)


def ticks(text):
    """A date-time text as 100 ns ticks since 1601, or None."""
    m = ISO.match(text)
    if not m:
        return None
    y, mo, d, h, mi, s = (int(g) for g in m.groups()[:6])
    frac = (m.group(7) or "0")[:7].ljust(7, "0")
    seconds = (datetime.datetime(y, mo, d, h, mi, s) - EPOCH).total_seconds()
    return int(seconds) * 10000000 + int(frac)


def norm(text, precision):
    """One value text in a form both readers agree on."""
    text = CONTROL.sub("?", (text or "").replace("\r\n", "\n"))
    if text in ("True", "False"):
        return text.lower()
    if HEX.match(text):
        return hex(int(text, 16))
    if GUID.match(text):
        return text.upper()
    t = ticks(text)
    if t is not None:
        return str(t // precision)
    return text


def local(tag):
    return tag.split("}", 1)[-1]


def user_values(event):
    out = []
    for el in event:
        if local(el.tag) == "EventData":
            for d in el:
                name = d.get("Name", "") if local(d.tag) == "Data" else local(d.tag)
                out.append([name, d.text or ""])
        elif local(el.tag) == "UserData":
            for child in el:
                collect(child, out)
    return out


def collect(el, out):
    for k, v in el.attrib.items():
        out.append([local(k), v])
    children = list(el)
    if not children:
        out.append([local(el.tag), el.text or ""])
    for c in children:
        collect(c, out)


def find(event, *path):
    el = event
    for step in path:
        el = next((c for c in el if local(c.tag) == step), None)
        if el is None:
            return None
    return el


def summary(event, written, precision):
    def text(*path):
        el = find(event, *path)
        return "" if el is None else (el.text or "")

    def attr(path, name):
        el = find(event, *path)
        return "" if el is None else el.get(name, "")

    created = attr(("System", "TimeCreated"), "SystemTime")
    rec = {
        "id": int(text("System", "EventRecordID")),
        "time": ticks(created) // precision if ticks(created) is not None else None,
        "provider": attr(("System", "Provider"), "Name"),
        "eventId": text("System", "EventID"),
        "level": text("System", "Level"),
        "task": text("System", "Task"),
        "keywords": norm(text("System", "Keywords"), precision),
        "computer": text("System", "Computer"),
        "userId": attr(("System", "Security"), "UserID"),
        "data": [[n, norm(v, precision)] for n, v in user_values(event)],
    }
    if written is not None:
        rec["written"] = written // precision
    return rec


def parse_event(xml):
    xml = CONTROL.sub("?", xml)
    try:
        return ET.fromstring(xml)
    except ET.ParseError:
        return ET.fromstring(re.sub(r"&(?!(amp|lt|gt|quot|apos|#\d+);)", "&amp;", xml))


def from_evtxexport(path):
    out = subprocess.run(["evtxexport", "-f", "xml", path], capture_output=True).stdout
    text = out.decode("utf-8", "replace")
    for chunk in re.findall(r"<Event xmlns.*?</Event>", text, re.S):
        yield summary(parse_event(chunk), None, 1)


def from_python_evtx(path):
    sys.path.insert(0, "/usr/lib/python3/dist-packages")
    import Evtx.Evtx as evtx

    with evtx.Evtx(path) as log:
        for record in log.records():
            try:
                written = (record.timestamp() - EPOCH) // datetime.timedelta(microseconds=1) * 10
                yield summary(parse_event(record.xml()), written, 10000)
            except Exception:  # a record this reader cannot parse is not compared
                continue


def ours(path, precision):
    for line in open(path, encoding="utf-8"):
        rec = json.loads(line)
        if rec["time"] is not None:
            rec["time"] //= precision
        rec["written"] //= precision
        rec["keywords"] = norm(rec["keywords"], precision)
        rec["data"] = [[n, norm(v, precision)] for n, v in rec["data"]]
        yield rec


def same_value(mine, theirs, tool):
    if mine == theirs:
        return True
    if tool == "evtxexport":
        # It shows a value made only of line ends as empty, a negative n-bit
        # integer v as -(2^(n-1) + v), and floating point as "2.500000e-001".
        if theirs == "" and mine.strip() == "":
            return True
        if re.fullmatch(r"-\d+", mine) and re.fullmatch(r"-\d+", theirs):
            total = -int(mine) - int(theirs)
            return total & (total - 1) == 0
        try:
            return "e" in theirs and float(mine) == float(theirs)
        except ValueError:
            return False
    # python-evtx shows binary data in base64, string arrays as one text, and
    # rounds FILETIME values to the microsecond.
    if re.fullmatch(r"([0-9A-F]{2})+", mine) and base64.b64encode(bytes.fromhex(mine)).decode() == theirs:
        return True
    return mine.isdigit() and theirs.isdigit() and abs(int(mine) - int(theirs)) <= 1


def same_data(mine, theirs, tool):
    if tool == "python-evtx" and any(STRINGS.match(v) for _, v in theirs):
        return True  # it joins and sometimes garbles the items of string arrays
    if tool == "python-evtx":  # it also shows the elements of absent optional values
        mine = [d for d in mine if d[1].strip("?")]  # and drops control characters
        theirs = [d for d in theirs if d[1].strip("?")]
    return len(mine) == len(theirs) and all(
        a[0] == b[0] and same_value(a[1], b[1], tool) for a, b in zip(mine, theirs))


def differs(key, mine, theirs, tool):
    if key in ("written", "time") and mine is not None and theirs is not None:
        return abs(mine - theirs) > 1
    if key == "data":
        return not same_data(mine, theirs, tool)
    return mine != theirs


def main():
    tool, path, mine = sys.argv[1:4]
    theirs = list(from_evtxexport(path) if tool == "evtxexport" else from_python_evtx(path))
    precision = 1 if tool == "evtxexport" else 10000
    by_id = {r["id"]: r for r in ours(mine, precision)}
    problems = []
    for r in theirs:
        o = by_id.get(r["id"])
        if o is None:
            problems.append("record %d missing" % r["id"])
            continue
        for key, value in r.items():
            if differs(key, o.get(key), value, tool):
                problems.append("record %d %s: ours %r, %s %r" % (r["id"], key, o.get(key), tool, value))
    print("%s: %d records, ours %d, %d differences" % (tool, len(theirs), len(by_id), len(problems)))
    for p in problems[:40]:
        print(p)
    sys.exit(1 if problems or not theirs else 0)


if __name__ == "__main__":
    main()
