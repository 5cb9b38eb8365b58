#include "platform/formats/evtx_binxml.h"

#include <cstring>

#include "platform/formats/evtx_bytes.h"

namespace formats {
namespace {

constexpr int kMaxElementDepth = 64;
constexpr int kMaxFragmentDepth = 8;
constexpr size_t kChunkHeaderSize = 512;
// A Value node of a template whose value index is at least kSubBase stands
// for substitution (index - kSubBase) of the template.
constexpr uint32_t kSubBase = 0x80000000u;

struct Substitution {
  uint16_t id;
  uint8_t type;
  bool optional;
};

struct InstanceValue {
  uint8_t type = 0;
  uint32_t offset = 0;
  uint32_t size = 0;
  uint32_t placed = kEvtxNone;  // index in the event's values once used
};

uint8_t Base(uint8_t token) { return token & static_cast<uint8_t>(~kTokMoreFlag); }

bool IsNull(const Substitution& s, const std::vector<InstanceValue>& values) {
  return s.id >= values.size() || values[s.id].type == EvtVarTypeNull;
}

}  // namespace

struct EvtxChunkParser::Template {
  EvtxEvent tree;  // values are the literal texts
  std::vector<Substitution> subs;
  uint32_t sharedBase = 0;           // where the literal texts start in the chunk's shared values
  std::vector<uint8_t> mayLeaveOut;  // per node: whether leftOut() can be true for it
  bool ok = false;
};

struct EvtxChunkParser::Instance {
  std::vector<InstanceValue> values;
};

EvtxChunkParser::EvtxChunkParser(std::span<const uint8_t> chunk)
    : chunk_(chunk),
      names_(std::make_shared<EvtxNames>()),
      shared_(std::make_shared<EvtxSharedValues>()),
      instances_(kMaxFragmentDepth + 1) {}

EvtxChunkParser::~EvtxChunkParser() = default;

// Readies a parsed template for its instances: its literal texts join the
// chunk's shared values, once, and the nodes that an instance may leave out
// are marked (the others need no look at the instance's values).
void EvtxChunkParser::share(Template& t) {
  t.sharedBase = static_cast<uint32_t>(shared_->size());
  for (const EvtxValue& v : t.tree.values) shared_->push_back(v);
  t.mayLeaveOut.assign(t.tree.nodes.size(), 0);
  for (size_t i = 0; i < t.tree.nodes.size(); ++i) {
    const EvtxNode& n = t.tree.nodes[i];
    bool attribute = n.kind == EvtxNodeKind::Attribute;
    if (!attribute && n.kind != EvtxNodeKind::Element) continue;
    bool optional = false, onlySubstitutions = n.firstChild != kEvtxNone;
    for (uint32_t c = n.firstChild; c != kEvtxNone; c = t.tree.nodes[c].nextSibling) {
      const EvtxNode& cn = t.tree.nodes[c];
      if (cn.kind == EvtxNodeKind::Attribute || cn.kind == EvtxNodeKind::Element) continue;
      bool substitution = cn.kind == EvtxNodeKind::Value && cn.value >= kSubBase;
      optional = optional || (substitution && t.subs[cn.value - kSubBase].optional);
      onlySubstitutions = onlySubstitutions && substitution;
    }
    t.mayLeaveOut[i] = attribute ? onlySubstitutions : optional;
  }
}

bool EvtxChunkParser::fail(const char* what, size_t at) {
  if (error_.empty()) error_ = std::string(what) + " at chunk offset " + std::to_string(at);
  return false;
}

bool EvtxChunkParser::parseEvent(size_t begin, size_t end, EvtxEvent& event, std::string& error) {
  error_.clear();
  placed_.clear();
  event = EvtxEvent{};
  event.names = names_;
  event.shared = shared_;
  event_ = &event;
  // Events of a chunk are much alike: room for as many nodes and values as
  // the last one had, so that nested templates seldom grow the vectors.
  event.nodes.reserve(lastNodes_);
  event.values.reserve(lastValues_);
  EvtxTreeBuilder out(event);
  size_t pos = begin;
  bool ok = end <= chunk_.size() && parseFragment(pos, end, out, 0);
  if (ok && event.nodes.empty()) ok = fail("no event element", begin);
  // An event is one element: nothing stands beside it.
  if (ok && (event.nodes[0].kind != EvtxNodeKind::Element || event.nodes[0].nextSibling != kEvtxNone))
    ok = fail("content beside the event element", begin);
  lastNodes_ = event.nodes.size();
  lastValues_ = event.values.size();
  event_ = nullptr;
  if (!ok) error = error_.empty() ? "malformed Binary XML" : error_;
  return ok;
}

bool EvtxChunkParser::readInstance(size_t begin, size_t end, EvtxInstanceView& out) const {
  out.values.clear();
  out.key.clear();
  return end <= chunk_.size() && readInstanceAt(begin, end, 0, out);
}

bool EvtxChunkParser::readInstanceAt(size_t begin, size_t end, int depth, EvtxInstanceView& out) const {
  size_t pos = begin;
  if (depth > kMaxFragmentDepth || pos >= end) return false;
  if (Base(chunk_[pos]) == kTokFragmentHeader) {
    if (pos + 4 > end) return false;
    pos += 4;
  }
  if (pos + 10 > end || Base(chunk_[pos]) != kTokTemplateInstance) return false;
  uint32_t defOffset = EvtxLoad<uint32_t>(chunk_, pos + 6);
  pos += 10;
  if (defOffset == pos) {  // the definition follows inline
    if (pos + 24 > end) return false;
    pos += 24 + size_t{EvtxLoad<uint32_t>(chunk_, pos + 20)};
    if (pos > end) return false;
  }
  if (pos + 4 > end) return false;
  uint32_t count = EvtxLoad<uint32_t>(chunk_, pos);
  pos += 4;
  if (count > (end - pos) / 4) return false;
  // The key and the values are sized first and written in place: this runs
  // for every record.
  const size_t first = out.values.size(), keyAt = out.key.size();
  out.values.resize(first + count);
  out.key.resize(keyAt + sizeof defOffset + sizeof count + count);
  char* key = out.key.data() + keyAt;
  std::memcpy(key, &defOffset, sizeof defOffset);
  std::memcpy(key + sizeof defOffset, &count, sizeof count);
  key += sizeof defOffset + sizeof count;
  const uint8_t* descriptors = chunk_.data() + pos;  // count of them fit: checked above
  size_t data = pos + size_t{count} * 4;
  for (size_t i = 0; i < count; ++i) {
    EvtxInstanceView::Value& v = out.values[first + i];
    uint16_t size = 0;
    std::memcpy(&size, descriptors + 4 * i, sizeof size);
    v = {static_cast<uint32_t>(data), size, descriptors[4 * i + 2]};
    key[i] = static_cast<char>(v.type);
    data += v.size;
  }
  if (data > end || (data < end && Base(chunk_[data]) != kTokEof)) return false;
  for (size_t i = first; i < first + count; ++i) {
    EvtxInstanceView::Value v = out.values[i];
    if (v.type == kEvtxBinXmlType && !readInstanceAt(v.offset, size_t{v.offset} + v.size, depth + 1, out)) return false;
  }
  return true;
}

bool EvtxChunkParser::parseFragment(size_t& pos, size_t end, EvtxTreeBuilder& out, int depth) {
  if (depth > kMaxFragmentDepth) return fail("Binary XML nested too deep", pos);
  while (pos < end) {
    uint8_t token = chunk_[pos];
    switch (Base(token)) {
      case kTokFragmentHeader:
        if (!EvtxFits(chunk_, pos, 4) || pos + 4 > end) return fail("truncated fragment header", pos);
        pos += 4;
        break;
      case kTokTemplateInstance:
        if (!parseTemplateInstance(pos, end, out, depth)) return false;
        break;
      case kTokOpenStart:
      case kTokPITarget: {
        Template local;
        EvtxTreeBuilder b(local.tree);
        if (Base(token) == kTokOpenStart ? !parseElement(pos, end, local, b, 0)
                                         : !parseValueToken(token, pos, end, local, b))
          return false;
        share(local);
        Instance none;
        for (uint32_t n = 0; n < local.tree.nodes.size(); n = local.tree.nodes[n].nextSibling)
          instantiate(local, n, none, out, depth);
        break;
      }
      case kTokEof: ++pos; return error_.empty();
      default: return fail("unexpected Binary XML token", pos);
    }
  }
  return error_.empty();
}

bool EvtxChunkParser::parseTemplateInstance(size_t& pos, size_t end, EvtxTreeBuilder& out, int depth) {
  if (pos + 10 > end) return fail("truncated template instance", pos);
  uint32_t defOffset = EvtxLoad<uint32_t>(chunk_, pos + 6);
  pos += 10;
  if (defOffset == pos) {  // the definition follows inline
    if (pos + 24 > end) return fail("truncated template definition", pos);
    pos += 24 + size_t{EvtxLoad<uint32_t>(chunk_, pos + 20)};
    if (pos > end) return fail("template definition overruns its record", defOffset);
  }
  const Template* t = templateAt(defOffset);
  if (!t) return fail("bad template definition", defOffset);
  if (pos + 4 > end) return fail("truncated template values", pos);
  uint32_t count = EvtxLoad<uint32_t>(chunk_, pos);
  pos += 4;
  if (count > (end - pos) / 4) return fail("bad template value count", pos - 4);
  Instance& inst = instances_[static_cast<size_t>(depth)];  // parseFragment keeps depth within kMaxFragmentDepth
  inst.values.assign(count, InstanceValue{});
  size_t data = pos + size_t{count} * 4;
  for (size_t i = 0; i < count; ++i) {
    InstanceValue& v = inst.values[i];
    v.size = EvtxLoad<uint16_t>(chunk_, pos + 4 * i);
    v.type = chunk_[pos + 4 * i + 2];
    v.offset = static_cast<uint32_t>(data);
    data += v.size;
  }
  if (data > end) return fail("template values overrun their record", pos);
  pos = data;
  event_->nodes.reserve(event_->nodes.size() + t->tree.nodes.size());
  event_->values.reserve(event_->values.size() + count);
  instantiate(*t, 0, inst, out, depth);
  return error_.empty();
}

const EvtxChunkParser::Template* EvtxChunkParser::templateAt(uint32_t offset) {
  auto found = templates_.find(offset);
  if (found != templates_.end()) return found->second->ok ? found->second.get() : nullptr;
  auto t = std::make_unique<Template>();
  Template* raw = t.get();
  templates_.emplace(offset, std::move(t));
  if (!EvtxFits(chunk_, offset, 24)) return nullptr;
  size_t size = EvtxLoad<uint32_t>(chunk_, offset + 20);
  size_t pos = offset + 24;
  size_t end = EvtxFits(chunk_, pos, size) ? pos + size : chunk_.size();
  std::string saved = std::move(error_);
  error_.clear();
  EvtxTreeBuilder b(raw->tree);
  raw->tree.names = names_;
  if (pos + 4 <= end && chunk_[pos] == kTokFragmentHeader) pos += 4;
  bool outer = definition_;
  definition_ = true;
  raw->ok = pos < end && Base(chunk_[pos]) == kTokOpenStart && parseElement(pos, end, *raw, b, 0);
  definition_ = outer;
  error_ = std::move(saved);
  if (raw->ok) share(*raw);
  return raw->ok ? raw : nullptr;
}

// An element start is its token, a dependency identifier (only inside a
// template definition), a data size and the name offset. Which layout an
// element start has is told by where a sound name offset sits: one naming
// the name that follows inline, or a name earlier in the chunk (never in the
// chunk header). The layout of the context is tried first. Returns the offset
// of the name offset, 0 when neither layout fits.
inline size_t EvtxChunkParser::elementNameAt(size_t pos, size_t end) const {
  auto sound = [&](size_t at) {
    if (at + 4 > end) return false;
    uint32_t offset = EvtxLoad<uint32_t>(chunk_, at);
    return offset == at + 4 || (offset >= kChunkHeaderSize && offset < pos && EvtxFits(chunk_, offset, 8));
  };
  size_t with = pos + 7, without = pos + 5;
  if (sound(definition_ ? with : without)) return definition_ ? with : without;
  if (sound(definition_ ? without : with)) return definition_ ? without : with;
  return 0;
}

// The helpers that run for every node are inline (used in this file only), so
// their calls do not go through the shared library's PLT.
inline bool EvtxChunkParser::readName(size_t& pos, size_t end, uint32_t& id) {
  if (pos + 4 > end) return fail("truncated name offset", pos);
  uint32_t offset = EvtxLoad<uint32_t>(chunk_, pos);
  pos += 4;
  bool inlined = offset == pos;
  if (!EvtxFits(chunk_, offset, 8)) return fail("name outside the chunk", offset);
  size_t count = EvtxLoad<uint16_t>(chunk_, offset + 6);
  size_t size = 8 + 2 * count + 2;
  if (!EvtxFits(chunk_, offset, size)) return fail("name outside the chunk", offset);
  if (inlined) {
    if (pos + size > end) return fail("truncated name", pos);
    pos += size;
  }
  auto found = nameIds_.find(offset);
  if (found != nameIds_.end()) {
    id = found->second;
    return true;
  }
  std::u16string name;
  EvtxLoadUtf16(chunk_, offset + 8, count, name);
  if (name.find(u'\0') != std::u16string::npos) return fail("NUL in a name", offset);
  id = names_->Intern(name);
  nameIds_.emplace(offset, id);
  return true;
}

inline bool EvtxChunkParser::readString(size_t& pos, size_t end, std::u16string& out) {
  if (pos + 2 > end) return fail("truncated string", pos);
  size_t count = EvtxLoad<uint16_t>(chunk_, pos);
  pos += 2;
  if (pos + 2 * count > end) return fail("truncated string", pos);
  EvtxLoadUtf16(chunk_, pos, count, out);
  pos += 2 * count;
  return true;
}

// The value of a value token: its type, then a string (a count of UTF-16
// units and the units), a fixed-size value, a SID, or for AnsiString and
// Binary a 16-bit byte count and the bytes.
bool EvtxChunkParser::readValueText(size_t& pos, size_t end, EvtxValue& v) {
  size_t at = pos;
  if (pos >= end) return fail("truncated value text", at);
  uint8_t type = chunk_[pos++];
  if (type == EvtVarTypeString) {
    // Trailing NULs are no part of a text, as in substitution values.
    v.type = EvtVarTypeString;
    if (!readString(pos, end, v.text)) return false;
    while (!v.text.empty() && v.text.back() == 0) v.text.pop_back();
    return true;
  }
  size_t size = EvtxFixedValueSize(type);
  if (type == EvtVarTypeSid) size = EvtxSidSize(chunk_.subspan(0, end), pos);
  if (type == EvtVarTypeSizeT) size = 8;
  if (type == EvtVarTypeAnsiString || type == EvtVarTypeBinary) {
    if (pos + 2 > end) return fail("truncated value text", at);
    size = EvtxLoad<uint16_t>(chunk_, pos);
    pos += 2;
  } else if (size == 0) {
    return fail("value text of an unknown or array type", at);
  }
  if (size > end - pos) return fail("truncated value text", at);
  if (!DecodeEvtxValue(type, chunk_.subspan(pos, size), v)) return fail("bad value text", at);
  pos += size;
  return true;
}

bool EvtxChunkParser::parseElement(size_t& pos, size_t end, Template& t, EvtxTreeBuilder& b, int depth) {
  if (depth > kMaxElementDepth) return fail("elements nested too deep", pos);
  uint8_t token = chunk_[pos];
  size_t nameAt = elementNameAt(pos, end);
  if (nameAt == 0) return fail("bad element start", pos);
  pos = nameAt;
  uint32_t name;
  if (!readName(pos, end, name)) return false;
  b.open(EvtxNodeKind::Element, name);
  if ((token & kTokMoreFlag) && !parseAttributes(pos, end, t, b)) return false;
  if (pos >= end) return fail("truncated element", pos);
  uint8_t close = chunk_[pos++];
  bool ok = true;
  if (close == kTokCloseStart) ok = parseContent(pos, end, t, b, depth);
  else if (close != kTokCloseEmpty) ok = fail("bad element close token", pos - 1);
  b.close();
  return ok;
}

bool EvtxChunkParser::parseAttributes(size_t& pos, size_t end, Template& t, EvtxTreeBuilder& b) {
  if (pos + 4 > end) return fail("truncated attribute list", pos);
  pos += 4;  // list size
  while (pos < end && Base(chunk_[pos]) == kTokAttribute) {
    ++pos;
    uint32_t name;
    if (!readName(pos, end, name)) return false;
    b.open(EvtxNodeKind::Attribute, name);
    while (pos < end) {
      uint8_t token = chunk_[pos];
      uint8_t base = Base(token);
      if (base != kTokValue && base != kTokNormalSubstitution && base != kTokOptionalSubstitution &&
          base != kTokCharRef && base != kTokEntityRef)
        break;
      if (!parseValueToken(token, pos, end, t, b)) return false;
    }
    b.close();
  }
  return true;
}

bool EvtxChunkParser::parseContent(size_t& pos, size_t end, Template& t, EvtxTreeBuilder& b, int depth) {
  while (pos < end) {
    uint8_t token = chunk_[pos];
    uint8_t base = Base(token);
    if (base == kTokEnd) {
      ++pos;
      return true;
    }
    bool ok = base == kTokOpenStart ? parseElement(pos, end, t, b, depth + 1) : parseValueToken(token, pos, end, t, b);
    if (!ok) return false;
  }
  return fail("element not closed", pos);
}

// Value, substitution, CDATA, character and entity reference, PI.
bool EvtxChunkParser::parseValueToken(uint8_t token, size_t& pos, size_t end, Template& t, EvtxTreeBuilder& b) {
  size_t at = pos++;
  EvtxNode n;
  switch (Base(token)) {
    case kTokValue: {
      EvtxValue v;
      if (!readValueText(pos, end, v)) return false;
      b.addValue(std::move(v));
      return true;
    }
    case kTokNormalSubstitution:
    case kTokOptionalSubstitution: {
      if (pos + 3 > end) return fail("truncated substitution", at);
      Substitution s{EvtxLoad<uint16_t>(chunk_, pos), chunk_[pos + 2], Base(token) == kTokOptionalSubstitution};
      pos += 3;
      n.kind = EvtxNodeKind::Value;
      n.value = kSubBase + static_cast<uint32_t>(t.subs.size());
      t.subs.push_back(s);
      b.add(n);
      return true;
    }
    case kTokCData: {
      EvtxValue v;
      v.type = EvtVarTypeString;
      if (!readString(pos, end, v.text)) return false;
      n.kind = EvtxNodeKind::CData;
      n.value = static_cast<uint32_t>(t.tree.values.size());
      t.tree.values.push_back(std::move(v));
      b.add(n);
      return true;
    }
    case kTokCharRef:
      if (pos + 2 > end) return fail("truncated character reference", at);
      n.kind = EvtxNodeKind::CharRef;
      n.charRef = EvtxLoad<uint16_t>(chunk_, pos);
      pos += 2;
      b.add(n);
      return true;
    case kTokEntityRef:
      n.kind = EvtxNodeKind::EntityRef;
      if (!readName(pos, end, n.name)) return false;
      b.add(n);
      return true;
    case kTokPITarget: {
      n.kind = EvtxNodeKind::PI;
      if (!readName(pos, end, n.name)) return false;
      if (pos >= end || chunk_[pos] != kTokPIData) return fail("PI target without data", pos);
      ++pos;
      EvtxValue v;
      v.type = EvtVarTypeString;
      if (!readString(pos, end, v.text)) return false;
      n.value = static_cast<uint32_t>(t.tree.values.size());
      t.tree.values.push_back(std::move(v));
      b.add(n);
      return true;
    }
    default: return fail("unexpected Binary XML token", at);
  }
}

void EvtxChunkParser::instantiate(const Template& t, uint32_t index, Instance& inst, EvtxTreeBuilder& out, int depth) {
  const EvtxNode& n = t.tree.nodes[index];
  switch (n.kind) {
    case EvtxNodeKind::Element:
    case EvtxNodeKind::Attribute: {
      if (t.mayLeaveOut[index] && leftOut(t, n, inst)) return;
      out.open(n.kind, n.name);
      for (uint32_t c = n.firstChild; c != kEvtxNone; c = t.tree.nodes[c].nextSibling)
        instantiate(t, c, inst, out, depth);
      out.close();
      return;
    }
    case EvtxNodeKind::Value:
      if (n.value >= kSubBase) return emitSubstitution(t, n.value - kSubBase, inst, out, depth);
      [[fallthrough]];
    case EvtxNodeKind::CData:
    case EvtxNodeKind::PI: {
      // Literal texts stay in the chunk's shared values.
      EvtxNode copy = n;
      copy.value = kEvtxSharedValue + t.sharedBase + n.value;
      out.add(copy);
      return;
    }
    default: out.add(n);
  }
}

// An element holding an optional substitution without a value is left out,
// and so is an attribute whose value is only substitutions without a value.
inline bool EvtxChunkParser::leftOut(const Template& t, const EvtxNode& n, const Instance& inst) const {
  bool attribute = n.kind == EvtxNodeKind::Attribute;
  bool allNull = n.firstChild != kEvtxNone;
  for (uint32_t c = n.firstChild; c != kEvtxNone; c = t.tree.nodes[c].nextSibling) {
    const EvtxNode& cn = t.tree.nodes[c];
    if (cn.kind == EvtxNodeKind::Attribute || cn.kind == EvtxNodeKind::Element) continue;
    if (cn.kind != EvtxNodeKind::Value || cn.value < kSubBase) {
      allNull = false;
      continue;
    }
    const Substitution& s = t.subs[cn.value - kSubBase];
    bool null = IsNull(s, inst.values);
    if (!attribute && s.optional && null) return true;
    allNull = allNull && null;
  }
  return attribute && allNull;
}

inline void EvtxChunkParser::emitSubstitution(const Template& t, uint32_t sub, Instance& inst, EvtxTreeBuilder& out,
                                              int depth) {
  const Substitution& s = t.subs[sub];
  if (s.id >= inst.values.size()) return;
  InstanceValue& v = inst.values[s.id];
  if (v.type == EvtVarTypeNull) return;
  if (v.type == kEvtxBinXmlType) {
    size_t pos = v.offset;
    bool outer = definition_;
    definition_ = false;
    parseFragment(pos, size_t{v.offset} + v.size, out, depth + 1);
    definition_ = outer;
    return;
  }
  EvtxNode n;
  if (v.placed == kEvtxNone) {
    v.placed = static_cast<uint32_t>(event_->values.size());
    placed_.push_back({v.offset, v.size, v.type});
    DecodeEvtxValue(v.type, chunk_.subspan(v.offset, v.size), event_->values.emplace_back());
  }
  n.kind = EvtxNodeKind::Value;
  n.value = v.placed;
  out.add(n);
}

}  // namespace formats
