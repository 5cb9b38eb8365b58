#include "platform/formats/evtx_chunk_writer.h"

#include <cstring>

#include "platform/formats/evtx_binxml.h"
#include "platform/formats/evtx_bytes.h"
#include "platform/formats/evtx_reader.h"

namespace formats {

// The template of an event: its structure with every value made a
// substitution. `key` identifies the structure; `values` are in substitution order.
struct EvtxEventShape {
  std::string key;
  std::vector<const EvtxValue*> values;
};

namespace {

constexpr size_t kStringTable = 128;    // 64 offsets of names, by name hash
constexpr size_t kTemplateTable = 384;  // 32 offsets of template definitions
// Records fill a chunk up to here: a chunk filled to its very end is not read
// back by every reader.
constexpr size_t kChunkFill = kEvtxChunkSize - 8;

uint16_t NameHash(std::u16string_view name) {
  uint32_t hash = 0;
  for (char16_t c : name) hash = hash * 65599 + c;
  return static_cast<uint16_t>(hash);
}

uint64_t Fnv(std::string_view data, uint64_t seed) {
  uint64_t h = seed;
  for (unsigned char c : data) h = (h ^ c) * 1099511628211ull;
  return h;
}

void AppendKey(std::string& key, std::u16string_view text) {
  key.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  key.append(2, '\0');
}

void Shape(const EvtxEvent& e, const EvtxNode& n, EvtxEventShape& s) {
  s.key += static_cast<char>(n.kind);
  static const EvtxValue null;
  switch (n.kind) {
    case EvtxNodeKind::Element:
    case EvtxNodeKind::Attribute:
      AppendKey(s.key, e.name(n));
      // Attributes first, as they are written.
      for (const EvtxNode* c = e.firstChild(n); c; c = e.next(*c))
        if (c->kind == EvtxNodeKind::Attribute) Shape(e, *c, s);
      for (const EvtxNode* c = e.firstChild(n); c; c = e.next(*c))
        if (c->kind != EvtxNodeKind::Attribute) Shape(e, *c, s);
      s.key += '\x7f';
      return;
    case EvtxNodeKind::Value: {
      const EvtxValue* v = e.value(n);
      if (!v) v = &null;
      s.key += static_cast<char>(v->type);
      s.values.push_back(v);
      return;
    }
    case EvtxNodeKind::CharRef: s.key.append(reinterpret_cast<const char*>(&n.charRef), 2); return;
    case EvtxNodeKind::EntityRef: AppendKey(s.key, e.name(n)); return;
    case EvtxNodeKind::CData:
    case EvtxNodeKind::PI:
      AppendKey(s.key, e.name(n));
      if (const EvtxValue* v = e.value(n)) AppendKey(s.key, v->text);
      return;
  }
}

}  // namespace

EvtxChunkWriter::EvtxChunkWriter() : buf_(kEvtxChunkHeaderSize, 0) {}

template <typename T>
void EvtxChunkWriter::put(T v) {
  EvtxAppend<T>(buf_, v);
}

bool EvtxChunkWriter::append(const EvtxRecord& r) {
  Undo undo{buf_.size(), {}, {}, {}};
  undo_ = &undo;
  write(r);
  undo_ = nullptr;
  if (buf_.size() <= kChunkFill) {
    if (records_++ == 0) firstId_ = r.recordId;
    lastId_ = r.recordId;
    lastOffset_ = static_cast<uint32_t>(undo.size);
    return true;
  }
  buf_.resize(undo.size);
  for (auto it = undo.pokes.rbegin(); it != undo.pokes.rend(); ++it) EvtxStore<uint32_t>(buf_, it->first, it->second);
  for (const auto& name : undo.names) names_.erase(name);
  for (const auto& key : undo.templates) templates_.erase(key);
  return false;
}

std::vector<uint8_t> EvtxChunkWriter::image() const {
  std::vector<uint8_t> out(buf_);
  const size_t free = out.size();
  out.resize(kEvtxChunkSize, 0);
  std::memcpy(out.data(), "ElfChnk", 8);
  EvtxStore<uint64_t>(out, 8, firstId_);
  EvtxStore<uint64_t>(out, 16, lastId_);
  EvtxStore<uint64_t>(out, 24, firstId_);
  EvtxStore<uint64_t>(out, 32, lastId_);
  EvtxStore<uint32_t>(out, 40, 128);
  EvtxStore<uint32_t>(out, 44, lastOffset_);
  EvtxStore<uint32_t>(out, 48, static_cast<uint32_t>(free));
  std::span<const uint8_t> all(out);
  EvtxStore<uint32_t>(out, 52, EvtxCrc32(all.subspan(kEvtxChunkHeaderSize, free - kEvtxChunkHeaderSize)));
  uint32_t crc = EvtxCrc32(all.subspan(0, 120));
  EvtxStore<uint32_t>(out, 124, EvtxCrc32(all.subspan(128, kEvtxChunkHeaderSize - 128), crc));
  return out;
}

void EvtxChunkWriter::fragmentHeader() {
  for (uint8_t b : {uint8_t{kTokFragmentHeader}, uint8_t{1}, uint8_t{1}, uint8_t{0}}) byte(b);
}

void EvtxChunkWriter::poke(size_t offset, uint32_t v) {
  if (undo_) undo_->pokes.push_back({offset, EvtxLoad<uint32_t>(buf_, offset)});
  EvtxStore<uint32_t>(buf_, offset, v);
}

// Puts the entry written next (at `offset`) in front of table slot `slot`'s
// chain: the slot in the chunk header names it, and its link (written next)
// the entry the slot named before.
void EvtxChunkWriter::link(size_t slot, uint32_t offset) {
  const uint32_t head = EvtxLoad<uint32_t>(buf_, slot);
  poke(slot, offset);
  put<uint32_t>(head);
}

void EvtxChunkWriter::write(const EvtxRecord& r) {
  size_t start = used();
  put<uint32_t>(0x00002a2a);
  put<uint32_t>(0);  // size, set below
  put<uint64_t>(r.recordId);
  put<uint64_t>(r.writtenTime);
  fragmentHeader();
  EvtxEventShape shape;
  if (const EvtxNode* root = r.event.root()) Shape(r.event, *root, shape);
  templateInstance(r.event, shape);
  values(shape);
  byte(kTokEof);
  while ((used() - start + 4) % 8) byte(0);
  put<uint32_t>(static_cast<uint32_t>(used() - start + 4));
  EvtxStore<uint32_t>(buf_, start + 4, static_cast<uint32_t>(used() - start));
}

void EvtxChunkWriter::templateInstance(const EvtxEvent& e, const EvtxEventShape& shape) {
  GUID guid;
  uint64_t h1 = Fnv(shape.key, 14695981039346656037ull), h2 = Fnv(shape.key, 0x9e3779b97f4a7c15ull);
  std::memcpy(&guid, &h1, 8);
  std::memcpy(reinterpret_cast<uint8_t*>(&guid) + 8, &h2, 8);
  byte(kTokTemplateInstance);
  byte(1);
  put<uint32_t>(guid.Data1);
  auto found = templates_.find(shape.key);
  if (found != templates_.end()) {
    put<uint32_t>(found->second);
    return;
  }
  uint32_t def = static_cast<uint32_t>(used() + 4);
  put<uint32_t>(def);
  templates_.emplace(shape.key, def);
  undo_->templates.push_back(shape.key);
  link(kTemplateTable + 4 * (guid.Data1 % 32), def);  // next definition in the same slot
  buf_.insert(buf_.end(), reinterpret_cast<const uint8_t*>(&guid), reinterpret_cast<const uint8_t*>(&guid) + 16);
  put<uint32_t>(0);  // size, set below
  size_t body = used();
  fragmentHeader();
  uint16_t sub = 0;
  if (const EvtxNode* root = e.root()) element(e, *root, sub);
  byte(kTokEof);
  EvtxStore<uint32_t>(buf_, body - 4, static_cast<uint32_t>(used() - body));
}

void EvtxChunkWriter::name(std::u16string_view text) {
  auto found = names_.find(std::u16string(text));
  if (found != names_.end()) {
    put<uint32_t>(found->second);
    return;
  }
  uint32_t at = static_cast<uint32_t>(used() + 4);
  put<uint32_t>(at);
  names_.emplace(std::u16string(text), at);
  undo_->names.emplace_back(text);
  uint16_t hash = NameHash(text);
  link(kStringTable + 4 * (hash % 64), at);  // next name in the same slot
  put<uint16_t>(hash);
  put<uint16_t>(static_cast<uint16_t>(text.size()));
  EvtxAppendUtf16(buf_, text);
  put<uint16_t>(0);
}

void EvtxChunkWriter::substitution(const EvtxEvent& e, const EvtxNode& n, uint16_t& sub) {
  byte(kTokNormalSubstitution);
  put<uint16_t>(sub++);
  const EvtxValue* v = e.value(n);
  byte(v ? v->type : uint8_t{EvtVarTypeNull});
}

void EvtxChunkWriter::element(const EvtxEvent& e, const EvtxNode& n, uint16_t& sub) {
  bool hasAttributes = false, hasContent = false;
  for (const EvtxNode* c = e.firstChild(n); c; c = e.next(*c))
    (c->kind == EvtxNodeKind::Attribute ? hasAttributes : hasContent) = true;
  size_t start = used();
  byte(hasAttributes ? kTokOpenStart | kTokMoreFlag : kTokOpenStart);
  put<uint16_t>(0xFFFF);
  put<uint32_t>(0);  // data size, set below
  name(e.name(n));
  if (hasAttributes) attributes(e, n, sub);
  if (!hasContent) {
    byte(kTokCloseEmpty);
  } else {
    byte(kTokCloseStart);
    for (const EvtxNode* c = e.firstChild(n); c; c = e.next(*c))
      if (c->kind != EvtxNodeKind::Attribute) content(e, *c, sub);
    byte(kTokEnd);
  }
  EvtxStore<uint32_t>(buf_, start + 3, static_cast<uint32_t>(used() - start - 7));
}

void EvtxChunkWriter::attributes(const EvtxEvent& e, const EvtxNode& n, uint16_t& sub) {
  size_t sizeAt = used();
  put<uint32_t>(0);
  for (const EvtxNode* c = e.firstChild(n); c; c = e.next(*c)) {
    if (c->kind != EvtxNodeKind::Attribute) continue;
    const EvtxNode* more = e.next(*c);
    while (more && more->kind != EvtxNodeKind::Attribute) more = e.next(*more);
    byte(more ? kTokAttribute | kTokMoreFlag : kTokAttribute);
    name(e.name(*c));
    for (const EvtxNode* v = e.firstChild(*c); v; v = e.next(*v)) content(e, *v, sub);
  }
  EvtxStore<uint32_t>(buf_, sizeAt, static_cast<uint32_t>(used() - sizeAt - 4));
}

void EvtxChunkWriter::text(std::u16string_view t) {
  put<uint16_t>(static_cast<uint16_t>(t.size()));
  EvtxAppendUtf16(buf_, t);
}

void EvtxChunkWriter::content(const EvtxEvent& e, const EvtxNode& n, uint16_t& sub) {
  static const EvtxValue none;
  const EvtxValue* found = e.value(n);
  const EvtxValue& v = found ? *found : none;
  switch (n.kind) {
    case EvtxNodeKind::Element: element(e, n, sub); return;
    case EvtxNodeKind::Attribute: return;
    case EvtxNodeKind::Value: substitution(e, n, sub); return;
    case EvtxNodeKind::CData:
      byte(kTokCData);
      text(v.text);
      return;
    case EvtxNodeKind::CharRef:
      byte(kTokCharRef);
      put<uint16_t>(n.charRef);
      return;
    case EvtxNodeKind::EntityRef:
      byte(kTokEntityRef);
      name(e.name(n));
      return;
    case EvtxNodeKind::PI:
      byte(kTokPITarget);
      name(e.name(n));
      byte(kTokPIData);
      text(v.text);
      return;
  }
}

void EvtxChunkWriter::values(const EvtxEventShape& shape) {
  put<uint32_t>(static_cast<uint32_t>(shape.values.size()));
  size_t descriptors = used();
  buf_.resize(buf_.size() + 4 * shape.values.size(), 0);
  for (size_t i = 0; i < shape.values.size(); ++i) {
    size_t before = used();
    EncodeEvtxValue(*shape.values[i], buf_);
    EvtxStore<uint16_t>(buf_, descriptors + 4 * i, static_cast<uint16_t>(used() - before));
    buf_[descriptors + 4 * i + 2] = shape.values[i]->type;
  }
}

std::vector<uint8_t> EvtxHeaderBytes(const EvtxHeaderFields& f) {
  std::vector<uint8_t> out(128, 0);
  std::memcpy(out.data(), "ElfFile", 8);
  EvtxStore<uint64_t>(out, 8, f.firstChunk);
  EvtxStore<uint64_t>(out, 16, f.lastChunk);
  EvtxStore<uint64_t>(out, 24, f.nextRecordId);
  EvtxStore<uint32_t>(out, 32, 128);
  EvtxStore<uint16_t>(out, 36, 1);
  EvtxStore<uint16_t>(out, 38, 3);
  EvtxStore<uint16_t>(out, 40, static_cast<uint16_t>(kEvtxFileHeaderSize));
  EvtxStore<uint16_t>(out, 42, f.chunkCount);
  EvtxStore<uint32_t>(out, 120, f.flags);
  EvtxStore<uint32_t>(out, 124, EvtxCrc32(std::span<const uint8_t>(out).subspan(0, 120)));
  return out;
}

}  // namespace formats
