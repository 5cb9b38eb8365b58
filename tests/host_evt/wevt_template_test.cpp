// The event manifest resource: written and read back, and damaged forms
// refused without reading outside the bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/formats/evtx_value.h"
#include "platform/formats/wevt_template.h"

namespace {

using formats::WevtProvider;

std::vector<WevtProvider> Providers() {
  WevtProvider a;
  formats::ParseEvtxGuid(u"{7d3c1b2a-4e5f-4a6b-8c9d-0e1f2a3b4c5d}", a.guid);
  a.messageId = 0x90000001u;
  a.channels = {{16, u"Descr-Test/Operational", 0x10}, {17, u"Descr-Test/Admin", formats::kWevtNoMessage}};
  a.events = {{100, 0, 16, 4, 1, 100, 0x8000000000000000ull, 0x11}, {101, 2, 17, 2, 0, 7, 0, 0x12}};
  WevtProvider b;
  formats::ParseEvtxGuid(u"{11111111-2222-3333-4444-555555555555}", b.guid);
  return {a, b};
}

// Written and read back; damaged forms refused.
TEST(WevtTemplate, WrittenAndReadBackButDamagedResourcesAreRefused) {
  const auto good = formats::WriteWevtTemplate(Providers());
  {
    std::vector<WevtProvider> read;
    std::string problem;
    ASSERT_TRUE(formats::ReadWevtTemplate(good, &read, &problem)) << problem;
    EXPECT_EQ(read, Providers());
  }
  auto put32 = [](std::vector<uint8_t> b, size_t at, uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
    return b;
  };
  const uint32_t firstProvider = 16 + 2 * 20;  // where the writer puts the first WEVT block
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"not a manifest", put32(good, 0, 0x41414141)},
      {"provider count past the end", put32(good, 12, 0x7FFFFFFF)},
      {"provider offset past the end", put32(good, 16 + 16, 0xFFFFFFF0u)},
      {"element count past the end", put32(good, firstProvider + 12, 0x10000)},
      {"channel count past the end", put32(good, firstProvider + 44, 0x00FFFFFF)},
  };
  for (const auto& c : cases) {
    std::vector<WevtProvider> read;
    std::string problem;
    EXPECT_FALSE(formats::ReadWevtTemplate(c.bytes, &read, &problem)) << c.name;
    EXPECT_FALSE(problem.empty()) << c.name;
  }
  // Many providers whose descriptors all lead to one block of events: read
  // as they point, 40 x 40 x 40 definitions out of 3 KiB.
  {
    constexpr uint32_t kEach = 40, kBlock = 16 + kEach * 20, kEvents = kBlock + 20 + kEach * 8;
    std::vector<uint8_t> shared(kEvents + 16 + kEach * 48);
    std::memcpy(shared.data(), "CRIM", 4);
    shared = put32(put32(shared, 4, static_cast<uint32_t>(shared.size())), 12, kEach);
    std::memcpy(shared.data() + kBlock, "WEVT", 4);
    std::memcpy(shared.data() + kEvents, "EVNT", 4);
    shared = put32(put32(shared, kBlock + 12, kEach), kEvents + 8, kEach);
    for (uint32_t i = 0; i < kEach; ++i)
      shared = put32(put32(shared, 16 + i * 20 + 16, kBlock), kBlock + 20 + i * 8, kEvents);
    std::vector<WevtProvider> read;
    std::string problem;
    EXPECT_FALSE(formats::ReadWevtTemplate(shared, &read, &problem));
    EXPECT_EQ(problem, "event manifest: event definitions read too often");
  }
  // Every cut-off form is read or refused, never read past.
  for (size_t size = 0; size < good.size(); ++size) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    std::vector<WevtProvider> read;
    std::string problem;
    EXPECT_FALSE(formats::ReadWevtTemplate(cut, &read, &problem)) << size;
  }
}

}  // namespace
