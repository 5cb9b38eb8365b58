#include "collect/evt_message_resolver.h"

#include "base/exceptions.h"
#include "base/trace.h"
#include "collect/evt_channels.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"
#include "render/description_entry.h"
#include "render/evt_property_buffer.h"
#include "render/parameter_expansion.h"

namespace cmr {
namespace {

bool FallsBack(DWORD error) {
  return error != ERROR_EVT_UNRESOLVED_VALUE_INSERT && error != ERROR_EVT_UNRESOLVED_PARAMETER_INSERT;
}

}  // namespace

EvtMessageResolver::~EvtMessageResolver() {
  for (auto& [provider, locales] : metadata_) {
    for (auto& [locale, handle] : locales) CloseEvtHandle(api_, handle);
  }
  CloseEvtHandle(api_, session_);
}

// Loads the library and opens the session once; false when either failed.
bool EvtMessageResolver::Ready() {
  if (!started_) {
    started_ = true;
    if (api_.Load()) session_ = OpenSession(api_, computer_);
    if (!session_) Trace(20, u"Failed to open a session for event descriptions: %d", GetLastError());
  }
  return session_ != nullptr;
}

EVT_HANDLE EvtMessageResolver::Metadata(const std::u16string& provider, LCID locale) {
  auto& locales = metadata_[provider];
  auto it = locales.find(locale);
  if (it != locales.end()) return it->second;
  const bool firstTry = locales.empty();  // a publisher that cannot be opened is traced once
  EVT_HANDLE metadata = nullptr;
  if (Ready()) {
    metadata = api_.EvtOpenPublisherMetadata(session_, plat::W(provider.c_str()), nullptr, locale, 0);
    if (!metadata && firstTry && Tracer::Instance().WouldWrite(20)) {
      DWORD error = GetLastError();
      Trace(20, u"Failed to open publisher metadata of '%s': %d (%s)", provider, error, Win32ErrorText(error));
    }
  }
  locales.emplace(locale, metadata);
  return metadata;
}

bool EvtMessageResolver::EventMessageId(EVT_HANDLE metadata, DWORD eventId, DWORD& messageId) {
  EvtHandleGuard events(api_, api_.EvtOpenEventMetadataEnum(metadata, 0));
  if (!events) return false;
  EvtPropertyBuffer buffer;
  auto read = [&](EVT_HANDLE event, int property) {
    return buffer.Read([&](DWORD size, PEVT_VARIANT data, PDWORD used) {
      return api_.EvtGetEventMetadataProperty(event, property, 0, size, data, used);
    });
  };
  for (;;) {
    EvtHandleGuard event(api_, api_.EvtNextEventMetadata(events.get(), 0));
    if (!event) return false;
    if (!read(event.get(), EventMetadataEventID) || buffer.Value().UInt32Val != eventId) continue;
    if (!read(event.get(), EventMetadataEventMessageID)) return false;
    messageId = buffer.Value().UInt32Val;
    return true;
  }
}

// Formats the message in the resolver's locale and, when that fails for
// another reason than a missing insert, in the fall-back locale.
bool EvtMessageResolver::FormatInLocales(const std::u16string& provider, DWORD messageId, std::u16string& text) {
  EVT_HANDLE metadata = Metadata(provider, locale_);
  if (metadata && FormatPublisherMessage(api_, metadata, messageId, &text)) return true;
  if (metadata && !FallsBack(GetLastError())) return !text.empty();
  EVT_HANDLE fallback = Metadata(provider, kFallbackLocale);
  return fallback && (FormatPublisherMessage(api_, fallback, messageId, &text) || !text.empty());
}

bool EvtMessageResolver::MessageText(const std::u16string& provider, DWORD messageId, std::u16string& text) {
  auto key = std::make_pair(provider, messageId);
  auto cached = texts_.find(key);
  if (cached == texts_.end()) {
    std::u16string found;
    if (!FormatInLocales(provider, messageId, found)) found.clear();
    cached = texts_.emplace(std::move(key), std::move(found)).first;
  }
  text = cached->second;
  return !text.empty();
}

bool EvtMessageResolver::GetEventDescription(const std::u16string& provider, DWORD eventId, std::u16string& text) {
  EVT_HANDLE metadata = Metadata(provider, locale_);
  DWORD messageId = 0;
  return metadata && EventMessageId(metadata, eventId, messageId) && MessageText(provider, messageId, text);
}

std::u16string EvtMessageResolver::ExpandParameters(const std::u16string& provider, const std::u16string& text) {
  std::u16string expanded = ExpandParameterReferences(
      text, [&](int32_t n, std::u16string& message) { return MessageText(provider, static_cast<DWORD>(n), message); });
  SetLastError(0);
  return expanded;
}

void EvtMessageResolver::WriteDescription(EventFileWriter& writer, const std::u16string& provider, DWORD eventId) {
  std::u16string text;
  if (!GetEventDescription(provider, eventId, text)) text.clear();
  WriteDescriptionEntry(writer, provider, FieldForm::Escaped, eventId, text);
}

}  // namespace cmr
