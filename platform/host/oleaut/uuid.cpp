#include <random>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"

// Random (version 4) UUIDs.
RPC_STATUS UuidCreate(UUID* uuid) {
  if (DWORD e = HOST_FAULT("UuidCreate")) return static_cast<RPC_STATUS>(e);
  thread_local std::mt19937_64 engine{std::random_device{}()};
  uint64_t a = engine(), b = engine();
  uuid->Data1 = static_cast<uint32_t>(a >> 32);
  uuid->Data2 = static_cast<uint16_t>(a >> 16);
  uuid->Data3 = static_cast<uint16_t>((a & 0x0FFF) | 0x4000);
  for (int i = 0; i < 8; ++i) uuid->Data4[i] = static_cast<uint8_t>(b >> (56 - 8 * i));
  uuid->Data4[0] = static_cast<uint8_t>((uuid->Data4[0] & 0x3F) | 0x80);
  return RPC_S_OK;
}
