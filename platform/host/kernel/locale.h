// The locales of the local computer: its system default and the user's
// default (which is also the thread locale). Both are English (United
// States), 0x0409, until a test or the tool sets them.
#pragma once

#include "platform/api/types.h"

namespace host {

void SetSystemLocale(LCID locale);
void SetUserLocale(LCID locale);

}  // namespace host
