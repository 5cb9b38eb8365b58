// The process heap (kernel32): GetProcessHeap, HeapAlloc, HeapFree. On Linux
// the host hands out blocks it keeps track of, so a block freed twice or not
// from this heap is refused instead of corrupting memory.
#pragma once

#include "platform/api/types.h"

#ifdef _WIN32
#include <windows.h>
#else

#define HEAP_ZERO_MEMORY 0x00000008

HANDLE GetProcessHeap();
// Null when the memory cannot be had (GetLastError is not set, as on Windows).
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory);

#endif  // _WIN32
