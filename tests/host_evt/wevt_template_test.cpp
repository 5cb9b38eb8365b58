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

bool SameProvider(const WevtProvider& x, const WevtProvider& y) {
  if (std::memcmp(&x.guid, &y.guid, sizeof x.guid) != 0 || x.messageId != y.messageId) return false;
  if (x.channels.size() != y.channels.size() || x.events.size() != y.events.size()) return false;
  for (size_t i = 0; i < x.channels.size(); ++i) {
    const auto &a = x.channels[i], &b = y.channels[i];
    if (a.id != b.id || a.name != b.name || a.messageId != b.messageId) return false;
  }
  for (size_t i = 0; i < x.events.size(); ++i) {
    const auto &a = x.events[i], &b = y.events[i];
    if (a.id != b.id || a.version != b.version || a.channel != b.channel || a.level != b.level ||
        a.opcode != b.opcode || a.task != b.task || a.keywords != b.keywords || a.messageId != b.messageId) {
      return false;
    }
  }
  return true;
}

TEST(WevtTemplate, WrittenAndReadBack) {
  auto providers = Providers();
  auto bytes = formats::WriteWevtTemplate(providers);
  std::vector<WevtProvider> read;
  std::string problem;
  ASSERT_TRUE(formats::ReadWevtTemplate(bytes, &read, &problem)) << problem;
  ASSERT_EQ(read.size(), providers.size());
  for (size_t i = 0; i < read.size(); ++i) EXPECT_TRUE(SameProvider(read[i], providers[i])) << i;
}

TEST(WevtTemplate, DamagedResourcesAreRefused) {
  const auto good = formats::WriteWevtTemplate(Providers());
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
  // Every cut-off form is read or refused, never read past.
  for (size_t size = 0; size < good.size(); ++size) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    std::vector<WevtProvider> read;
    std::string problem;
    EXPECT_FALSE(formats::ReadWevtTemplate(cut, &read, &problem)) << size;
  }
}

}  // namespace
