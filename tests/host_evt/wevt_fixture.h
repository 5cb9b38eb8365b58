// Shared set-up of the Windows Event Log tests: a fresh host with a channel
// of the local computer, event specs, and handle guards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/api/kernel.h"
#include "platform/formats/evtx_writer.h"
#include "platform/host/evt/event_channels.h"
#include "platform/host/evt/wevtapi.h"
#include "tests/support/fresh_host.h"
#include "tests/support/scoped_handle.h"
#include "tests/support/temp_dir.h"

namespace wevttest {

// Closes an Evt handle at the end of a scope.
using Handle = testsupport::ScopedHandle<EVT_HANDLE, EvtClose>;

inline formats::EvtxEventSpec Spec(uint16_t id, const std::u16string& provider = u"TestSource") {
  formats::EvtxEventSpec s;
  s.provider = provider;
  s.eventId = id;
  s.level = 4;
  s.timeCreated = 130000000000000000ULL + id * 10000000ULL;
  s.data.push_back(
      {u"Text", formats::EvtxValue::String(u"value " + std::u16string(1, static_cast<char16_t>(u'0' + id % 10)))});
  return s;
}

// Records of the events Spec(0) to Spec(count - 1), with the record ids
// from `firstId` on.
inline std::vector<formats::EvtxRecord> Records(uint16_t count, uint64_t firstId) {
  std::vector<formats::EvtxRecord> records;
  for (uint16_t i = 0; i < count; ++i) {
    formats::EvtxEventSpec spec = Spec(i);
    spec.recordId = firstId + i;
    records.push_back(formats::BuildEvtxRecord(spec));
  }
  return records;
}

// The values of `event` rendered in `context` (EvtRenderContextSystem or
// EvtRenderContextUser), in a buffer of 8-byte units, and how many.
inline std::vector<ULONGLONG> RenderedValues(EVT_HANDLE event, DWORD context = EvtRenderContextSystem,
                                             DWORD* values = nullptr) {
  Handle renderContext(EvtCreateRenderContext(0, nullptr, context));
  std::vector<ULONGLONG> buffer(512);
  DWORD used = 0, ignored = 0;
  DWORD& count = values ? *values : ignored;
  if (!EvtRender(renderContext.get(), event, EvtRenderEventValues, 4096, buffer.data(), &used, &count)) {
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    buffer.resize(used / 8 + 1);
    EXPECT_TRUE(EvtRender(renderContext.get(), event, EvtRenderEventValues, used, buffer.data(), &used, &count));
  }
  return buffer;
}

inline const EVT_VARIANT* Variants(const std::vector<ULONGLONG>& buffer) {
  return reinterpret_cast<const EVT_VARIANT*>(buffer.data());
}

inline uint64_t RecordIdOf(EVT_HANDLE event) {
  const std::vector<ULONGLONG> values = RenderedValues(event);
  const EVT_VARIANT& id = Variants(values)[EvtSystemEventRecordId];
  EXPECT_EQ(id.Type, static_cast<DWORD>(EvtVarTypeUInt64));
  return id.UInt64Val;
}

// The record ids of the next `n` (at most) events of the query; the error
// when EvtNext fails.
inline std::vector<uint64_t> Next(EVT_HANDLE query, DWORD n, DWORD* error = nullptr) {
  std::vector<EVT_HANDLE> events(n);
  DWORD returned = 99;
  std::vector<uint64_t> ids;
  if (!EvtNext(query, n, events.data(), INFINITE, 0, &returned)) {
    if (error) *error = GetLastError();
    EXPECT_EQ(returned, 0u);
    return ids;
  }
  for (DWORD i = 0; i < returned; ++i) {
    ids.push_back(RecordIdOf(events[i]));
    EvtClose(events[i]);
  }
  return ids;
}

// The record ids of every event the query hands out, in its order.
inline std::vector<uint64_t> AllIds(EVT_HANDLE query) {
  std::vector<uint64_t> ids, batch;
  DWORD error = 0;
  while (!(batch = Next(query, 16, &error)).empty()) ids.insert(ids.end(), batch.begin(), batch.end());
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  return ids;
}

class WevtTest : public testsupport::FreshHost {
 protected:
  void SetUp() override {
    FreshHost::SetUp();
    host::SetWevtapiAvailable(true);
    handlesAtStart_ = host::OpenEvtHandleCount();
  }
  void TearDown() override {
    EXPECT_EQ(host::OpenEvtHandleCount(), handlesAtStart_) << "Evt handles left open";
    FreshHost::TearDown();
  }

  // A channel of the local computer with `count` events.
  void AddChannelWithEvents(const std::u16string& name, int count, uint64_t firstId = 1) {
    host::ChannelConfig c;
    c.name = name;
    c.logFilePath = u"%SystemRoot%\\System32\\winevt\\Logs\\" + name + u".evtx";
    host::AddChannel(Local(), c).nextRecordId = firstId;
    for (int i = 0; i < count; ++i) host::AppendEvent(Local(), name, Spec(static_cast<uint16_t>(1000 + i)));
  }

  testsupport::TempDir temp_;
  std::filesystem::path dir_{temp_.path()};
  size_t handlesAtStart_ = 0;
};

}  // namespace wevttest
