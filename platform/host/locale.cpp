// GetSystemDefaultLCID, GetUserDefaultLCID, their LANGID forms and
// GetThreadLocale over the host's locale settings.
#include "platform/host/locale.h"

#include <atomic>

#include "platform/api/kernel.h"

namespace host {
namespace {

std::atomic<LCID> g_system{0x0409};
std::atomic<LCID> g_user{0x0409};

}  // namespace

void SetSystemLocale(LCID locale) { g_system = locale; }
void SetUserLocale(LCID locale) { g_user = locale; }

}  // namespace host

LCID GetSystemDefaultLCID() { return host::g_system; }
LCID GetUserDefaultLCID() { return host::g_user; }
LCID GetThreadLocale() { return host::g_user; }
LANGID GetSystemDefaultLangID() { return LANGIDFROMLCID(host::g_system.load()); }
LANGID GetUserDefaultLangID() { return LANGIDFROMLCID(host::g_user.load()); }
