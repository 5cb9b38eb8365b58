// Builds the event tree of a typical Windows event from its fields.
#include "platform/formats/evtx_writer.h"

namespace formats {
namespace {

class Builder {
 public:
  explicit Builder(EvtxEvent& e) : names_(std::make_shared<EvtxNames>()), b_(e) { e.names = names_; }

  void open(std::u16string_view name) { b_.open(EvtxNodeKind::Element, names_->Intern(name)); }
  void close() { b_.close(); }
  void attribute(std::u16string_view name, EvtxValue v) {
    b_.open(EvtxNodeKind::Attribute, names_->Intern(name));
    b_.addValue(std::move(v));
    b_.close();
  }
  void value(EvtxValue v) {
    if (!v.isNull()) b_.addValue(std::move(v));
  }
  void leaf(std::u16string_view name, EvtxValue v) {
    open(name);
    value(std::move(v));
    close();
  }

 private:
  std::shared_ptr<EvtxNames> names_;
  EvtxTreeBuilder b_;
};

}  // namespace

EvtxEvent BuildEvtxEvent(const EvtxEventSpec& s) {
  EvtxEvent e;
  Builder b(e);
  b.open(u"Event");
  b.attribute(u"xmlns", EvtxValue::String(u"http://schemas.microsoft.com/win/2004/08/events/event"));
  b.open(u"System");
  b.open(u"Provider");
  b.attribute(u"Name", EvtxValue::String(s.provider));
  if (s.providerGuid) b.attribute(u"Guid", EvtxValue::Guid(*s.providerGuid));
  if (!s.eventSourceName.empty()) b.attribute(u"EventSourceName", EvtxValue::String(s.eventSourceName));
  b.close();
  b.open(u"EventID");
  if (s.qualifiers) b.attribute(u"Qualifiers", EvtxValue::Integer(EvtVarTypeUInt16, *s.qualifiers));
  b.value(EvtxValue::Integer(EvtVarTypeUInt16, s.eventId));
  b.close();
  b.leaf(u"Version", EvtxValue::Integer(EvtVarTypeByte, s.version));
  b.leaf(u"Level", EvtxValue::Integer(EvtVarTypeByte, s.level));
  b.leaf(u"Task", EvtxValue::Integer(EvtVarTypeUInt16, s.task));
  b.leaf(u"Opcode", EvtxValue::Integer(EvtVarTypeByte, s.opcode));
  b.leaf(u"Keywords", EvtxValue::Integer(EvtVarTypeHexInt64, s.keywords));
  b.open(u"TimeCreated");
  b.attribute(u"SystemTime", EvtxValue::FileTime(s.timeCreated));
  b.close();
  b.leaf(u"EventRecordID", EvtxValue::Integer(EvtVarTypeUInt64, s.recordId));
  b.open(u"Correlation");
  if (s.activityId) b.attribute(u"ActivityID", EvtxValue::Guid(*s.activityId));
  if (s.relatedActivityId) b.attribute(u"RelatedActivityID", EvtxValue::Guid(*s.relatedActivityId));
  b.close();
  b.open(u"Execution");
  b.attribute(u"ProcessID", EvtxValue::Integer(EvtVarTypeUInt32, s.processId));
  b.attribute(u"ThreadID", EvtxValue::Integer(EvtVarTypeUInt32, s.threadId));
  b.close();
  b.leaf(u"Channel", EvtxValue::String(s.channel));
  b.leaf(u"Computer", EvtxValue::String(s.computer));
  b.open(u"Security");
  if (!s.userSid.empty()) b.attribute(u"UserID", EvtxValue::Sid(s.userSid));
  b.close();
  b.close();  // System
  b.open(u"EventData");
  for (const EvtxUserValue& d : s.data) {
    b.open(u"Data");
    if (!d.name.empty()) b.attribute(u"Name", EvtxValue::String(d.name));
    b.value(d.value);
    b.close();
  }
  b.close();
  b.close();  // Event
  return e;
}

EvtxRecord BuildEvtxRecord(const EvtxEventSpec& spec) {
  EvtxRecord r;
  r.recordId = spec.recordId;
  r.writtenTime = spec.timeCreated;
  r.event = BuildEvtxEvent(spec);
  return r;
}

}  // namespace formats
