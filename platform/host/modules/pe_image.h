// A PE file (DLL or EXE) read as data: its headers, its sections and its
// resource directory (type -> name -> language). Every offset read from the
// file is checked against the file's size; a damaged file gives an error,
// never a read outside the bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/api/types.h"

namespace host {

class PeImage {
 public:
  // 0, or ERROR_BAD_EXE_FORMAT when the bytes are not a PE image with
  // readable headers and section table.
  DWORD Parse(std::vector<uint8_t> bytes);

  // Languages of the resource with numeric type and name, in directory
  // order. 0 and the list, or ERROR_RESOURCE_DATA_NOT_FOUND (no or damaged
  // resource directory), ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND.
  DWORD Languages(WORD type, WORD name, std::vector<WORD>* languages) const;
  // The data of one language of a resource; errors as above, and
  // ERROR_RESOURCE_LANG_NOT_FOUND.
  DWORD Resource(WORD type, WORD name, WORD language, std::span<const uint8_t>* data) const;
  // The data of a resource whose type is named by text (such as
  // "WEVT_TEMPLATE", compared ignoring case), in the first language listed;
  // errors as above.
  DWORD NamedTypeResource(std::u16string_view typeName, WORD name, std::span<const uint8_t>* data) const;

 private:
  struct Section {
    uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
  };
  // The file bytes at an RVA, `size` of them; false when they are not in the file.
  bool AtRva(uint32_t rva, uint32_t size, std::span<const uint8_t>* out) const;
  // Finds the entry with numeric `id` in the directory at offset `directory`
  // of the resource section; its data word, or false.
  bool Entry(uint32_t directory, uint32_t id, uint32_t* target) const;
  DWORD NameDirectory(WORD type, WORD name, uint32_t* directory) const;
  // The subdirectory of the entry named `text` in the directory at `directory`.
  bool NamedEntry(uint32_t directory, std::u16string_view text, uint32_t* target) const;
  DWORD LeafData(uint32_t leaf, std::span<const uint8_t>* data) const;

  std::vector<uint8_t> bytes_;
  std::vector<Section> sections_;
  std::span<const uint8_t> resources_;  // the resource section from its root directory on
};

}  // namespace host
