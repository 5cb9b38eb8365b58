// Large log files for the collection benchmark, made by the project's
// writers from the realistic samples (security-like and system-like events
// taking turns): a classic .evt and an .evtx of any number of records.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/sample_events.h"
#include "platform/formats/evt_log_file.h"
#include "platform/formats/evtx_bytes.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_writer.h"

namespace benchsupport {

// A classic log of `records` records, record numbers from 1; false when the
// writer refused one.
inline bool WriteLargeEvt(const std::string& path, size_t records) {
  const std::vector<SampleEvent> samples = RealisticSamples();
  formats::EvtLogFile log(0xFFFFFFF0u, formats::kEvtRetainForever);
  for (size_t i = 0; i < records; ++i) {
    const std::vector<uint8_t> record = ClassicRecord(samples[i % samples.size()], i);
    if (log.Append(record).status != formats::EvtAppendStatus::Written) return false;
  }
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(log.Image().data()), static_cast<std::streamsize>(log.Image().size()));
  return static_cast<bool>(out);
}

// The .evtx event of sample s as the i-th record (id i + 1).
inline formats::EvtxEventSpec EvtxSample(const SampleEvent& s, size_t i) {
  formats::EvtxEventSpec spec;
  spec.provider = s.source;
  spec.eventId = static_cast<uint16_t>(s.eventId);
  spec.level = s.level;
  spec.task = s.category;
  spec.keywords = s.keywords;
  spec.timeCreated = SampleFileTime(i) + 1234567;
  spec.recordId = i + 1;
  spec.processId = 612;
  spec.threadId = 4100 + static_cast<uint32_t>(i % 64);
  spec.channel = std::u16string(s.source).starts_with(u"Microsoft-Windows-Security") ? u"Security" : u"System";
  spec.computer = s.computer;
  for (size_t k = 0; k < s.strings.size(); ++k) {
    formats::EvtxUserValue value;
    value.name = u"param" + std::u16string(1, static_cast<char16_t>(u'1' + k % 9));
    value.value.type = EvtVarTypeString;
    value.value.text = s.strings[k];
    spec.data.push_back(value);
  }
  return spec;
}

// An .evtx file of `records` records, written a batch at a time (the
// writer holds a batch in memory): the chunks of every batch follow each
// other and the file header is made to count them all.
inline bool WriteLargeEvtx(const std::string& path, size_t records) {
  constexpr size_t kBatch = 20000;
  const std::vector<SampleEvent> samples = RealisticSamples();
  std::ofstream out(path, std::ios::binary);
  std::vector<uint8_t> header;
  size_t chunks = 0;
  out.write(std::string(formats::kEvtxFileHeaderSize, '\0').data(), formats::kEvtxFileHeaderSize);
  for (size_t first = 0; first < records; first += kBatch) {
    std::vector<formats::EvtxRecord> batch;
    for (size_t i = first; i < records && i < first + kBatch; ++i)
      batch.push_back(formats::BuildEvtxRecord(EvtxSample(samples[i % samples.size()], i)));
    std::vector<uint8_t> bytes;
    std::string error;
    if (!formats::WriteEvtx(batch, bytes, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return false;
    }
    if (header.empty()) header.assign(bytes.begin(), bytes.begin() + formats::kEvtxFileHeaderSize);
    out.write(reinterpret_cast<const char*>(bytes.data() + formats::kEvtxFileHeaderSize),
              static_cast<std::streamsize>(bytes.size() - formats::kEvtxFileHeaderSize));
    chunks += (bytes.size() - formats::kEvtxFileHeaderSize) / formats::kEvtxChunkSize;
  }
  if (chunks > 0xFFFF) return false;
  // First chunk 0, last chunk, next record id, chunk count; the checksum
  // covers the first 120 bytes.
  formats::EvtxStore<uint64_t>(header, 16, chunks - 1);
  formats::EvtxStore<uint64_t>(header, 24, records + 1);
  formats::EvtxStore<uint16_t>(header, 42, static_cast<uint16_t>(chunks));
  formats::EvtxStore<uint32_t>(header, 124, formats::EvtxCrc32(std::span<const uint8_t>(header.data(), 120)));
  out.seekp(0);
  out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  return static_cast<bool>(out);
}

}  // namespace benchsupport
