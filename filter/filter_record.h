// What the filter reads of one record besides the record itself, and the
// narrow view of a rendered Windows Event Log record that it matches.
#pragma once

#include <string>
#include <string_view>

#include "platform/api/evt.h"
#include "platform/api/types.h"
#include "platform/api/wide.h"

namespace cmr {

// The record's context as the collector knows it.
struct FilterContext {
  // Name of the log being read.
  std::u16string_view logName;
  // The account text ("domain\name") of the record's user, when its SID was
  // resolved; hasUser false when the record has no user.
  bool hasUser = false;
  std::u16string_view userAccount;
};

// Turns one EVT_VARIANT into its text (the renderer's value formatting).
using EvtValueTextFunction = std::u16string (*)(const EVT_VARIANT& value);

// A rendered record: the system values indexed by EVT_SYSTEM_PROPERTY_ID and
// the user values in template order, as the event renderer holds them.
struct VistaRecordView {
  const EVT_VARIANT* system = nullptr;
  DWORD systemCount = 0;
  const EVT_VARIANT* user = nullptr;
  DWORD userCount = 0;
  EvtValueTextFunction valueText = nullptr;

  // A system value of the given type, or null when it is missing or of another type.
  const EVT_VARIANT* SystemValue(EVT_SYSTEM_PROPERTY_ID id, EVT_VARIANT_TYPE type) const {
    if (system == nullptr || static_cast<DWORD>(id) >= systemCount) return nullptr;
    const EVT_VARIANT& v = system[id];
    return v.Type == static_cast<DWORD>(type) ? &v : nullptr;
  }
  std::u16string_view SystemText(EVT_SYSTEM_PROPERTY_ID id) const {
    const EVT_VARIANT* v = SystemValue(id, EvtVarTypeString);
    return v != nullptr && v->StringVal != nullptr ? std::u16string_view(plat::U(v->StringVal)) : std::u16string_view();
  }
  ULONGLONG TimeCreated() const {
    const EVT_VARIANT* v = SystemValue(EvtSystemTimeCreated, EvtVarTypeFileTime);
    return v != nullptr ? v->FileTimeVal : 0;
  }
  std::u16string_view ProviderName() const { return SystemText(EvtSystemProviderName); }
  std::u16string_view Computer() const { return SystemText(EvtSystemComputer); }
  std::u16string UserValueText(DWORD index) const {
    return valueText != nullptr && index < userCount ? valueText(user[index]) : std::u16string();
  }
};

}  // namespace cmr
