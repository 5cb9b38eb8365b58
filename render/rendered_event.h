// One Windows Event Log event rendered into its system values and, when
// asked, its user values (the insertion values in template order).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/api/evt.h"

namespace cmr {

// The three functions of the bound Windows Event Log library that rendering
// needs; the process's binding hands in its pointers.
struct EvtRenderFunctions {
  PFN_EvtCreateRenderContext CreateRenderContext = nullptr;
  PFN_EvtRender Render = nullptr;
  PFN_EvtClose Close = nullptr;
};

// The system and the user render context, made when first asked for and
// used for every event a reader renders; closed (keeping the thread's last
// error) when this goes.
class EvtRenderContexts {
 public:
  explicit EvtRenderContexts(const EvtRenderFunctions& api) : api_(api) {}
  ~EvtRenderContexts();
  EvtRenderContexts(const EvtRenderContexts&) = delete;
  EvtRenderContexts& operator=(const EvtRenderContexts&) = delete;

  const EvtRenderFunctions& Api() const { return api_; }
  // Raise cmr::Win32Exception with the last error when the context cannot
  // be made.
  EVT_HANDLE System() { return Get(system_, EvtRenderContextSystem); }
  EVT_HANDLE User() { return Get(user_, EvtRenderContextUser); }

 private:
  EVT_HANDLE Get(EVT_HANDLE& context, DWORD flags);
  EvtRenderFunctions api_;
  EVT_HANDLE system_ = nullptr;
  EVT_HANDLE user_ = nullptr;
};

class RenderedEvent {
 public:
  RenderedEvent() = default;
  virtual ~RenderedEvent() = default;
  RenderedEvent(const RenderedEvent&) = delete;
  RenderedEvent& operator=(const RenderedEvent&) = delete;

  // Renders the event's system values and, when withUserData, its user
  // values. Raises cmr::Win32Exception with the last error on failure.
  void Render(const EvtRenderFunctions& api, EVT_HANDLE event, bool withUserData);
  // The same through contexts kept for many events; the value buffers of
  // the event rendered before are reused. After a failure the event holds
  // no values.
  void Render(EvtRenderContexts& contexts, EVT_HANDLE event, bool withUserData);

  // Takes values rendered elsewhere (copied; pointers inside them must stay
  // valid while this object is used).
  void Assign(const std::vector<EVT_VARIANT>& system, const std::vector<EVT_VARIANT>& user);

  std::u16string ProviderName() const;
  // The same text without a copy (valid while the values are).
  std::u16string_view ProviderNameView() const;
  std::u16string Computer() const;
  PSID UserSid() const;
  uint64_t TimeCreated() const;
  uint64_t TimeCreatedWholeSeconds() const;
  uint64_t TimeCreatedUnixSeconds() const;
  uint64_t RecordId() const;
  uint16_t EventId() const;
  // (Qualifiers << 16) | EventID when Qualifiers is present, else EventID.
  uint32_t FullEventId() const;
  // VariantToText of a system value that is present, else "".
  std::u16string SystemPropertyText(DWORD index) const;
  // A system value that is present (type not EvtVarTypeNull), else null.
  const EVT_VARIANT* SystemValue(DWORD index) const;

  DWORD SystemCount() const { return systemCount_; }
  DWORD UserCount() const { return userCount_; }
  const EVT_VARIANT& UserValue(DWORD index) const { return UserValues()[index]; }
  // The value arrays as rendered (null when not rendered).
  const EVT_VARIANT* SystemValues() const { return reinterpret_cast<const EVT_VARIANT*>(system_.get()); }
  const EVT_VARIANT* UserValues() const { return reinterpret_cast<const EVT_VARIANT*>(user_.get()); }

 private:
  // Renders the values into `bytes` (of `capacity` bytes), growing it when
  // too small; the count of values.
  static DWORD RenderValues(const EvtRenderFunctions& api, EVT_HANDLE context, EVT_HANDLE event,
                            std::unique_ptr<BYTE[]>& bytes, DWORD& capacity);
  const EVT_VARIANT* TypedSystemValue(DWORD index, DWORD type) const;

  std::unique_ptr<BYTE[]> system_;
  std::unique_ptr<BYTE[]> user_;
  DWORD systemCapacity_ = 0;
  DWORD userCapacity_ = 0;
  DWORD systemCount_ = 0;
  DWORD userCount_ = 0;
};

}  // namespace cmr
