// The RT_MESSAGETABLE resource (MESSAGE_RESOURCE_DATA): blocks of
// consecutive message ids, each entry a length, a flags word (0 ANSI, 1
// UTF-16, 2 UTF-8) and the NUL-padded text.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/api/types.h"

namespace host {

inline constexpr WORD kMessageTableType = 11;  // RT_MESSAGETABLE
inline constexpr WORD kMessageTableName = 1;

// 0 and the text of message `id` (as stored: inserts and line ends
// unexpanded), ERROR_MR_MID_NOT_FOUND when the table has no such id, or
// ERROR_RESOURCE_DATA_NOT_FOUND when the table is damaged on the way to it.
// ANSI texts are converted from the code page `codePage`.
DWORD FindMessage(std::span<const uint8_t> table, DWORD id, UINT codePage, std::u16string* text);

}  // namespace host
