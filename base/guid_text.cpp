#include "base/guid_text.h"

#include <cstdio>
#include <stdexcept>

#include "base/text.h"
#include "platform/api/kernel.h"

namespace cmr {

std::string GuidToTextA(const GUID& g) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned>(g.Data1),
                g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                g.Data4[7]);
  return buf;
}

std::u16string GuidToText(const GUID& guid) { return WidenC(GuidToTextA(guid)); }

GUID TextToGuid(const std::string& text) {
  unsigned d1 = 0, d2 = 0, d3 = 0, b[8] = {};
  int n = std::sscanf(text.c_str(), "{%8X-%4X-%4X-%2X%2X-%2X%2X%2X%2X%2X%2X}", &d1, &d2, &d3, &b[0], &b[1], &b[2],
                      &b[3], &b[4], &b[5], &b[6], &b[7]);
  if (n != 11) throw std::runtime_error("Failed to parse GUID");
  GUID g{};
  g.Data1 = d1;
  g.Data2 = static_cast<uint16_t>(d2);
  g.Data3 = static_cast<uint16_t>(d3);
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<uint8_t>(b[i]);
  return g;
}

GUID TextToGuid(const std::u16string& text) { return TextToGuid(NarrowC(text)); }

GUID NewGuid() {
  GUID g{};
  UuidCreate(&g);
  return g;
}

}  // namespace cmr
