#include "base/format.h"

#include <cstdio>

namespace cmr::format_detail {
namespace {

size_t TextLength(const FormatArg& a, bool wide) {
  if (a.length != std::u16string_view::npos) return a.length;
  size_t n = 0;
  if (wide)
    while (a.wide[n] != 0) ++n;
  else
    while (a.narrow[n] != 0) ++n;
  return n;
}

void Pad(std::u16string& out, int count, char16_t fill) {
  if (count > 0) out.append(static_cast<size_t>(count), fill);
}

// Appends text with the width, precision and justification of the conversion.
void AppendText(std::u16string& out, std::u16string_view text, const Spec& s, int width, int precision) {
  if (precision >= 0 && text.size() > static_cast<size_t>(precision)) text = text.substr(0, precision);
  int padding = width - static_cast<int>(text.size());
  if (!s.left) Pad(out, padding, s.zero ? u'0' : u' ');
  out.append(text);
  if (s.left) Pad(out, padding, u' ');
}

std::u16string TextOf(const FormatArg& a, bool wide) {
  if (wide) {
    if (a.wide == nullptr) return u"(null)";
    return std::u16string(a.wide, TextLength(a, true));
  }
  if (a.narrow == nullptr) return u"(null)";
  // Narrow text in the "C" locale: each byte is one character.
  size_t n = TextLength(a, false);
  std::u16string w(n, u'\0');
  for (size_t i = 0; i < n; ++i) w[i] = static_cast<unsigned char>(a.narrow[i]);
  return w;
}

// The argument as the integer the conversion reads (CRT semantics: the
// value is taken at the conversion's size, signed or not).
void IntegerOf(const FormatArg& a, const Spec& s, bool isSigned, long long* sv, unsigned long long* uv) {
  uint64_t raw = a.kind == ArgKind::SignedInt ? static_cast<uint64_t>(a.i) : a.u;
  int bytes = s.intBytes == 8 ? 8 : (s.intBytes == 2 ? 2 : 4);
  if (bytes == 2) {
    *uv = static_cast<uint16_t>(raw);
    *sv = static_cast<int16_t>(raw);
  } else if (bytes == 4) {
    *uv = static_cast<uint32_t>(raw);
    *sv = static_cast<int32_t>(raw);
  } else {
    *uv = raw;
    *sv = static_cast<int64_t>(raw);
  }
  (void)isSigned;
}

// Builds the narrow printf conversion for numbers.
std::string NarrowSpec(const Spec& s, const char* length, char type, int width, int precision) {
  std::string f = "%";
  if (s.left) f += '-';
  if (s.plus) f += '+';
  if (s.space) f += ' ';
  if (s.alt) f += '#';
  if (s.zero) f += '0';
  if (width >= 0) f += std::to_string(width);
  if (precision >= 0) f += "." + std::to_string(precision);
  f += length;
  f += type;
  return f;
}

void AppendNarrow(std::u16string& out, const char* text, int n) {
  for (int i = 0; i < n && text[i]; ++i) out.push_back(static_cast<unsigned char>(text[i]));
}

template <class T>
void AppendNumber(std::u16string& out, const std::string& spec, T value) {
  char buf[512];
  int n = std::snprintf(buf, sizeof buf, spec.c_str(), value);
  if (n >= static_cast<int>(sizeof buf)) {
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), spec.c_str(), value);
    AppendNarrow(out, big.c_str(), n);
    return;
  }
  AppendNarrow(out, buf, n);
}

void AppendConversion(std::u16string& out, const Spec& s, const FormatArg& a, int width, int precision) {
  switch (s.type) {
    case u's':
    case u'S': AppendText(out, TextOf(a, s.wideText), s, width, precision); return;
    case u'c':
    case u'C': {
      char16_t c = s.wideText ? static_cast<char16_t>(a.u) : static_cast<char16_t>(static_cast<unsigned char>(a.u));
      AppendText(out, std::u16string_view(&c, 1), s, width, -1);
      return;
    }
    case u'd':
    case u'i': {
      long long sv;
      unsigned long long uv;
      IntegerOf(a, s, true, &sv, &uv);
      AppendNumber(out, NarrowSpec(s, "ll", 'd', width, precision), sv);
      return;
    }
    case u'u':
    case u'x':
    case u'X':
    case u'o': {
      long long sv;
      unsigned long long uv;
      IntegerOf(a, s, false, &sv, &uv);
      AppendNumber(out, NarrowSpec(s, "ll", static_cast<char>(s.type), width, precision), uv);
      return;
    }
    case u'f':
    case u'e':
    case u'E':
    case u'g':
    case u'G': AppendNumber(out, NarrowSpec(s, "", static_cast<char>(s.type), width, precision), a.d); return;
    case u'p': {
      // The CRT prints a pointer as 16 upper-case hex digits on 64 bits.
      Spec hex = s;
      hex.zero = true;
      AppendNumber(out, NarrowSpec(hex, "ll", 'X', sizeof(void*) * 2, -1),
                   static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(a.pointer)));
      return;
    }
    default: return;
  }
}

int StarValue(const FormatArg& a) {
  return a.kind == ArgKind::SignedInt ? static_cast<int>(a.i) : static_cast<int>(a.u);
}

}  // namespace

std::u16string Format(const char16_t* f, const FormatArg* args, size_t count) {
  std::u16string out;
  size_t next = 0;
  for (size_t i = 0; f[i] != 0;) {
    size_t start = i;
    while (f[i] != 0 && f[i] != u'%') ++i;
    out.append(f + start, i - start);
    if (f[i] == 0) break;
    Spec s = ParseSpec(f, i);
    if (!s.valid) {  // never for a checked format; kept as text otherwise
      out.push_back(f[i++]);
      continue;
    }
    i = s.end;
    if (s.type == u'%') {
      out.push_back(u'%');
      continue;
    }
    int width = s.width, precision = s.precision;
    if (width == -2 && next < count) {
      width = StarValue(args[next++]);
      if (width < 0) {
        s.left = true;
        width = -width;
      }
    }
    if (precision == -2 && next < count) precision = StarValue(args[next++]);
    if (next >= count) break;
    AppendConversion(out, s, args[next++], width, precision);
  }
  return out;
}

}  // namespace cmr::format_detail
