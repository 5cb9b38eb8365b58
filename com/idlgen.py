#!/usr/bin/env python3
"""Derives the Linux build's COM sources from the component's IDL file.

  idlgen.py EventCollector.idl OUTDIR

writes OUTDIR/EventCollector_h.h (the interfaces as abstract classes in
vtable slot order, their IIDs, the CLSIDs and the LIBID, as the IDL
compiler's header on Windows) and OUTDIR/EventCollector_dispatch.cpp (the
dispatch description of every dual interface: members, dispids, kinds,
slots, parameter types and one call thunk per member; and the library's
classes). Only the IDL subset that the component uses is understood; any
other construct stops the build with a message.
"""

import os
import re
import sys

# Automation types the interfaces use: IDL name -> (VARTYPE, VARIANT field).
VALUE_TYPES = {
    "BSTR": ("VT_BSTR", "bstrVal"),
    "VARIANT_BOOL": ("VT_BOOL", "boolVal"),
    "LONG": ("VT_I4", "lVal"),
    "ULONG": ("VT_UI4", "ulVal"),
    "INT": ("VT_INT", "intVal"),
    "LONGLONG": ("VT_I8", "llVal"),
    "ULONGLONG": ("VT_UI8", "ullVal"),
    "VARIANT": ("VT_VARIANT", None),
}
SYMBOLIC_DISPIDS = {"DISPID_NEWENUM": -4, "DISPID_VALUE": 0, "DISPID_EVALUATE": -5}
FIRST_OWN_SLOT = {"IDispatch": 7, "IUnknown": 3}
INHERITANCE_LEVEL = {"IDispatch": 2, "IUnknown": 1}


class IdlError(Exception):
    pass


