// EvtMessageResolver: the message texts of Windows Event Log providers, from
// their publisher metadata (the event's message identifier from the event
// metadata, the text formatted by identifier), with the %%n parameter
// expansion and the description entries. Metadata handles and texts are
// cached for the life of the resolver, misses too.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "render/event_file_writer.h"
#include "render/evt_api.h"

namespace cmr {

class EvtMessageResolver {
 public:
  EvtMessageResolver() = default;
  ~EvtMessageResolver();  // closes the metadata handles and the session
  EvtMessageResolver(const EvtMessageResolver&) = delete;
  EvtMessageResolver& operator=(const EvtMessageResolver&) = delete;

  // The computer whose publishers are read (empty: this one); set before
  // the first lookup.
  void SetComputer(const std::u16string& computer) { computer_ = computer; }
  // The locale of the texts; the fall-back locale is the system default.
  void SetLocale(LCID locale) { locale_ = locale; }

  // The description of event `eventId` of the provider; false when there is
  // none.
  bool GetEventDescription(const std::u16string& provider, DWORD eventId, std::u16string& text);

  // The text with its %%n references replaced by the provider's messages n;
  // always succeeds and leaves the last error 0.
  std::u16string ExpandParameters(const std::u16string& provider, const std::u16string& text);

  // The description entry of (provider, event identifier).
  void WriteDescription(EventFileWriter& writer, const std::u16string& provider, DWORD eventId);

  static constexpr LCID kFallbackLocale = 2048;  // LOCALE_SYSTEM_DEFAULT

 private:
  EVT_HANDLE Metadata(const std::u16string& provider, LCID locale);
  bool EventMessageId(EVT_HANDLE metadata, DWORD eventId, DWORD& messageId);
  bool MessageText(const std::u16string& provider, DWORD messageId, std::u16string& text);
  bool FormatInLocales(const std::u16string& provider, DWORD messageId, std::u16string& text);
  bool Ready();

  EvtApi api_;
  EVT_HANDLE session_ = nullptr;
  bool started_ = false;
  std::u16string computer_;
  LCID locale_ = kFallbackLocale;
  std::map<std::u16string, std::map<LCID, EVT_HANDLE>> metadata_;
  std::map<std::pair<std::u16string, DWORD>, std::u16string> texts_;
};

}  // namespace cmr
