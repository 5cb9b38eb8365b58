#include "platform/host/modules/message_table.h"

#include "platform/api/errors.h"
#include "platform/api/kernel.h"
#include "platform/api/utf.h"
#include "platform/formats/evtx_bytes.h"

namespace host {
namespace {

using formats::EvtxFits;
using formats::EvtxLoad;

constexpr uint16_t kAnsi = 0, kUnicode = 1, kUtf8 = 2;

std::u16string AnsiText(std::span<const uint8_t> bytes, UINT codePage) {
  if (bytes.empty()) return {};
  auto* text = reinterpret_cast<LPCSTR>(bytes.data());
  int size = static_cast<int>(bytes.size());
  int chars = MultiByteToWideChar(codePage, 0, text, size, nullptr, 0);
  std::u16string out(chars > 0 ? chars : 0, u'\0');
  if (chars > 0) MultiByteToWideChar(codePage, 0, text, size, out.data(), chars);
  return out;
}

// The text of one entry, cut at its first NUL.
DWORD EntryText(std::span<const uint8_t> entry, uint16_t flags, UINT codePage, std::u16string* text) {
  if (flags == kUnicode) {
    text->clear();
    for (size_t i = 0; i + 1 < entry.size(); i += 2) {
      char16_t c = static_cast<char16_t>(entry[i] | entry[i + 1] << 8);
      if (c == 0) break;
      text->push_back(c);
    }
    return 0;
  }
  if (flags != kAnsi && flags != kUtf8) return ERROR_RESOURCE_DATA_NOT_FOUND;
  size_t length = 0;
  while (length < entry.size() && entry[length] != 0) ++length;
  auto bytes = entry.first(length);
  *text = flags == kUtf8 ? plat::Utf8ToUtf16({reinterpret_cast<const char*>(bytes.data()), bytes.size()})
                         : AnsiText(bytes, codePage);
  return 0;
}

}  // namespace

DWORD FindMessage(std::span<const uint8_t> table, DWORD id, UINT codePage, std::u16string* text) {
  if (!EvtxFits(table, 0, 4)) return ERROR_RESOURCE_DATA_NOT_FOUND;
  uint32_t blocks = EvtxLoad<uint32_t>(table, 0);
  if (!EvtxFits(table, 4, size_t{blocks} * 12)) return ERROR_RESOURCE_DATA_NOT_FOUND;
  for (size_t b = 0; b < blocks; ++b) {
    uint32_t low = EvtxLoad<uint32_t>(table, 4 + b * 12);
    uint32_t high = EvtxLoad<uint32_t>(table, 8 + b * 12);
    uint32_t offset = EvtxLoad<uint32_t>(table, 12 + b * 12);
    if (id < low || id > high) continue;
    size_t at = offset;
    for (uint32_t current = low;; ++current) {
      if (!EvtxFits(table, at, 4)) return ERROR_RESOURCE_DATA_NOT_FOUND;
      uint16_t length = EvtxLoad<uint16_t>(table, at);
      uint16_t flags = EvtxLoad<uint16_t>(table, at + 2);
      if (length < 4 || !EvtxFits(table, at, length)) return ERROR_RESOURCE_DATA_NOT_FOUND;
      if (current == id) return EntryText(table.subspan(at + 4, length - 4u), flags, codePage, text);
      at += length;
    }
  }
  return ERROR_MR_MID_NOT_FOUND;
}

}  // namespace host