def tokenize(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    text = re.sub(r"//[^\n]*", " ", text)
    # A uuid comes out in pieces ("8B42E812", "-95", "E5", ...) that
    # attributes() joins again; parse_guid checks the whole.
    return re.findall(r'"[^"]*"|[A-Za-z_][A-Za-z0-9_]*|0[xX][0-9A-Fa-f]+|-?[0-9]+(?:\.[0-9]+)?|\S', text)


class Reader:
    def __init__(self, tokens):
        self.tokens = tokens
        self.pos = 0

    def peek(self, ahead=0):
        i = self.pos + ahead
        return self.tokens[i] if i < len(self.tokens) else None

    def take(self, expected=None):
        tok = self.peek()
        if tok is None:
            raise IdlError("unexpected end of file")
        if expected is not None and tok != expected:
            raise IdlError("expected %r, found %r near token %d" % (expected, tok, self.pos))
        self.pos += 1
        return tok

    def attributes(self):
        """[a, b(c), ...] -> {name: argument text or True}; {} when none."""
        attrs = {}
        if self.peek() != "[":
            return attrs
        self.take("[")
        while True:
            name = self.take()
            value = True
            if self.peek() == "(":
                self.take("(")
                parts = []
                while self.peek() != ")":
                    parts.append(self.take())
                self.take(")")
                value = "".join(parts)
            attrs[name] = value
            if self.take() == "]":
                return attrs


def parse_guid(text):
    m = re.fullmatch(r"([0-9A-Fa-f]{8})-([0-9A-Fa-f]{4})-([0-9A-Fa-f]{4})-([0-9A-Fa-f]{4})-([0-9A-Fa-f]{12})", text)
    if not m:
        raise IdlError("bad uuid %r" % text)
    return text.upper()


def parse_dispid(value):
    if value in SYMBOLIC_DISPIDS:
        return SYMBOLIC_DISPIDS[value]
    number = int(value, 0)
    return number - (1 << 32) if number >= (1 << 31) else number


def parse_param(reader):
    attrs = reader.attributes()
    type_name = reader.take()
    stars = 0
    while reader.peek() == "*":
        reader.take("*")
        stars += 1
    name = None
    if reader.peek() not in (",", ")"):
        name = reader.take()
    if "retval" in attrs:
        direction = "Retval"
    elif "out" in attrs:
        direction = "Out"
    else:
        direction = "In"
    return {"type": type_name, "stars": stars, "name": name, "direction": direction}


def parse_interface(reader, attrs):
    name = reader.take()
    reader.take(":")
    base = reader.take()
    if base not in FIRST_OWN_SLOT:
        raise IdlError("interface %s derives from %s; only IUnknown and IDispatch are supported" % (name, base))
    reader.take("{")
    methods = []
    while reader.peek() != "}":
        mattrs = reader.attributes()
        if reader.take() != "HRESULT":
            raise IdlError("%s: every method returns HRESULT" % name)
        mname = reader.take()
        reader.take("(")
        params = []
        if reader.peek() == "void":
            reader.take("void")
        while reader.peek() != ")":
            params.append(parse_param(reader))
            if reader.peek() == ",":
                reader.take(",")
        reader.take(")")
        reader.take(";")
        index = len(methods)
        kind = "PropGet" if "propget" in mattrs else "PropPut" if "propput" in mattrs else \
            "PropPutRef" if "propputref" in mattrs else "Method"
        dispid = parse_dispid(mattrs["id"]) if "id" in mattrs else \
            0x60000000 + (INHERITANCE_LEVEL[base] << 16) + index
        methods.append({
            "name": mname, "kind": kind, "dispid": dispid, "slot": FIRST_OWN_SLOT[base] + index,
            "params": params, "help": strip_quotes(mattrs.get("helpstring")),
        })
    reader.take("}")
    reader.take(";")
    return {"name": name, "base": base, "uuid": parse_guid(attrs["uuid"]), "methods": methods,
            "help": strip_quotes(attrs.get("helpstring")), "dual": "dual" in attrs}


def strip_quotes(value):
    if value is None or value is True:
        return None
    return value[1:-1] if value.startswith('"') else value


def parse_library(reader, attrs):
    library = {"name": reader.take(), "uuid": parse_guid(attrs["uuid"]), "version": attrs.get("version", "1.0"),
               "lcid": int(attrs.get("lcid", "0"), 0), "help": strip_quotes(attrs.get("helpstring")), "classes": []}
    reader.take("{")
    while reader.peek() != "}":
        if reader.peek() == "importlib":
            while reader.take() != ";":
                pass
            continue
        cattrs = reader.attributes()
        reader.take("coclass")
        cname = reader.take()
        reader.take("{")
        interfaces = []
        while reader.peek() != "}":
            iattrs = reader.attributes()
            reader.take("interface")
            interfaces.append((reader.take(), "default" in iattrs))
            reader.take(";")
        reader.take("}")
        reader.take(";")
        default = next((i for i, d in interfaces if d), interfaces[0][0])
        library["classes"].append({"name": cname, "uuid": parse_guid(cattrs["uuid"]),
                                   "help": strip_quotes(cattrs.get("helpstring")),
                                   "default": default, "interfaces": [i for i, _ in interfaces]})
    reader.take("}")
    if reader.peek() == ";":
        reader.take(";")
    return library


def parse(text):
    reader = Reader(tokenize(text))
    interfaces, library = [], None
    while reader.peek() is not None:
        if reader.peek() == "import":
            while reader.take() != ";":
                pass
            continue
        attrs = reader.attributes()
        keyword = reader.take()
        if keyword == "interface" and reader.peek(1) == ";":
            reader.take()
            reader.take(";")
        elif keyword == "interface":
            interfaces.append(parse_interface(reader, attrs))
        elif keyword == "library":
            library = parse_library(reader, attrs)
        else:
            raise IdlError("unsupported construct %r" % keyword)
    if library is None:
        raise IdlError("no library block")
    check(interfaces, library)
    return interfaces, library


def check(interfaces, library):
    names = {i["name"] for i in interfaces}
    for i in interfaces:
        seen = set()
        for m in i["methods"]:
            key = (m["dispid"], m["kind"])
            if key in seen:
                raise IdlError("%s.%s: dispid %d used twice for one kind" % (i["name"], m["name"], m["dispid"]))
            seen.add(key)
            for p in m["params"]:
                if p["type"] not in VALUE_TYPES and p["type"] not in names | {"IUnknown", "IDispatch"}:
                    raise IdlError("%s.%s: unsupported type %s" % (i["name"], m["name"], p["type"]))
                expected = (1 if p["type"] not in VALUE_TYPES else 0) + (p["direction"] != "In")
                if p["stars"] != expected:
                    raise IdlError("%s.%s: parameter %s has %d '*', expected %d"
                                   % (i["name"], m["name"], p["name"], p["stars"], expected))
    for c in library["classes"]:
        for iface in c["interfaces"]:
            if iface not in names:
                raise IdlError("coclass %s lists unknown interface %s" % (c["name"], iface))


# ---------------------------------------------------------------------------
# Output.

def guid_initializer(text):
    d1, d2, d3, d4, d5 = text.split("-")
    parts = ["0x" + d1, "0x" + d2, "0x" + d3] + ["0x" + (d4 + d5)[i:i + 2] for i in range(0, 16, 2)]
    return ", ".join(parts)


def cpp_method_name(m):
    prefix = {"PropGet": "get_", "PropPut": "put_", "PropPutRef": "putref_", "Method": ""}[m["kind"]]
    return prefix + m["name"]


def cpp_param_type(p):
    return p["type"] + "*" * p["stars"]


def u16(text):
    if text is None:
        return "nullptr"
    return 'u"%s"' % text.replace("\\", "\\\\").replace('"', '\\"')


def generate_header(interfaces, library):
    out = ["// Generated from EventCollector.idl by com/idlgen.py. Do not edit.",
           "#pragma once", "", '#include "platform/api/oleauto.h"', ""]
    for i in interfaces:
        out.append("struct %s;" % i["name"])
    out.append("")
    for i in interfaces:
        out.append("EC_DEFINE_GUID(IID_%s, %s);" % (i["name"], guid_initializer(i["uuid"])))
        if i["help"]:
            out.append("// %s" % i["help"])
        out.append("struct %s : %s {" % (i["name"], i["base"]))
        for m in i["methods"]:
            params = ", ".join(cpp_param_type(p) + (" " + p["name"] if p["name"] else "") for p in m["params"])
            out.append("  virtual HRESULT STDMETHODCALLTYPE %s(%s) = 0;  // slot %d, dispid %d"
                       % (cpp_method_name(m), params, m["slot"], m["dispid"]))
        out += ["", " protected:", "  ~%s() = default;" % i["name"], "};",
                "__CRT_UUID_DECL(%s, %s)" % (i["name"], guid_initializer(i["uuid"])), ""]
    for c in library["classes"]:
        out.append("EC_DEFINE_GUID(CLSID_%s, %s);" % (c["name"], guid_initializer(c["uuid"])))
    out.append("EC_DEFINE_GUID(LIBID_%s, %s);" % (library["name"], guid_initializer(library["uuid"])))
    return "\n".join(out) + "\n"


def argument_expression(p, field_of, whole, address):
    """The thunk's expression for one parameter: field_of + field names a
    member of the VARIANT that holds it, whole is that VARIANT and address
    its address."""
    vt_field = VALUE_TYPES.get(p["type"])
    if p["direction"] == "In":
        if vt_field is None:
            return "reinterpret_cast<%s*>(%spunkVal)" % (p["type"], field_of)
        return whole if vt_field[1] is None else field_of + vt_field[1]
    if vt_field is None:
        return "reinterpret_cast<%s**>(&%spunkVal)" % (p["type"], field_of)
    return address if vt_field[1] is None else "&" + field_of + vt_field[1]


def param_vartype(p):
    if p["type"] in VALUE_TYPES:
        return VALUE_TYPES[p["type"]][0]
    return "VT_UNKNOWN" if p["type"] == "IUnknown" else "VT_DISPATCH"


def generate_dispatch(interfaces, library):
    out = ["// Generated from EventCollector.idl by com/idlgen.py. Do not edit.",
           '#include "base/com/dispatch.h"', '#include "base/com/type_library.h"',
           '#include "com/EventCollector_h.h"', "", "namespace com::dispatch {", "namespace {", ""]
    for i in interfaces:
        rows = []
        for m in i["methods"]:
            tag = "%s_%d" % (i["name"], m["slot"])
            args, position = [], 0
            uses_args = uses_ret = False
            for p in m["params"]:
                if p["direction"] == "Retval":
                    args.append(argument_expression(p, "r->", "*r", "r"))
                    uses_ret = True
                else:
                    args.append(argument_expression(p, "a[%d]." % position, "a[%d]" % position,
                                                    "&a[%d]" % position))
                    uses_args = True
                    position += 1
            out.append("HRESULT Call_%s(void* self, %sVARIANT* %s, %sVARIANT* %s) {"
                       % (tag, "" if uses_args else "[[maybe_unused]] ", "a",
                          "" if uses_ret else "[[maybe_unused]] ", "r"))
            out.append("  return static_cast<%s*>(self)->%s(%s);" % (i["name"], cpp_method_name(m), ", ".join(args)))
            out.append("}")
            params = "nullptr"
            if m["params"]:
                out.append("const Param kParams_%s[] = {" % tag)
                for p in m["params"]:
                    iid = "&IID_%s" % p["type"] if p["type"] in {x["name"] for x in interfaces} else \
                        "&IID_%s" % p["type"] if p["type"] in ("IUnknown", "IDispatch") else "nullptr"
                    out.append("    {%s, %s, Direction::%s, %s}," % (u16(p["name"]), param_vartype(p),
                                                                     p["direction"], iid))
                out.append("};")
                params = "kParams_%s" % tag
            rows.append("    {%s, %d, Kind::%s, %d, %s, %d, &Call_%s, %s}," % (
                u16(m["name"]), m["dispid"], m["kind"], m["slot"], params, len(m["params"]), tag, u16(m["help"])))
        out.append("const Member kMembers_%s[] = {" % i["name"])
        out += rows
        out += ["};", "const Interface k%s = {%s, &IID_%s, kMembers_%s, %d};" % (
            i["name"], u16(i["name"]), i["name"], i["name"], len(i["methods"])), ""]
    out.append("const Interface* const kInterfaces[] = {")
    out += ["    &k%s," % i["name"] for i in interfaces]
    out += ["};", "", "}  // namespace", "",
            "const Interface* FindInterface(REFIID iid) {",
            "  for (const Interface* i : kInterfaces)",
            "    if (*i->iid == iid) return i;",
            "  return nullptr;", "}", "",
            "const Interface* const* AllInterfaces(unsigned* count) {",
            "  *count = %d;" % len(interfaces), "  return kInterfaces;", "}", "",
            "}  // namespace com::dispatch", "", "namespace com::typelib {", "namespace {", "",
            "const CoClass kClasses[] = {"]
    for c in library["classes"]:
        out.append("    {%s, &CLSID_%s, %s, &IID_%s}," % (u16(c["name"]), c["name"], u16(c["help"]), c["default"]))
    major, minor = library["version"].split(".")
    out += ["};", "", "}  // namespace", "",
            "const Library& ComponentLibrary() {",
            "  static const Library library = {%s, &LIBID_%s, %s, %s, %s, %d, kClasses, %d,"
            " com::dispatch::kInterfaces, %d};" % (
                u16(library["name"]), library["name"], u16(library["help"]), major, minor, library["lcid"],
                len(library["classes"]), len(interfaces)),
            "  return library;", "}", "", "}  // namespace com::typelib"]
    return "\n".join(out) + "\n"


def write_if_changed(path, text):
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    idl, outdir = argv[1], argv[2]
    try:
        with open(idl, encoding="utf-8") as f:
            interfaces, library = parse(f.read())
    except (IdlError, KeyError) as e:
        sys.stderr.write("%s: %s\n" % (idl, e))
        return 1
    os.makedirs(outdir, exist_ok=True)
    write_if_changed(os.path.join(outdir, "EventCollector_h.h"), generate_header(interfaces, library))
    write_if_changed(os.path.join(outdir, "EventCollector_dispatch.cpp"), generate_dispatch(interfaces, library))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
