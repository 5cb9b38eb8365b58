// The generic IDispatch: finds the member for a dispid and call kind,
// converts the caller's arguments (given last to first) to the declared
// types, calls the member's thunk, hands back out parameters and the retval,
// and turns a failed HRESULT into DISP_E_EXCEPTION with EXCEPINFO filled from
// the thread's error object.
#include "base/com/dispatch.h"

#include <cstring>
#include <vector>

#include "base/com/method_boundary.h"
#include "platform/api/wide.h"

namespace com::dispatch {
namespace {

char16_t FoldCase(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameName(const char16_t* a, const char16_t* b) {
  if (!a || !b) return false;
  for (; *a && *b; ++a, ++b)
    if (FoldCase(*a) != FoldCase(*b)) return false;
  return *a == *b;
}

const Member* FindMember(const Interface& d, DISPID dispid, Kind kind) {
  for (unsigned i = 0; i < d.memberCount; ++i)
    if (d.members[i].dispid == dispid && d.members[i].kind == kind) return &d.members[i];
  return nullptr;
}

// The member that a call with these flags means. A property get may be
// called as a method and a method as a property get, as script engines do.
const Member* Resolve(const Interface& d, DISPID dispid, WORD flags) {
  if (flags & DISPATCH_PROPERTYPUT) return FindMember(d, dispid, Kind::PropPut);
  if (flags & DISPATCH_PROPERTYPUTREF) {
    const Member* m = FindMember(d, dispid, Kind::PropPutRef);
    return m ? m : FindMember(d, dispid, Kind::PropPut);
  }
  const Member* m = nullptr;
  if (flags & DISPATCH_METHOD) m = FindMember(d, dispid, Kind::Method);
  if (!m && (flags & DISPATCH_PROPERTYGET)) m = FindMember(d, dispid, Kind::PropGet);
  if (!m && (flags & DISPATCH_METHOD)) m = FindMember(d, dispid, Kind::PropGet);
  if (!m && (flags & DISPATCH_PROPERTYGET)) m = FindMember(d, dispid, Kind::Method);
  return m;
}

// Arguments converted for one call; cleared when the call is over.
class CallArgs {
 public:
  explicit CallArgs(unsigned count) : values_(count) {
    for (auto& v : values_) VariantInit(&v);
    VariantInit(&ret_);
  }
  ~CallArgs() {
    for (auto& v : values_) VariantClear(&v);
    VariantClear(&ret_);
  }
  CallArgs(const CallArgs&) = delete;
  CallArgs& operator=(const CallArgs&) = delete;

  VARIANT* Values() { return values_.data(); }
  VARIANT& operator[](size_t i) { return values_[i]; }
  VARIANT& Ret() { return ret_; }

 private:
  std::vector<VARIANT> values_;
  VARIANT ret_;
};

// The caller's argument as the callee's [in] type.
HRESULT ConvertIn(const Param& p, const VARIANT& given, VARIANT& out) {
  if (p.vt == VT_VARIANT) return VariantCopyInd(&out, &given);
  if (p.vt != VT_DISPATCH && p.vt != VT_UNKNOWN) return VariantChangeType(&out, &given, 0, p.vt);
  VARIANT object;
  VariantInit(&object);
  HRESULT hr = VariantChangeType(&object, &given, 0, VT_UNKNOWN);
  if (FAILED(hr)) return hr;
  out.vt = VT_UNKNOWN;  // owns the reference to the interface the callee expects
  out.punkVal = nullptr;
  if (object.punkVal) {
    hr = object.punkVal->QueryInterface(p.iid ? *p.iid : IID_IUnknown, reinterpret_cast<void**>(&out.punkVal));
    if (FAILED(hr)) hr = DISP_E_TYPEMISMATCH;
  }
  VariantClear(&object);
  return hr;
}

// Zeroed storage of the parameter's type for an [out] parameter.
void PrepareOut(const Param& p, VARIANT& out) {
  std::memset(&out, 0, sizeof out);
  out.vt = p.vt == VT_VARIANT ? static_cast<VARTYPE>(VT_EMPTY) : p.vt;
}

// Hands an [out] value to the caller's VT_BYREF argument; `value` gives up
// what it owns.
HRESULT StoreOut(VARIANT& value, const VARIANT& target) {
  if (!(target.vt & VT_BYREF) || !target.byref) return DISP_E_TYPEMISMATCH;
  VARTYPE want = target.vt & ~VT_BYREF;
  if (want == VT_VARIANT) {
    VariantClear(target.pvarVal);
    *target.pvarVal = value;
    VariantInit(&value);
    return S_OK;
  }
  VARIANT converted;
  VariantInit(&converted);
  HRESULT hr = VariantChangeType(&converted, &value, 0, want);
  if (FAILED(hr)) return hr;
  // The caller's typed reference receives the value; what it held before is
  // the caller's, as for any [out] parameter.
  switch (want) {
    case VT_BSTR: *target.pbstrVal = converted.bstrVal; break;
    case VT_DISPATCH:
    case VT_UNKNOWN: *target.ppunkVal = converted.punkVal; break;
    case VT_BOOL: *target.pboolVal = converted.boolVal; break;
    case VT_I1:
    case VT_UI1: *target.pbVal = converted.bVal; break;
    case VT_I2:
    case VT_UI2: *target.puiVal = converted.uiVal; break;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR: *target.pulVal = converted.ulVal; break;
    case VT_R4: *target.pfltVal = converted.fltVal; break;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
    case VT_CY: *target.pullVal = converted.ullVal; break;
    default: VariantClear(&converted); return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

void FillException(HRESULT hr, EXCEPINFO* info) {
  if (!info) return;
  std::memset(info, 0, sizeof *info);
  info->scode = hr;
  IErrorInfo* error = nullptr;
  if (GetErrorInfo(0, &error) != S_OK || !error) return;
  error->GetSource(&info->bstrSource);
  error->GetDescription(&info->bstrDescription);
  error->GetHelpFile(&info->bstrHelpFile);
  error->GetHelpContext(&info->dwHelpContext);
  error->Release();
}

unsigned CountArgs(const Member& m) {
  unsigned n = 0;
  for (unsigned i = 0; i < m.paramCount; ++i)
    if (m.params[i].direction != Direction::Retval) ++n;
  return n;
}

const Param* RetvalOf(const Member& m) {
  for (unsigned i = 0; i < m.paramCount; ++i)
    if (m.params[i].direction == Direction::Retval) return &m.params[i];
  return nullptr;
}

// Checks named arguments: only DISPID_PROPERTYPUT, and only on a put.
HRESULT CheckNamedArgs(const DISPPARAMS& params, WORD flags) {
  if (params.cNamedArgs == 0) return S_OK;
  bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  if (!put || params.cNamedArgs != 1 || !params.rgdispidNamedArgs || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
    return DISP_E_NONAMEDARGS;
  return S_OK;
}

}  // namespace

HRESULT GetIDsOfNames(const Interface& d, REFIID riid, LPOLESTR* names, UINT count, DISPID* dispids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !dispids) return E_INVALIDARG;
  if (count == 0) return S_OK;
  const Member* found = nullptr;
  for (unsigned i = 0; i < d.memberCount && !found; ++i)
    if (SameName(d.members[i].name, plat::U(names[0]))) found = &d.members[i];
  HRESULT hr = S_OK;
  dispids[0] = found ? found->dispid : DISPID_UNKNOWN;
  if (!found) hr = DISP_E_UNKNOWNNAME;
  for (UINT n = 1; n < count; ++n) {
    dispids[n] = DISPID_UNKNOWN;
    for (unsigned i = 0; found && i < found->paramCount; ++i)
      if (SameName(found->params[i].name, plat::U(names[n]))) dispids[n] = static_cast<DISPID>(i);
    if (dispids[n] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT Invoke(const Interface& d, void* self, DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params,
               VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  if (!params) params = &none;
  if (params->cArgs && !params->rgvarg) return E_INVALIDARG;
  const Member* m = Resolve(d, dispid, flags);
  if (!m) return DISP_E_MEMBERNOTFOUND;
  HRESULT hr = CheckNamedArgs(*params, flags);
  if (FAILED(hr)) return hr;
  unsigned argCount = CountArgs(*m);
  if (params->cArgs != argCount) return DISP_E_BADPARAMCOUNT;

  return Guarded([&]() -> HRESULT {
    CallArgs args(argCount);
    unsigned position = 0;  // declared position among non-retval parameters
    for (unsigned i = 0; i < m->paramCount; ++i) {
      const Param& p = m->params[i];
      if (p.direction == Direction::Retval) continue;
      UINT given = params->cArgs - 1 - position;  // arguments arrive last to first
      const VARIANT& arg = params->rgvarg[given];
      if (p.direction == Direction::In) {
        hr = ConvertIn(p, arg, args[position]);
      } else {
        PrepareOut(p, args[position]);
        hr = (arg.vt & VT_BYREF) ? S_OK : DISP_E_TYPEMISMATCH;
      }
      if (FAILED(hr)) {
        if (argErr) *argErr = given;
        return hr;
      }
      ++position;
    }
    const Param* retval = RetvalOf(*m);
    if (retval) PrepareOut(*retval, args.Ret());

    hr = m->call(self, args.Values(), &args.Ret());
    if (FAILED(hr)) {
      FillException(hr, excepInfo);
      return DISP_E_EXCEPTION;
    }

    position = 0;
    for (unsigned i = 0; i < m->paramCount; ++i) {
      const Param& p = m->params[i];
      if (p.direction == Direction::Retval) continue;
      if (p.direction == Direction::Out) {
        UINT given = params->cArgs - 1 - position;
        HRESULT stored = StoreOut(args[position], params->rgvarg[given]);
        if (FAILED(stored)) {
          if (argErr) *argErr = given;
          return stored;
        }
      }
      ++position;
    }
    if (result) {
      VariantInit(result);
      if (retval) {
        *result = args.Ret();
        VariantInit(&args.Ret());
      }
    }
    return S_OK;
  });
}

}  // namespace com::dispatch
