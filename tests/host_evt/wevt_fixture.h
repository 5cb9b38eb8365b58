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
