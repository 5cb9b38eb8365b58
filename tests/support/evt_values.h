// EVT_VARIANT values as the tests hand them to renderers and formatters.
#pragma once

#include "platform/api/evt.h"
#include "platform/api/wide.h"

namespace testsupport {

// A value of the type with a zero payload (the caller sets the member).
inline EVT_VARIANT Typed(DWORD type) {
  EVT_VARIANT v{};
  v.Type = type;
  return v;
}

inline EVT_VARIANT StringValue(const char16_t* text) {
  EVT_VARIANT v = Typed(EvtVarTypeString);
  v.StringVal = plat::W(text);
  return v;
}

}  // namespace testsupport
