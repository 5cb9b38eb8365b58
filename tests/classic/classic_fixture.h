// Shared set-up of the classic event-log tests: a fresh host with a virtual
// clock, a temporary folder, record fields, and reading helpers.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "collect/nt_event_log.h"
#include "platform/api/eventlog.h"
#include "platform/api/kernel.h"
#include "platform/formats/evt_record.h"
#include "tests/support/classic_host.h"
#include "tests/support/scoped_handle.h"
#include "tests/support/temp_dir.h"

namespace classictest {

// Closes a classic event-log handle at the end of a scope.
using LogHandle = testsupport::ScopedHandle<HANDLE, CloseEventLog>;

inline formats::EvtRecordFields Fields(uint32_t eventId, size_t textLength = 8) {
  formats::EvtRecordFields f;
  f.source = u"TestSource";
  f.eventId = eventId;
  f.timeWritten = 1300000000 + eventId;
  f.timeGenerated = f.timeWritten;
  f.strings = {std::u16string(textLength, u'x')};
  return f;
}

// One read: the records' numbers, or the error (0 on success).
struct ReadResult {
  DWORD error = 0;
  DWORD needed = 0;
  std::vector<uint32_t> numbers;
};

inline ReadResult Read(HANDLE h, DWORD flags, DWORD record = 0, DWORD size = 0x10000) {
  std::vector<uint8_t> buffer(size + 1);
  DWORD read = 0;
  ReadResult result;
  if (!ReadEventLogW(h, flags, record, buffer.data(), size, &read, &result.needed)) {
    result.error = GetLastError();
    return result;
  }
  for (DWORD at = 0; at < read;) {
    auto* r = reinterpret_cast<const EVENTLOGRECORD*>(buffer.data() + at);
    result.numbers.push_back(r->RecordNumber);
    at += r->Length;
  }
  return result;
}

// Every record number a sequential read in that direction hands out, until 38.
inline std::vector<uint32_t> ReadToEnd(HANDLE h, DWORD direction, DWORD size = 0x10000) {
  std::vector<uint32_t> all;
  for (;;) {
    ReadResult r = Read(h, EVENTLOG_SEQUENTIAL_READ | direction, 0, size);
    if (r.error) {
      EXPECT_EQ(r.error, static_cast<DWORD>(ERROR_HANDLE_EOF));
      return all;
    }
    all.insert(all.end(), r.numbers.begin(), r.numbers.end());
  }
}

// The record numbers the reader hands out until the end; through a chain,
// the event ids (record numbers start again in each backup) read on from
// each backup into the next and the live log.
inline std::vector<uint32_t> Drain(cmr::NTEventLog& reader, bool chain = false) {
  std::vector<uint32_t> out;
  for (;;) {
    EVENTLOGRECORD* record = nullptr;
    bool end = false;
    if (!reader.GetNextRecord(&record, nullptr, true, &end)) {
      ADD_FAILURE() << "GetNextRecord failed: " << GetLastError();
      return out;
    }
    if (!end) {
      out.push_back(chain ? record->EventID : record->RecordNumber);
      continue;
    }
    if (!chain || reader.CurrentBackupPath().empty()) return out;
    reader.AdvanceBackup();
    if (!reader.OpenFirstAvailable(u"", nullptr)) return out;
  }
}

using testsupport::Range;

class ClassicTest : public testsupport::ClassicHost {
 protected:
  void Append(host::Computer& computer, const std::u16string& log, uint32_t first, uint32_t count,
              size_t textLength = 8) {
    for (uint32_t i = 0; i < count; ++i) {
      ASSERT_NE(host::AppendClassicRecord(computer, log, Fields(first + i, textLength)), 0u);
    }
  }

  testsupport::TempDir temp_;
  std::filesystem::path dir_{temp_.path()};
};

}  // namespace classictest
