// Records for the .evt tests: fields that vary with a seed, so that every
// record of a test log differs in size and content, and logs of them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/formats/evt_log_file.h"
#include "platform/formats/evt_record.h"

namespace evttest {

inline formats::EvtRecordFields SampleFields(uint32_t seed) {
  formats::EvtRecordFields f;
  f.source = u"Source" + std::u16string(seed % 5, u's');
  f.computer = u"HOST-" + std::u16string(seed % 3 + 1, u'c');
  f.eventId = 0x40000000u + seed;
  f.eventType = static_cast<uint16_t>(1u << (seed % 5));
  f.category = static_cast<uint16_t>(seed % 7);
  f.timeGenerated = 1300000000u + seed * 10;
  f.timeWritten = f.timeGenerated + 1;
  if (seed % 2) f.sid = {1, 1, 0, 0, 0, 0, 0, 5, static_cast<uint8_t>(18 + seed % 3), 0, 0, 0};
  for (uint32_t i = 0; i < seed % 4; ++i) f.strings.push_back(u"text " + std::u16string(seed % 9 + i, u'x'));
  for (uint32_t i = 0; i < seed % 11; ++i) f.data.push_back(static_cast<uint8_t>(seed * 7 + i));
  return f;
}

// A log of `maxSize` bytes with the records of seeds firstSeed and up.
inline formats::EvtLogFile MakeLog(uint32_t maxSize, uint32_t records, uint32_t firstSeed = 0) {
  formats::EvtLogFile log(maxSize);
  for (uint32_t seed = firstSeed; seed < firstSeed + records; ++seed) log.Append(SampleFields(seed));
  return log;
}

}  // namespace evttest
