#!/usr/bin/env python3
"""com/idlgen.py on a small IDL: the interface header and the dispatch
description it writes, and the constructs it refuses."""
import io
import os
import sys
import tempfile
import unittest
from contextlib import redirect_stderr

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "com"))
import idlgen  # noqa: E402

SMALL_IDL = """
import "oaidl.idl";
interface IPart;

[object, uuid(0A1B2C3D-00E5-4F60-8A9B-0C1D2E3F4A5B), dual, helpstring("IPart Interface"), oleautomation]
interface IPart : IDispatch {
  [propget, id(1), helpstring("The name.")] HRESULT Name([out, retval] BSTR* Name);
  [propput, id(1)] HRESULT Name([in] BSTR Name);
  [id(2)] HRESULT Move([in] LONG dx, [in] VARIANT_BOOL fast, [out, retval] IPart** moved);
  HRESULT Undocumented([in] ULONG value);  // no id: the automatic dispid
  [propget, id(DISPID_NEWENUM), restricted] HRESULT _NewEnum([out, retval] IUnknown** e);
};

[uuid(ABCDEF01-2345-6789-ABCD-EF0123456789), version(2.3), helpstring("Parts")]
library PartsLib {
  importlib("stdole2.tlb");
  [uuid(99999999-8888-7777-6666-555555555555), helpstring("Part Class")]
  coclass Part { [default] interface IPart; };
};
"""


def generate(idl_text):
    """(status, header, dispatch, stderr) of one run of the generator."""
    with tempfile.TemporaryDirectory() as folder:
        idl = os.path.join(folder, "small.idl")
        with open(idl, "w", encoding="utf-8") as f:
            f.write(idl_text)
        err = io.StringIO()
        with redirect_stderr(err):
            status = idlgen.main(["idlgen.py", idl, os.path.join(folder, "out")])
        texts = []
        for name in ("EventCollector_h.h", "EventCollector_dispatch.cpp"):
            path = os.path.join(folder, "out", name)
            if not os.path.exists(path):
                texts.append("")
                continue
            with open(path, encoding="utf-8") as f:
                texts.append(f.read())
        return status, texts[0], texts[1], err.getvalue()


class IdlGenTest(unittest.TestCase):
    def test_header_lists_methods_in_slot_order_with_their_guids(self):
        status, header, _, err = generate(SMALL_IDL)
        self.assertEqual(status, 0, err)
        expected = [
            "EC_DEFINE_GUID(IID_IPart, 0x0A1B2C3D, 0x00E5, 0x4F60, 0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x5B);",
            "struct IPart : IDispatch {",
            "  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* Name) = 0;  // slot 7, dispid 1",
            "  virtual HRESULT STDMETHODCALLTYPE put_Name(BSTR Name) = 0;  // slot 8, dispid 1",
            "  virtual HRESULT STDMETHODCALLTYPE Move(LONG dx, VARIANT_BOOL fast, IPart** moved) = 0;"
            "  // slot 9, dispid 2",
            "  virtual HRESULT STDMETHODCALLTYPE Undocumented(ULONG value) = 0;  // slot 10, dispid 1610743811",
            "  virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** e) = 0;  // slot 11, dispid -4",
            "EC_DEFINE_GUID(CLSID_Part, 0x99999999, 0x8888, 0x7777, 0x66, 0x66, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55);",
            "EC_DEFINE_GUID(LIBID_PartsLib, 0xABCDEF01, 0x2345, 0x6789, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89);",
        ]
        position = 0
        for line in expected:
            found = header.find(line + "\n", position)
            self.assertNotEqual(found, -1, "missing or out of order: " + line)
            position = found

    def test_dispatch_description_calls_each_member_through_its_slot(self):
        status, _, dispatch, err = generate(SMALL_IDL)
        self.assertEqual(status, 0, err)
        for text in [
            "  return static_cast<IPart*>(self)->get_Name(&r->bstrVal);",
            "  return static_cast<IPart*>(self)->Move(a[0].lVal, a[1].boolVal, reinterpret_cast<IPart**>(&r->punkVal));",
            '    {u"moved", VT_DISPATCH, Direction::Retval, &IID_IPart},',
            '    {u"Name", 1, Kind::PropGet, 7, kParams_IPart_7, 1, &Call_IPart_7, u"The name."},',
            '    {u"_NewEnum", -4, Kind::PropGet, 11, kParams_IPart_11, 1, &Call_IPart_11, nullptr},',
            "const Interface kIPart = {u\"IPart\", &IID_IPart, kMembers_IPart, 5};",
            '    {u"Part", &CLSID_Part, u"Part Class", &IID_IPart},',
            '  static const Library library = {u"PartsLib", &LIBID_PartsLib, u"Parts", 2, 3, 0, kClasses, 1,'
            ' com::dispatch::kInterfaces, 1};',
        ]:
            self.assertIn(text, dispatch)

    def test_refuses_what_it_does_not_understand(self):
        good = SMALL_IDL
        cases = [
            ("a struct", good.replace("interface IPart;", "struct Extra { int x; };"), "unsupported construct 'struct'"),
            ("a short uuid", good.replace("0A1B2C3D-00E5", "0A1B2C3-00E5"), "bad uuid"),
            ("another base", good.replace("IPart : IDispatch", "IPart : IPersist"), "only IUnknown and IDispatch"),
            ("a missing '*'", good.replace("[out, retval] BSTR* Name", "[out, retval] BSTR Name"),
             "parameter Name has 0 '*', expected 1"),
            ("a dispid twice", good.replace("id(DISPID_NEWENUM)", "id(1)"), "dispid 1 used twice"),
            ("an unknown type", good.replace("[in] ULONG value", "[in] FLOAT value"), "unsupported type FLOAT"),
            ("no library", good[:good.index("[uuid(ABCDEF01")], "no library block"),
            ("an unknown interface", good.replace("interface IPart; };", "interface IOther; };"),
             "unknown interface IOther"),
        ]
        for what, idl, told in cases:
            status, header, _, err = generate(idl)
            self.assertEqual(status, 1, what)
            self.assertIn(told, err, what)
            self.assertEqual(header, "", what + ": nothing is written")


if __name__ == "__main__":
    unittest.main()
