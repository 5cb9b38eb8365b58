// GetSystemDefaultLCID, GetUserDefaultLCID, their LANGID forms and
// GetThreadLocale over the host's locale settings.
#include "platform/host/kernel/locale.h"

#include <atomic>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"

namespace host {
namespace {

std::atomic<LCID> g_system{0x0409};
std::atomic<LCID> g_user{0x0409};
thread_local LCID t_thread = 0;  // 0: the thread follows the user's locale

}  // namespace

void SetSystemLocale(LCID locale) { g_system = locale; }
void SetUserLocale(LCID locale) { g_user = locale; }

}  // namespace host

LCID GetSystemDefaultLCID() { return host::g_system; }
LCID GetUserDefaultLCID() { return host::g_user; }
LCID GetThreadLocale() { return host::t_thread != 0 ? host::t_thread : host::g_user.load(); }

BOOL SetThreadLocale(LCID locale) {
  HOST_FAULT_RETURN("SetThreadLocale", FALSE);
  if (locale == LOCALE_SYSTEM_DEFAULT) locale = host::g_system;
  else if (locale == LOCALE_USER_DEFAULT) locale = host::g_user;
  if (locale == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  host::t_thread = locale;
  return TRUE;
}
LANGID GetSystemDefaultLangID() { return LANGIDFROMLCID(host::g_system.load()); }
LANGID GetUserDefaultLangID() { return LANGIDFROMLCID(host::g_user.load()); }
