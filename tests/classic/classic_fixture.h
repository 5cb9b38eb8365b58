// Shared set-up of the classic event-log tests: a fresh host with a virtual
// clock, a temporary folder, record fields, and reading helpers.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/api/eventlog.h"
#include "platform/api/kernel.h"
#include "platform/formats/evt_record.h"
#include "platform/host/classic/classic_event_logs.h"
#include "platform/host/kernel/clock.h"
#include "tests/support/fresh_host.h"
#include "tests/support/temp_dir.h"

namespace classictest {

// Closes a classic event-log handle at the end of a scope.
class LogHandle {
 public:
  explicit LogHandle(HANDLE h = nullptr) : h_(h) {}
  ~LogHandle() {
    if (h_) CloseEventLog(h_);
  }
  LogHandle(const LogHandle&) = delete;
  LogHandle& operator=(const LogHandle&) = delete;
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HANDLE h_;
};

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

inline std::vector<uint32_t> Range(uint32_t first, uint32_t last) {
  std::vector<uint32_t> v;
  for (uint32_t n = first; n <= last; ++n) v.push_back(n);
  return v;
}

class ClassicTest : public testsupport::FreshHost {
 protected:
  void SetUp() override {
    FreshHost::SetUp();
    host::UseVirtualClock(130000000000000000ULL);
  }
  void TearDown() override {
    FreshHost::TearDown();
    host::UseRealClock();
  }

  void MakeLog(host::Computer& computer, const std::u16string& name, DWORD maxSize = 0x80000, DWORD retention = 0,
               const std::u16string& file = u"") {
    host::ClassicLogConfig config;
    config.name = name;
    config.maxSize = maxSize;
    config.retention = retention;
    config.file = file;
    host::CreateClassicLog(computer, config);
  }
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
