#include "render/rendered_event.h"

#include <cstring>

#include "base/exceptions.h"
#include "platform/api/errors.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"
#include "render/time_text.h"
#include "render/variant_text.h"

namespace cmr {

namespace {

std::unique_ptr<BYTE[]> CopyValues(const std::vector<EVT_VARIANT>& values) {
  if (values.empty()) return nullptr;
  auto block = std::make_unique<BYTE[]>(values.size() * sizeof(EVT_VARIANT));
  std::memcpy(block.get(), values.data(), values.size() * sizeof(EVT_VARIANT));
  return block;
}

}  // namespace

EvtRenderContexts::~EvtRenderContexts() {
  const DWORD error = GetLastError();
  if (user_ != nullptr) api_.Close(user_);
  if (system_ != nullptr) api_.Close(system_);
  SetLastError(error);
}

EVT_HANDLE EvtRenderContexts::Get(EVT_HANDLE& context, DWORD flags) {
  if (context == nullptr) {
    context = api_.CreateRenderContext(0, nullptr, flags);
    cmr::ThrowLastErrorIfFalse(context != nullptr);
  }
  return context;
}

DWORD RenderedEvent::RenderValues(const EvtRenderFunctions& api, EVT_HANDLE context, EVT_HANDLE event,
                                  std::unique_ptr<BYTE[]>& bytes, DWORD& capacity) {
  DWORD used = 0;
  DWORD count = 0;
  if (api.Render(context, event, EvtRenderEventValues, capacity, bytes.get(), &used, &count)) return count;
  DWORD error = GetLastError();
  if (error != ERROR_INSUFFICIENT_BUFFER) throw cmr::Win32Exception(error);
  capacity = 0;  // stays so should the allocation fail
  bytes = std::make_unique<BYTE[]>(used);
  capacity = used;
  if (!api.Render(context, event, EvtRenderEventValues, capacity, bytes.get(), &used, &count)) {
    throw cmr::Win32Exception(GetLastError());
  }
  return count;
}

void RenderedEvent::Render(const EvtRenderFunctions& api, EVT_HANDLE event, bool withUserData) {
  EvtRenderContexts contexts(api);
  Render(contexts, event, withUserData);
}

void RenderedEvent::Render(EvtRenderContexts& contexts, EVT_HANDLE event, bool withUserData) {
  systemCount_ = userCount_ = 0;
  const DWORD system = RenderValues(contexts.Api(), contexts.System(), event, system_, systemCapacity_);
  const DWORD user = withUserData ? RenderValues(contexts.Api(), contexts.User(), event, user_, userCapacity_) : 0;
  systemCount_ = system;
  userCount_ = user;
}

void RenderedEvent::Assign(const std::vector<EVT_VARIANT>& system, const std::vector<EVT_VARIANT>& user) {
  system_ = CopyValues(system);
  systemCount_ = static_cast<DWORD>(system.size());
  systemCapacity_ = systemCount_ * sizeof(EVT_VARIANT);
  user_ = CopyValues(user);
  userCount_ = static_cast<DWORD>(user.size());
  userCapacity_ = userCount_ * sizeof(EVT_VARIANT);
}

const EVT_VARIANT* RenderedEvent::SystemValue(DWORD index) const {
  if (index >= systemCount_ || SystemValues()[index].Type == EvtVarTypeNull) return nullptr;
  return &SystemValues()[index];
}

const EVT_VARIANT* RenderedEvent::TypedSystemValue(DWORD index, DWORD type) const {
  const EVT_VARIANT* value = SystemValue(index);
  return value != nullptr && value->Type == type ? value : nullptr;
}

std::u16string RenderedEvent::ProviderName() const { return std::u16string(ProviderNameView()); }

std::u16string_view RenderedEvent::ProviderNameView() const {
  const EVT_VARIANT* v = TypedSystemValue(EvtSystemProviderName, EvtVarTypeString);
  return v != nullptr && v->StringVal != nullptr ? std::u16string_view(plat::U(v->StringVal)) : std::u16string_view();
}

std::u16string RenderedEvent::Computer() const {
  const EVT_VARIANT* v = TypedSystemValue(EvtSystemComputer, EvtVarTypeString);
  return v != nullptr && v->StringVal != nullptr ? std::u16string(plat::U(v->StringVal)) : std::u16string();
}

PSID RenderedEvent::UserSid() const {
  const EVT_VARIANT* v = TypedSystemValue(EvtSystemUserID, EvtVarTypeSid);
  return v != nullptr ? v->SidVal : nullptr;
}

uint64_t RenderedEvent::TimeCreated() const {
  const EVT_VARIANT* v = TypedSystemValue(EvtSystemTimeCreated, EvtVarTypeFileTime);
  return v != nullptr ? v->FileTimeVal : 0;
}

uint64_t RenderedEvent::TimeCreatedWholeSeconds() const { return TimeCreated() / 10000000ull * 10000000ull; }

uint64_t RenderedEvent::TimeCreatedUnixSeconds() const { return FileTimeToUnixSeconds(TimeCreated()); }

uint64_t RenderedEvent::RecordId() const {
  const EVT_VARIANT* v = TypedSystemValue(EvtSystemEventRecordId, EvtVarTypeUInt64);
  return v != nullptr ? v->UInt64Val : 0;
}

uint16_t RenderedEvent::EventId() const {
  const EVT_VARIANT* v = TypedSystemValue(EvtSystemEventID, EvtVarTypeUInt16);
  return v != nullptr ? v->UInt16Val : 0;
}

uint32_t RenderedEvent::FullEventId() const {
  const EVT_VARIANT* qualifiers = SystemValue(EvtSystemQualifiers);
  if (qualifiers == nullptr) return EventId();
  return (static_cast<uint32_t>(qualifiers->UInt16Val) << 16) | EventId();
}

std::u16string RenderedEvent::SystemPropertyText(DWORD index) const {
  const EVT_VARIANT* v = SystemValue(index);
  return v != nullptr ? VariantToText(*v) : std::u16string();
}

}  // namespace cmr
