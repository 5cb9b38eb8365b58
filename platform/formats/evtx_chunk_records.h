// The records of one chunk of an .evtx file, read for rendering: every
// record is checked as a parse into a tree would check it, but a record that
// is one template instance is parsed into a tree only when a caller asks
// for its tree. Its System and user values are read straight from its
// substitution values by the plan of its template (worked out once per
// templates and value types, from the first such record's tree).
#pragma once

#include <cstdint>
#include <forward_list>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/formats/evtx_binxml.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_system.h"
#include "platform/formats/evtx_value_plan.h"
#include "platform/formats/evtx_value_ref.h"

namespace formats {

class EvtxChunkRecords {
 public:
  // Reads chunk `index` of `reader`; null when the chunk is skipped. What is
  // damaged is reported in `diagnostics` as EvtxReader::readChunk reports it,
  // and the records kept are the ones it keeps. The chunk is read into
  // `buffer` (the bytes of a chunk read before: see Recycle).
  static std::shared_ptr<EvtxChunkRecords> Read(const EvtxReader& reader, size_t index,
                                                std::vector<std::string>& diagnostics,
                                                std::vector<uint8_t> buffer = {});
  // The bytes of `records` when nothing else holds it (it is then
  // released), for the next Read to reuse; else empty.
  static std::vector<uint8_t> Recycle(std::shared_ptr<EvtxChunkRecords>& records);
  EvtxChunkRecords(const EvtxChunkRecords&) = delete;
  EvtxChunkRecords& operator=(const EvtxChunkRecords&) = delete;
  ~EvtxChunkRecords();

  size_t size() const { return entries_.size(); }
  uint64_t recordId(size_t i) const { return entries_[i].recordId; }
  // Whether record i's values are read by a plan (not from a tree).
  bool direct(size_t i) const { return entries_[i].plan != nullptr; }
  // Record i with its tree, parsed on first use.
  const std::shared_ptr<const EvtxRecord>& record(size_t i);

  // The System properties of record i as EvtRender gives them (the record
  // id from the record header), or its user values. The values stay valid
  // until the next call.
  std::span<const EvtxValue* const> systemValues(size_t i);
  std::span<const EvtxValue* const> userValues(size_t i);
  // The same values, those that a record read by plan stores as they are
  // left in the chunk's bytes (valid until the next call).
  std::span<const EvtxValueRef> systemRefs(size_t i);
  std::span<const EvtxValueRef> userRefs(size_t i);

 private:
  struct Entry {
    uint32_t pos = 0, size = 0;
    uint64_t recordId = 0, writtenTime = 0;
    const EvtxValuePlan* plan = nullptr;      // set when the values are read by the plan
    uint32_t firstValue = 0, valueCount = 0;  // the record's instance values in values_
    std::shared_ptr<const EvtxRecord> tree;
  };

  explicit EvtxChunkRecords(std::vector<uint8_t> bytes);
  bool add(size_t pos, size_t size, std::string& error);
  bool parse(const Entry& e, EvtxRecord& record, std::string& error);
  const EvtxValuePlan* newPlan(const EvtxEvent& event);
  const EvtxValue* decode(const Entry& e, uint32_t value);
  EvtxValueRef stored(const Entry& e, uint32_t value);
  // The ref of an instance value stored as it is: its bytes in the chunk.
  EvtxValueRef bytesOf(const EvtxInstanceView::Value& v) const;
  std::span<const EvtxValue* const> decoded(std::span<const EvtxValueRef> refs);

  std::vector<uint8_t> bytes_;
  EvtxChunkParser parser_;
  std::vector<Entry> entries_;
  std::vector<EvtxInstanceView::Value> values_;  // the instance values of the records read by plan
  std::unordered_map<std::string, std::unique_ptr<EvtxValuePlan>> plans_;  // by template offset and value types
  // Reused from record to record.
  EvtxInstanceView view_;
  std::vector<uint32_t> valueIds_;
  std::vector<EvtxValue> decoded_;
  std::vector<EvtxValue> converted_;
  std::vector<const EvtxValue*> out_;
  std::vector<EvtxValueRef> refs_;
  std::vector<EvtxValue> stored_;  // the stored values of refs_, decoded for systemValues and userValues
  EvtxSystemRefs systemRefs_;
  std::forward_list<EvtxValue> texts_;
  EvtxValue recordIdValue_;
};

}  // namespace formats
