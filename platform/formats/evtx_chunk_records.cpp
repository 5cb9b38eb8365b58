#include "platform/formats/evtx_chunk_records.h"

#include <array>

#include "platform/formats/evtx_bytes.h"

namespace formats {

EvtxChunkRecords::EvtxChunkRecords(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)), parser_(bytes_) {}

EvtxChunkRecords::~EvtxChunkRecords() = default;

std::shared_ptr<EvtxChunkRecords> EvtxChunkRecords::Read(const EvtxReader& reader, size_t index,
                                                         std::vector<std::string>& diagnostics,
                                                         std::vector<uint8_t> buffer) {
  EvtxChunkInfo info;
  size_t end = 0;
  std::span<const uint8_t> chunk = reader.openChunk(index, buffer, info, end, diagnostics);
  if (chunk.empty()) return nullptr;
  if (chunk.data() == buffer.data()) buffer.resize(chunk.size());
  else buffer.assign(chunk.begin(), chunk.end());
  std::shared_ptr<EvtxChunkRecords> records(new EvtxChunkRecords(std::move(buffer)));
  EvtxChunkRecords& r = *records;
  ScanEvtxRecords(
      r.bytes_, index, end, [&r](size_t pos, size_t size, std::string& error) { return r.add(pos, size, error); },
      diagnostics);
  return records;
}

std::vector<uint8_t> EvtxChunkRecords::Recycle(std::shared_ptr<EvtxChunkRecords>& records) {
  std::vector<uint8_t> bytes;
  if (records && records.use_count() == 1) {
    bytes = std::move(records->bytes_);
    records.reset();
  }
  return bytes;
}

bool EvtxChunkRecords::parse(const Entry& e, EvtxRecord& record, std::string& error) {
  record.recordId = e.recordId;
  record.writtenTime = e.writtenTime;
  return parser_.parseEvent(e.pos + 24, e.pos + e.size - 4, record.event, error);
}

// A record that is one template instance of a known plan is only checked;
// any other is parsed now, and the first of a new template and value types
// gives its plan.
bool EvtxChunkRecords::add(size_t pos, size_t size, std::string& error) {
  Entry e;
  e.pos = static_cast<uint32_t>(pos);
  e.size = static_cast<uint32_t>(size);
  e.recordId = EvtxLoad<uint64_t>(bytes_, pos + 8);
  e.writtenTime = EvtxLoad<uint64_t>(bytes_, pos + 16);
  const bool instance = parser_.readInstance(pos + 24, pos + size - 4, view_);
  const EvtxValuePlan* plan = nullptr;
  if (instance) {
    auto found = plans_.find(view_.key);
    if (found != plans_.end()) plan = found->second.get();
  }
  if (!plan || !plan->direct) {
    auto record = std::make_shared<EvtxRecord>();
    if (!parse(e, *record, error)) return false;
    if (instance && !plan) plan = newPlan(record->event);
    e.tree = std::move(record);
  }
  if (plan && plan->direct) {
    e.plan = plan;
    e.firstValue = static_cast<uint32_t>(values_.size());
    e.valueCount = static_cast<uint32_t>(view_.values.size());
    values_.insert(values_.end(), view_.values.begin(), view_.values.end());
  }
  entries_.push_back(std::move(e));
  return true;
}

// The plan of the instances keyed like view_, from the tree just parsed:
// each of its values is matched with the instance value it was decoded from.
const EvtxValuePlan* EvtxChunkRecords::newPlan(const EvtxEvent& event) {
  const std::vector<EvtxInstanceView::Value>& placed = parser_.placedValues();
  valueIds_.assign(event.values.size(), kEvtxNone);
  for (size_t i = 0; i < placed.size() && i < valueIds_.size(); ++i) {
    for (size_t k = 0; k < view_.values.size(); ++k) {
      const EvtxInstanceView::Value& v = view_.values[k];
      if (v.offset == placed[i].offset && v.size == placed[i].size && v.type == placed[i].type) {
        valueIds_[i] = static_cast<uint32_t>(k);
        break;
      }
    }
  }
  auto made = std::make_unique<EvtxValuePlan>();
  BuildEvtxValuePlan(event, valueIds_, *made);
  const EvtxValuePlan* plan = made.get();
  plans_.emplace(view_.key, std::move(made));
  return plan;
}

const std::shared_ptr<const EvtxRecord>& EvtxChunkRecords::record(size_t i) {
  Entry& e = entries_[i];
  if (!e.tree) {
    auto record = std::make_shared<EvtxRecord>();
    std::string error;
    // The record was checked when the chunk was read: this does not fail.
    if (!parse(e, *record, error)) record->event = EvtxEvent{};
    e.tree = std::move(record);
  }
  return e.tree;
}

