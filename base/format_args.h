// Type-erased arguments of FormatString, and the check of a format text
// against its argument types (at compile time for literal formats).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace cmr::format_detail {

enum class ArgKind { SignedInt, UnsignedInt, Double, WideText, NarrowText, Char, Pointer, Invalid };

struct FormatArg {
  ArgKind kind = ArgKind::Invalid;
  int size = 0;  // bytes of an integer argument
  union {
    int64_t i;
    uint64_t u;
    double d;
    const char16_t* wide;
    const char* narrow;
    const void* pointer;
  };
  size_t length = 0;  // code units of a text argument; npos: null-terminated
  FormatArg() : i(0) {}
};

template <class T>
constexpr ArgKind KindOf() {
  using U = std::remove_cv_t<std::remove_reference_t<T>>;
  if constexpr (std::is_same_v<U, char16_t> || std::is_same_v<U, char>) return ArgKind::Char;
  else if constexpr (std::is_same_v<U, bool>) return ArgKind::SignedInt;
  else if constexpr (std::is_enum_v<U>) return KindOf<std::underlying_type_t<U>>();
  else if constexpr (std::is_integral_v<U>) return std::is_signed_v<U> ? ArgKind::SignedInt : ArgKind::UnsignedInt;
  else if constexpr (std::is_floating_point_v<U>) return ArgKind::Double;
  else if constexpr (std::is_same_v<U, const char16_t*> || std::is_same_v<U, char16_t*> ||
                     std::is_same_v<U, std::u16string> || std::is_same_v<U, std::u16string_view>)
    return ArgKind::WideText;
  else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*> || std::is_same_v<U, std::string> ||
                     std::is_same_v<U, std::string_view>)
    return ArgKind::NarrowText;
  else if constexpr (std::is_pointer_v<U> || std::is_null_pointer_v<U>) return ArgKind::Pointer;
  else return ArgKind::Invalid;
}

template <class T>
constexpr int SizeOf() {
  using U = std::remove_cv_t<std::remove_reference_t<T>>;
  if constexpr (std::is_enum_v<U>) return sizeof(std::underlying_type_t<U>);
  else if constexpr (std::is_arithmetic_v<U>) return sizeof(U);
  else return sizeof(void*);
}

template <class T>
FormatArg MakeArg(const T& value) {
  using U = std::remove_cv_t<std::remove_reference_t<T>>;
  FormatArg a;
  a.kind = KindOf<U>();
  a.size = SizeOf<U>();
  if constexpr (std::is_same_v<U, char16_t> || std::is_same_v<U, char>) a.u = static_cast<uint16_t>(value);
  else if constexpr (std::is_same_v<U, bool>) a.i = value ? 1 : 0;
  else if constexpr (std::is_enum_v<U>) a.i = static_cast<int64_t>(value);
  else if constexpr (std::is_integral_v<U> && std::is_signed_v<U>) a.i = value;
  else if constexpr (std::is_integral_v<U>) a.u = value;
  else if constexpr (std::is_floating_point_v<U>) a.d = value;
  else if constexpr (std::is_same_v<U, std::u16string> || std::is_same_v<U, std::u16string_view>) {
    a.wide = value.data();
    a.length = value.size();
  } else if constexpr (std::is_same_v<U, std::string> || std::is_same_v<U, std::string_view>) {
    a.narrow = value.data();
    a.length = value.size();
  } else if constexpr (std::is_same_v<U, const char16_t*> || std::is_same_v<U, char16_t*>) {
    a.wide = value;
    a.length = std::u16string_view::npos;
  } else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*>) {
    a.narrow = value;
    a.length = std::string_view::npos;
  } else if constexpr (std::is_pointer_v<U>) a.pointer = value;
  else if constexpr (std::is_null_pointer_v<U>) a.pointer = nullptr;
  return a;
}

// A text array (a literal or a buffer) is passed as its null-terminated start.
template <class C, size_t N>
FormatArg MakeArg(const C (&text)[N]) {
  return MakeArg(static_cast<const C*>(text));
}

// One conversion of a format text.
struct Spec {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  int width = -1;        // -1: none; -2: from an argument ('*')
  int precision = -1;    // -1: none; -2: from an argument
  int intBytes = 4;      // 2 (h), 4 (none, l, I32), 8 (I64, ll), sizeof(void*) (I)
  char16_t type = 0;     // s S c C d i u x X o f e E g G p %
  bool wideText = true;  // %s and %c take wide text unless 'h'; %S and %C narrow unless 'l'/'w'
  size_t end = 0;        // index just after the conversion
  bool valid = false;
};

