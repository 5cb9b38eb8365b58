#include "platform/formats/evtx_xml.h"

namespace formats {
namespace {

bool NeedsEscape(char16_t c, bool attribute) {
  return c == u'&' || c == u'<' || c == u'>' || (attribute && (c == u'\'' || c == u'"'));
}

void AppendEscaped(std::u16string& out, std::u16string_view text, bool attribute) {
  size_t run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (!NeedsEscape(c, attribute)) continue;
    out.append(text.data() + run, i - run);
    run = i + 1;
    switch (c) {
      case u'&': out += u"&amp;"; break;
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'\'': out += u"&apos;"; break;
      default: out += u"&quot;"; break;
    }
  }
  out.append(text.data() + run, text.size() - run);
}

class XmlWriter {
 public:
  XmlWriter(const EvtxEvent& e, std::u16string& out) : e_(e), out_(out) {}

  void element(const EvtxNode& n) {
    const EvtxValue* array = arrayContent(n);
    if (!array) return elementOnce(n, nullptr);
    if (array->items.empty()) return elementOnce(n, nullptr);
    for (const EvtxValue& item : array->items) elementOnce(n, &item);
  }

 private:
  // The array value when an element's only content is one array value.
  const EvtxValue* arrayContent(const EvtxNode& n) const {
    const EvtxValue* found = nullptr;
    for (const EvtxNode* c = e_.firstChild(n); c; c = e_.next(*c)) {
      if (c->kind == EvtxNodeKind::Attribute) continue;
      if (found || c->kind != EvtxNodeKind::Value) return nullptr;
      found = e_.value(*c);
      if (!found || !found->isArray()) return nullptr;
    }
    return found;
  }

  void elementOnce(const EvtxNode& n, const EvtxValue* item) {
    const std::u16string& name = e_.name(n);
    out_ += u'<';
    out_ += name;
    bool hasContent = item != nullptr;
    for (const EvtxNode* c = e_.firstChild(n); c; c = e_.next(*c)) {
      if (c->kind != EvtxNodeKind::Attribute) {
        hasContent = true;
        continue;
      }
      out_ += u' ';
      out_ += e_.name(*c);
      out_ += u"='";
      content(*c, true);
      out_ += u'\'';
    }
    if (!hasContent) {
      out_ += u"/>";
      return;
    }
    out_ += u'>';
    if (item) {
      scratch_.clear();
      AppendEvtxValueText(*item, scratch_);
      AppendEscaped(out_, scratch_, false);
    } else {
      content(n, false);
    }
    out_ += u"</";
    out_ += name;
    out_ += u'>';
  }

  void content(const EvtxNode& n, bool attribute) {
    for (const EvtxNode* c = e_.firstChild(n); c; c = e_.next(*c)) {
      switch (c->kind) {
        case EvtxNodeKind::Element: element(*c); break;
        case EvtxNodeKind::Attribute: break;
        case EvtxNodeKind::Value:
          if (const EvtxValue* v = e_.value(*c)) {
            scratch_.clear();
            AppendEvtxValueText(*v, scratch_);
            AppendEscaped(out_, scratch_, attribute);
          }
          break;
        case EvtxNodeKind::CData:
          out_ += u"<![CDATA[";
          if (const EvtxValue* v = e_.value(*c)) out_ += v->text;
          out_ += u"]]>";
          break;
        case EvtxNodeKind::CharRef:
          out_ += u"&#";
          out_ += EvtxValueText(EvtxValue::Integer(EvtVarTypeUInt16, c->charRef));
          out_ += u';';
          break;
        case EvtxNodeKind::EntityRef:
          out_ += u'&';
          out_ += e_.name(*c);
          out_ += u';';
          break;
        case EvtxNodeKind::PI:
          out_ += u"<?";
          out_ += e_.name(*c);
          out_ += u' ';
          if (const EvtxValue* v = e_.value(*c)) out_ += v->text;
          out_ += u"?>";
          break;
      }
    }
  }

  const EvtxEvent& e_;
  std::u16string& out_;
  std::u16string scratch_;
};

}  // namespace

void AppendEvtxXml(const EvtxEvent& event, std::u16string& out) {
  XmlWriter w(event, out);
  for (const EvtxNode* n = event.root(); n; n = event.next(*n)) {
    if (n->kind == EvtxNodeKind::Element) w.element(*n);
  }
}

std::u16string RenderEvtxXml(const EvtxEvent& event) {
  std::u16string out;
  AppendEvtxXml(event, out);
  return out;
}

}  // namespace formats
