#include "platform/host/modules/pe_image.h"

#include <algorithm>

#include "platform/api/errors.h"
#include "platform/formats/evtx_bytes.h"

namespace host {
namespace {

using formats::EvtxFits;
using formats::EvtxLoad;

constexpr uint16_t kMz = 0x5A4D;
constexpr uint32_t kPe = 0x00004550;
constexpr uint16_t kPe32 = 0x10B, kPe32Plus = 0x20B;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kSubdirectory = 0x80000000u;
constexpr size_t kDirectoryHeader = 16, kDirectoryEntry = 8;

}  // namespace

DWORD PeImage::Parse(std::vector<uint8_t> bytes) {
  bytes_ = std::move(bytes);
  std::span<const uint8_t> file(bytes_);
  if (!EvtxFits(file, 0, 64) || EvtxLoad<uint16_t>(file, 0) != kMz) return ERROR_BAD_EXE_FORMAT;
  uint32_t pe = EvtxLoad<uint32_t>(file, 0x3C);
  if (!EvtxFits(file, pe, 24) || EvtxLoad<uint32_t>(file, pe) != kPe) return ERROR_BAD_EXE_FORMAT;
  uint16_t sectionCount = EvtxLoad<uint16_t>(file, pe + 6);
  uint16_t optionalSize = EvtxLoad<uint16_t>(file, pe + 20);
  size_t optional = pe + 24;
  if (!EvtxFits(file, optional, optionalSize) || optionalSize < 2) return ERROR_BAD_EXE_FORMAT;
  uint16_t magic = EvtxLoad<uint16_t>(file, optional);
  size_t countAt = magic == kPe32 ? 92 : magic == kPe32Plus ? 108 : 0;
  if (countAt == 0 || optionalSize < countAt + 4) return ERROR_BAD_EXE_FORMAT;
  uint32_t directoryCount = EvtxLoad<uint32_t>(file, optional + countAt);
  size_t directories = optional + countAt + 4;
  size_t sectionTable = optional + optionalSize;
  if (!EvtxFits(file, sectionTable, size_t{sectionCount} * 40)) return ERROR_BAD_EXE_FORMAT;
  sections_.clear();
  for (size_t i = 0; i < sectionCount; ++i) {
    size_t at = sectionTable + i * 40;
    sections_.push_back({EvtxLoad<uint32_t>(file, at + 12), EvtxLoad<uint32_t>(file, at + 8),
                         EvtxLoad<uint32_t>(file, at + 20), EvtxLoad<uint32_t>(file, at + 16)});
  }
  resources_ = {};
  size_t resourceEntry = directories + kResourceDirectory * 8;
  if (directoryCount > kResourceDirectory && resourceEntry + 8 <= optional + optionalSize) {
    uint32_t rva = EvtxLoad<uint32_t>(file, resourceEntry);
    uint32_t size = EvtxLoad<uint32_t>(file, resourceEntry + 4);
    std::span<const uint8_t> data;
    if (rva != 0 && AtRva(rva, size, &data)) resources_ = data;
  }
  return 0;
}

bool PeImage::AtRva(uint32_t rva, uint32_t size, std::span<const uint8_t>* out) const {
  for (const Section& s : sections_) {
    uint64_t extent = std::max(s.virtualSize, s.rawSize);
    if (rva < s.virtualAddress || uint64_t{rva} + size > uint64_t{s.virtualAddress} + extent) continue;
    uint64_t offset = uint64_t{s.rawOffset} + (rva - s.virtualAddress);
    // Bytes past the raw data of a section are not in the file.
    if (uint64_t{rva} + size > uint64_t{s.virtualAddress} + s.rawSize) return false;
    if (!EvtxFits(bytes_, offset, size)) return false;
    *out = std::span<const uint8_t>(bytes_).subspan(offset, size);
    return true;
  }
  return false;
}

bool PeImage::Entry(uint32_t directory, uint32_t id, uint32_t* target) const {
  if (!EvtxFits(resources_, directory, kDirectoryHeader)) return false;
  size_t named = EvtxLoad<uint16_t>(resources_, directory + 12);
  size_t ids = EvtxLoad<uint16_t>(resources_, directory + 14);
  size_t first = directory + kDirectoryHeader;
  if (!EvtxFits(resources_, first, (named + ids) * kDirectoryEntry)) return false;
  for (size_t i = named; i < named + ids; ++i) {
    size_t at = first + i * kDirectoryEntry;
    if (EvtxLoad<uint32_t>(resources_, at) == id) {
      *target = EvtxLoad<uint32_t>(resources_, at + 4);
      return true;
    }
  }
  return false;
}

DWORD PeImage::NameDirectory(WORD type, WORD name, uint32_t* directory) const {
  if (resources_.empty()) return ERROR_RESOURCE_DATA_NOT_FOUND;
  uint32_t types = 0;
  if (!Entry(0, type, &types) || !(types & kSubdirectory)) return ERROR_RESOURCE_TYPE_NOT_FOUND;
  uint32_t names = 0;
  if (!Entry(types & ~kSubdirectory, name, &names) || !(names & kSubdirectory)) return ERROR_RESOURCE_NAME_NOT_FOUND;
  *directory = names & ~kSubdirectory;
  return EvtxFits(resources_, *directory, kDirectoryHeader) ? 0 : ERROR_RESOURCE_DATA_NOT_FOUND;
}

DWORD PeImage::Languages(WORD type, WORD name, std::vector<WORD>* languages) const {
  uint32_t directory = 0;
  if (DWORD e = NameDirectory(type, name, &directory)) return e;
  size_t named = EvtxLoad<uint16_t>(resources_, directory + 12);
  size_t ids = EvtxLoad<uint16_t>(resources_, directory + 14);
  size_t first = directory + kDirectoryHeader;
  if (!EvtxFits(resources_, first, (named + ids) * kDirectoryEntry)) return ERROR_RESOURCE_DATA_NOT_FOUND;
  languages->clear();
  for (size_t i = named; i < named + ids; ++i)
    languages->push_back(static_cast<WORD>(EvtxLoad<uint32_t>(resources_, first + i * kDirectoryEntry)));
  return 0;
}

DWORD PeImage::Resource(WORD type, WORD name, WORD language, std::span<const uint8_t>* data) const {
  uint32_t directory = 0;
  if (DWORD e = NameDirectory(type, name, &directory)) return e;
  uint32_t leaf = 0;
  if (!Entry(directory, language, &leaf)) return ERROR_RESOURCE_LANG_NOT_FOUND;
  return LeafData(leaf, data);
}

DWORD PeImage::LeafData(uint32_t leaf, std::span<const uint8_t>* data) const {
  if ((leaf & kSubdirectory) || !EvtxFits(resources_, leaf, 16)) return ERROR_RESOURCE_DATA_NOT_FOUND;
  uint32_t rva = EvtxLoad<uint32_t>(resources_, leaf);
  uint32_t size = EvtxLoad<uint32_t>(resources_, leaf + 4);
  return AtRva(rva, size, data) ? 0 : ERROR_RESOURCE_DATA_NOT_FOUND;
}

bool PeImage::NamedEntry(uint32_t directory, std::u16string_view text, uint32_t* target) const {
  if (!EvtxFits(resources_, directory, kDirectoryHeader)) return false;
  size_t named = EvtxLoad<uint16_t>(resources_, directory + 12);
  size_t first = directory + kDirectoryHeader;
  if (!EvtxFits(resources_, first, named * kDirectoryEntry)) return false;
  for (size_t i = 0; i < named; ++i) {
    size_t at = first + i * kDirectoryEntry;
    uint32_t nameOffset = EvtxLoad<uint32_t>(resources_, at) & ~kSubdirectory;
    size_t length = EvtxLoad<uint16_t>(resources_, nameOffset);
    if (length != text.size() || !EvtxFits(resources_, nameOffset + 2, length * 2)) continue;
    bool same = true;
    for (size_t k = 0; k < length && same; ++k) {
      char16_t c = EvtxLoad<uint16_t>(resources_, nameOffset + 2 + k * 2);
      char16_t t = text[k];
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
      if (t >= u'a' && t <= u'z') t = static_cast<char16_t>(t - 32);
      same = c == t;
    }
    if (same) {
      *target = EvtxLoad<uint32_t>(resources_, at + 4);
      return true;
    }
  }
  return false;
}

DWORD PeImage::NamedTypeResource(std::u16string_view typeName, WORD name, std::span<const uint8_t>* data) const {
  if (resources_.empty()) return ERROR_RESOURCE_DATA_NOT_FOUND;
  uint32_t types = 0;
  if (!NamedEntry(0, typeName, &types) || !(types & kSubdirectory)) return ERROR_RESOURCE_TYPE_NOT_FOUND;
  uint32_t names = 0;
  if (!Entry(types & ~kSubdirectory, name, &names) || !(names & kSubdirectory)) return ERROR_RESOURCE_NAME_NOT_FOUND;
  uint32_t directory = names & ~kSubdirectory;
  if (!EvtxFits(resources_, directory, kDirectoryHeader)) return ERROR_RESOURCE_DATA_NOT_FOUND;
  size_t count =
      size_t{EvtxLoad<uint16_t>(resources_, directory + 12)} + EvtxLoad<uint16_t>(resources_, directory + 14);
  if (count == 0 || !EvtxFits(resources_, directory + kDirectoryHeader, kDirectoryEntry)) {
    return ERROR_RESOURCE_LANG_NOT_FOUND;
  }
  return LeafData(EvtxLoad<uint32_t>(resources_, directory + kDirectoryHeader + 4), data);
}

}  // namespace host