// Parses the conversion that starts at f[pos] == '%'.
constexpr Spec ParseSpec(const char16_t* f, size_t pos) {
  Spec s;
  size_t i = pos + 1;
  for (;; ++i) {
    char16_t c = f[i];
    if (c == u'-') s.left = true;
    else if (c == u'+') s.plus = true;
    else if (c == u' ') s.space = true;
    else if (c == u'#') s.alt = true;
    else if (c == u'0') s.zero = true;
    else break;
  }
  if (f[i] == u'*') {
    s.width = -2;
    ++i;
  } else if (f[i] >= u'1' && f[i] <= u'9') {
    s.width = 0;
    while (f[i] >= u'0' && f[i] <= u'9') s.width = s.width * 10 + (f[i++] - u'0');
  }
  if (f[i] == u'.') {
    ++i;
    if (f[i] == u'*') {
      s.precision = -2;
      ++i;
    } else {
      s.precision = 0;
      while (f[i] >= u'0' && f[i] <= u'9') s.precision = s.precision * 10 + (f[i++] - u'0');
    }
  }
  bool narrowPrefix = false, widePrefix = false;
  if (f[i] == u'I' && f[i + 1] == u'6' && f[i + 2] == u'4') {
    s.intBytes = 8;
    i += 3;
  } else if (f[i] == u'I' && f[i + 1] == u'3' && f[i + 2] == u'2') {
    s.intBytes = 4;
    i += 3;
  } else if (f[i] == u'I') {
    s.intBytes = sizeof(void*);
    ++i;
  } else if (f[i] == u'l' && f[i + 1] == u'l') {
    s.intBytes = 8;
    i += 2;
  } else if (f[i] == u'l' || f[i] == u'w') {
    widePrefix = true;
    ++i;
  } else if (f[i] == u'h') {
    s.intBytes = 2;
    narrowPrefix = true;
    ++i;
  }
  s.type = f[i];
  switch (s.type) {
    case u's':
    case u'c': s.wideText = !narrowPrefix; break;
    case u'S':
    case u'C': s.wideText = widePrefix; break;
    case u'd':
    case u'i':
    case u'u':
    case u'x':
    case u'X':
    case u'o':
    case u'f':
    case u'e':
    case u'E':
    case u'g':
    case u'G':
    case u'p':
    case u'%': break;
    default: return s;  // unknown conversion: invalid
  }
  s.end = i + 1;
  s.valid = true;
  return s;
}

// Whether an argument of kind/size fits a conversion.
constexpr bool Fits(const Spec& s, ArgKind kind, int size) {
  switch (s.type) {
    case u's':
    case u'S': return kind == (s.wideText ? ArgKind::WideText : ArgKind::NarrowText);
    case u'c':
    case u'C':
      return kind == ArgKind::Char || ((kind == ArgKind::SignedInt || kind == ArgKind::UnsignedInt) && size <= 4);
    case u'd':
    case u'i':
    case u'u':
    case u'x':
    case u'X':
    case u'o':
      if (kind == ArgKind::Char) return s.intBytes <= 4;
      if (kind != ArgKind::SignedInt && kind != ArgKind::UnsignedInt) return false;
      return s.intBytes == 8 ? size == 8 : size <= s.intBytes || (s.intBytes == 2 && size <= 4);
    case u'f':
    case u'e':
    case u'E':
    case u'g':
    case u'G': return kind == ArgKind::Double;
    case u'p': return kind == ArgKind::Pointer || kind == ArgKind::WideText || kind == ArgKind::NarrowText;
    default: return false;
  }
}

constexpr bool IsStarArg(ArgKind kind, int size) {
  return (kind == ArgKind::SignedInt || kind == ArgKind::UnsignedInt) && size <= 4;
}

// Checks a whole format against the argument kinds and sizes; returns an
// empty text when they agree, otherwise what is wrong.
constexpr const char* Check(const char16_t* f, const ArgKind* kinds, const int* sizes, size_t count) {
  if (f == nullptr) return "null format";
  size_t next = 0;
  for (size_t i = 0; f[i] != 0;) {
    if (f[i] != u'%') {
      ++i;
      continue;
    }
    Spec s = ParseSpec(f, i);
    if (!s.valid) return "unknown conversion in format";
    i = s.end;
    if (s.type == u'%') continue;
    if (s.width == -2) {
      if (next >= count || !IsStarArg(kinds[next], sizes[next])) return "'*' width needs an int argument";
      ++next;
    }
    if (s.precision == -2) {
      if (next >= count || !IsStarArg(kinds[next], sizes[next])) return "'*' precision needs an int argument";
      ++next;
    }
    if (next >= count) return "format has more conversions than arguments";
    if (!Fits(s, kinds[next], sizes[next])) return "argument type does not match its conversion";
    ++next;
  }
  return next == count ? "" : "format has fewer conversions than arguments";
}

template <class... Args>
constexpr const char* CheckFor(const char16_t* f) {
  constexpr size_t n = sizeof...(Args);
  constexpr ArgKind kinds[n + 1] = {KindOf<Args>()..., ArgKind::Invalid};
  constexpr int sizes[n + 1] = {SizeOf<Args>()..., 0};
  return Check(f, kinds, sizes, n);
}

}  // namespace cmr::format_detail
