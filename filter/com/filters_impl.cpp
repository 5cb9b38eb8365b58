#include "filter/com/filters_impl.h"

#include "base/com/method_boundary.h"
#include "base/text.h"
#include "base/trace.h"
#include "filter/com/filter_enums.h"
#include "filter/com/filter_impl.h"
#include "filter/com/filter_items.h"
#include "platform/api/kernel.h"

namespace cmr {

namespace {

bool FileExists(const std::u16string& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

// Narrow text in the thread's ANSI code page; false with the last error set.
bool ToThreadAnsi(std::u16string_view text, std::string& narrow) {
  std::u16string source(text);
  int bytes =
      WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, source.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return false;
  narrow.assign(static_cast<size_t>(bytes), '\0');
  if (WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, source.c_str(), -1, narrow.data(), bytes, nullptr,
                          nullptr) <= 0)
    return false;
  narrow.resize(static_cast<size_t>(bytes) - 1);
  return true;
}

}  // namespace

HRESULT CFiltersImpl::Init(BSTR fileName) {
  return com::Guarded([&] {
    fileName_ = com::BstrText(fileName);
    bool exists = FileExists(fileName_);
    set_.Clear();
    if (exists) set_.LoadFromFile(fileName_);
    return S_OK;
  });
}

HRESULT CFiltersImpl::Commit() {
  return com::Guarded([&] {
    set_.SaveToFile(fileName_);
    return S_OK;
  });
}

HRESULT CFiltersImpl::AddFilter(bool excluding, INT priority, IECFilter** filter) {
  if (filter == nullptr) return E_POINTER;
  *filter = nullptr;
  return com::Guarded([&] {
    CEventFilter::FilterPtr added = excluding ? set_.AddExcludingFilter(priority) : set_.AddIncludingFilter(priority);
    return com::CreateObject<CFilterImpl>(filter, added);
  });
}

HRESULT CFiltersImpl::AddIncludingFilter(IECFilter** filter) { return AddFilter(false, 0, filter); }
HRESULT CFiltersImpl::AddExcludingFilter(IECFilter** filter) { return AddFilter(true, 0, filter); }
HRESULT CFiltersImpl::AddIncludingFilterEx(INT priority, IECFilter** filter) {
  return AddFilter(false, priority, filter);
}
HRESULT CFiltersImpl::AddExcludingFilterEx(INT priority, IECFilter** filter) {
  return AddFilter(true, priority, filter);
}

HRESULT CFiltersImpl::Enumerate(const CEventFilter::FilterList& filters, IECFilterEnum** value) {
  if (value == nullptr) return E_POINTER;
  return com::Guarded([&] { return com::CreateObject<CFilterEnumImpl>(value, filters); });
}

HRESULT CFiltersImpl::get_IncludingFilters(IECFilterEnum** value) { return Enumerate(set_.IncludingFilters, value); }
HRESULT CFiltersImpl::get_ExcludingFilters(IECFilterEnum** value) { return Enumerate(set_.ExcludingFilters, value); }

HRESULT CFiltersImpl::RemoveFilter(BSTR guid) {
  return com::Guarded([&] {
    set_.RemoveFilter(com::BstrText(guid));
    return S_OK;
  });
}

HRESULT CFiltersImpl::FindFilter(BSTR guid, IECFilter** filter) {
  if (filter == nullptr) return E_POINTER;
  *filter = nullptr;
  return com::Guarded([&] {
    CEventFilter::FilterPtr found = set_.FindFilter(com::BstrText(guid));
    if (!found) return cmr::ReportError(E_FAIL, u"Filter not found");
    return com::CreateObject<CFilterImpl>(filter, found);
  });
}

HRESULT CFiltersImpl::get_UseFilter(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  *value = set_.UseFilter ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT CFiltersImpl::put_UseFilter(VARIANT_BOOL value) {
  set_.UseFilter = value != 0;
  return S_OK;
}

HRESULT CFiltersImpl::get_EventLogs(IECEventLogEnum** value) {
  return CEventLogEnumImpl::Create(set_.EventLogs, value);
}

HRESULT CFiltersImpl::put_EventLogs(IECEventLogEnum* value) {
  if (value != nullptr) return E_NOTIMPL;
  set_.EventLogs.clear();
  return S_OK;
}

HRESULT CFiltersImpl::AddLog(IECEventLog** log) {
  if (log == nullptr) return E_POINTER;
  *log = nullptr;
  return com::Guarded([&] { return com::CreateObject<CEventLogImpl>(log, set_.AddLog()); });
}

HRESULT CFiltersImpl::RemoveLog(BSTR name) {
  return com::Guarded([&] {
    set_.RemoveLog(com::BstrText(name));
    return S_OK;
  });
}

HRESULT CFiltersImpl::ToString(BSTR* text) {
  if (text == nullptr) return E_POINTER;
  return com::Guarded([&] { return com::ReturnBstr(set_.ToString(), text); });
}

HRESULT CFiltersImpl::ParseTimeToUTC(BSTR time, ULONG* seconds) {
  if (seconds == nullptr) return E_POINTER;
  return com::Guarded([&]() -> HRESULT {
    std::string narrow;
    if (!ToThreadAnsi(com::BstrText(time), narrow)) return static_cast<HRESULT>(GetLastError());
    uint32_t parsed = 0;
    if (!CEventFilter::ParseTimeToUTC(narrow.c_str(), parsed)) return S_FALSE;
    *seconds = parsed;
    return S_OK;
  });
}

HRESULT CFiltersImpl::UTCtoTimeString(ULONG seconds, BSTR* time) {
  if (time == nullptr) return E_POINTER;
  *time = nullptr;
  return com::Guarded([&] {
    std::string text;
    if (!CEventFilter::UTCtoTimeString(seconds, text)) {
      Trace(30, u"CEventFilter::UTCtoTimeString( %d, %s ) failed", seconds, cmr::WidenC(text));
      return E_FAIL;
    }
    if (FAILED(com::ReturnBstr(cmr::WidenC(text), time))) {
      Trace(10, u"aastrTime is null");
      return E_OUTOFMEMORY;
    }
    return S_OK;
  });
}

}  // namespace cmr