// Instance value `value` of a record read by plan, decoded into decoded_
// (sized for the record beforehand: pointers into it stay valid).
const EvtxValue* EvtxChunkRecords::decode(const Entry& e, uint32_t value) {
  const EvtxInstanceView::Value& v = values_[e.firstValue + value];
  EvtxValue& out = decoded_[value];
  DecodeEvtxValue(v.type, std::span<const uint8_t>(bytes_).subspan(v.offset, v.size), out);
  return &out;
}

// Instance value `value` of a record read by plan: its bytes when they are
// the value, else decoded.
EvtxValueRef EvtxChunkRecords::stored(const Entry& e, uint32_t value) {
  const EvtxInstanceView::Value& v = values_[e.firstValue + value];
  if (!EvtxStoredAsIs(v.type, v.size)) return EvtxValueRef::Of(decode(e, value));
  return bytesOf(v);
}

EvtxValueRef EvtxChunkRecords::bytesOf(const EvtxInstanceView::Value& v) const {
  return {nullptr, v.type, std::span<const uint8_t>(bytes_).subspan(v.offset, v.size)};
}

std::span<const EvtxValueRef> EvtxChunkRecords::systemRefs(size_t i) {
  const Entry& e = entries_[i];
  static const auto kTypes = [] {
    std::array<EVT_VARIANT_TYPE, EvtSystemPropertyIdEND> types{};
    for (size_t id = 0; id < types.size(); ++id)
      types[id] = EvtxSystemPropertyType(static_cast<EVT_SYSTEM_PROPERTY_ID>(id));
    return types;
  }();
  refs_.assign(EvtSystemPropertyIdEND, EvtxValueRef{});
  if (e.plan) {
    converted_.resize(EvtSystemPropertyIdEND);
    if (decoded_.size() < e.valueCount) decoded_.resize(e.valueCount);
    for (size_t id = 0; id < refs_.size(); ++id) {
      const EvtxValueSource& source = e.plan->system[id];
      if (source.constant) {
        refs_[id].value = source.constant;
        continue;
      }
      const EVT_VARIANT_TYPE type = kTypes[id];
      const EvtxInstanceView::Value& raw = values_[e.firstValue + source.value];
      if (raw.type == type && EvtxStoredAsIs(raw.type, raw.size)) {
        refs_[id] = bytesOf(raw);
        continue;
      }
      // A value of another type is converted, as from the tree.
      const EvtxValue* v = decode(e, source.value);
      if (!v->isNull() && v->type != type) v = &(converted_[id] = ConvertEvtxValue(*v, type));
      refs_[id].value = v;
    }
  } else {
    systemRefs_.converted.clear();
    GetEvtxSystemRefs(record(i)->event, systemRefs_);
    for (size_t id = 0; id < refs_.size(); ++id) refs_[id].value = systemRefs_.values[id];
  }
  // The record header holds the id the log keeps.
  recordIdValue_.type = EvtVarTypeUInt64;
  recordIdValue_.bits = e.recordId;
  refs_[EvtSystemEventRecordId] = EvtxValueRef::Of(&recordIdValue_);
  return refs_;
}

std::span<const EvtxValueRef> EvtxChunkRecords::userRefs(size_t i) {
  const Entry& e = entries_[i];
  refs_.clear();
  if (e.plan) {
    if (decoded_.size() < e.valueCount) decoded_.resize(e.valueCount);
    for (const EvtxValueSource& source : e.plan->user)
      refs_.push_back(source.constant ? EvtxValueRef::Of(source.constant) : stored(e, source.value));
  } else {
    texts_.clear();
    out_.clear();
    GetEvtxUserValueRefs(record(i)->event, out_, texts_);
    for (const EvtxValue* v : out_) refs_.push_back(EvtxValueRef::Of(v));
  }
  return refs_;
}

// The values of `refs`, those stored as they are decoded.
std::span<const EvtxValue* const> EvtxChunkRecords::decoded(std::span<const EvtxValueRef> refs) {
  stored_.resize(refs.size());
  out_.clear();
  for (size_t k = 0; k < refs.size(); ++k) out_.push_back(&refs[k].get(stored_[k]));
  return out_;
}

std::span<const EvtxValue* const> EvtxChunkRecords::systemValues(size_t i) { return decoded(systemRefs(i)); }

std::span<const EvtxValue* const> EvtxChunkRecords::userValues(size_t i) { return decoded(userRefs(i)); }

}  // namespace formats
