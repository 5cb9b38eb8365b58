// Any bytes as a message DLL (a PE image read as data) or, when they do not
// start like one, as a bare message table: no read outside the bytes, and
// every message found is one the table's own lookup can give again.
#include <cstring>

#include "fuzz/fuzz_check.h"
#include "platform/api/errors.h"
#include "platform/host/modules/message_table.h"
#include "platform/host/modules/pe_image.h"

namespace {

// Looks up a spread of message ids, and the ids the table's first blocks name.
void LookUpMessages(std::span<const uint8_t> table) {
  std::vector<DWORD> ids = {0, 1, 2, 100, 0x10000, 0x40000001, 0xC0000001, 0xFFFFFFFF};
  if (table.size() >= 4) {
    uint32_t blocks = 0;
    std::memcpy(&blocks, table.data(), 4);
    for (uint32_t b = 0; b < blocks && b < 8 && 4 + b * 12 + 12 <= table.size(); ++b) {
      uint32_t low = 0, high = 0;
      std::memcpy(&low, table.data() + 4 + b * 12, 4);
      std::memcpy(&high, table.data() + 8 + b * 12, 4);
      ids.insert(ids.end(), {low, high, high + 1});
    }
  }
  for (DWORD id : ids) {
    std::u16string text;
    const DWORD result = host::FindMessage(table, id, 1252, &text);
    Check(result == 0 || result == ERROR_MR_MID_NOT_FOUND || result == ERROR_RESOURCE_DATA_NOT_FOUND);
    if (result != 0) continue;
    std::u16string again;
    Check(host::FindMessage(table, id, 1252, &again) == 0 && again == text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  if (size < 2 || data[0] != 'M' || data[1] != 'Z') {
    LookUpMessages(bytes);
    return 0;
  }
  host::PeImage image;
  if (image.Parse(std::vector<uint8_t>(bytes.begin(), bytes.end())) != 0) return 0;
  std::vector<WORD> languages;
  if (image.Languages(host::kMessageTableType, host::kMessageTableName, &languages) != 0) return 0;
  for (WORD language : languages) {
    std::span<const uint8_t> table;
    if (image.Resource(host::kMessageTableType, host::kMessageTableName, language, &table) == 0) LookUpMessages(table);
  }
  return 0;
}
