// Facts about VARTYPEs shared by the VARIANT and SAFEARRAY implementations.
#pragma once

#include <cstddef>

#include "platform/api/oleauto.h"

namespace host {

// Size of one value of a base type inside a SAFEARRAY or behind a VT_BYREF
// pointer; 0 when the type cannot be stored that way.
size_t ValueSize(VARTYPE baseType);

// True for a VARTYPE that a VARIANT may hold (base type, optionally with
// VT_BYREF or VT_ARRAY).
bool IsValidVariantType(VARTYPE vt);

}  // namespace host
