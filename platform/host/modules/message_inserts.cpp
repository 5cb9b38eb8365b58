#include "platform/host/modules/message_inserts.h"

#include <cstdio>
#include <vector>

#include "platform/api/errors.h"
#include "platform/api/utf.h"

namespace host {
namespace {

// Arguments of a va_list are read once, in order, and kept: a message may
// use an insert more than once.
class ArgumentSource {
 public:
  explicit ArgumentSource(const InsertArguments& args) : args_(args) {}

  bool Get(unsigned index, DWORD_PTR* value) {
    if (args_.array) {
      *value = args_.array[index - 1];
      return true;
    }
    if (!args_.list) return false;
    while (read_.size() < index) read_.push_back(va_arg(*args_.list, DWORD_PTR));
    *value = read_[index - 1];
    return true;
  }

 private:
  const InsertArguments& args_;
  std::vector<DWORD_PTR> read_;
};

std::u16string WideFromPointer(DWORD_PTR value) {
  auto* p = reinterpret_cast<const char16_t*>(value);
  return p ? std::u16string(p) : std::u16string(u"(null)");
}

// Formats one argument with a printf format such as "s", "S", "d", "08X",
// "I64u" or "lu" (Microsoft's dialect; wide strings are %s).
std::u16string FormatArgument(const std::string& format, DWORD_PTR value) {
  if (format.empty()) return WideFromPointer(value);
  char conversion = format.back();
  if (conversion == 's' || conversion == 'S') {
    std::u16string text = conversion == 's'
                              ? WideFromPointer(value)
                              : plat::Utf8ToUtf16(value ? reinterpret_cast<const char*>(value) : "(null)");
    std::string spec = format.substr(0, format.size() - 1);
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, ("%" + spec + "s").c_str(), plat::Utf16ToUtf8(text).c_str());
    return plat::Utf8ToUtf16(buffer);
  }
  std::string spec = format.substr(0, format.size() - 1);
  bool wide64 = false;
  for (const char* size : {"I64", "ll", "l", "h", "I32", "I"}) {
    auto pos = spec.find(size);
    if (pos != std::string::npos) {
      if (std::string(size) == "I64" || std::string(size) == "ll" || std::string(size) == "I") wide64 = true;
      spec.erase(pos, std::char_traits<char>::length(size));
    }
  }
  char buffer[128];
  std::string full = "%" + spec + (wide64 ? "ll" : "") + conversion;
  if (conversion == 'c' || conversion == 'C') {
    return std::u16string(1, static_cast<char16_t>(value));
  }
  if (wide64) {
    std::snprintf(buffer, sizeof buffer, full.c_str(), static_cast<unsigned long long>(value));
  } else {
    std::snprintf(buffer, sizeof buffer, full.c_str(), static_cast<unsigned>(value));
  }
  return plat::Utf8ToUtf16(buffer);
}

// Reads "%N" or "%N!fmt!" starting after the '%'; returns the count of
// characters consumed, 0 when it is not an insert.
size_t ParseInsert(std::u16string_view text, size_t pos, unsigned* index, std::string* format) {
  size_t i = pos;
  unsigned n = 0;
  while (i < text.size() && i - pos < 2 && text[i] >= u'0' && text[i] <= u'9') n = n * 10 + (text[i++] - u'0');
  if (i == pos || n == 0) return 0;
  format->clear();
  if (i < text.size() && text[i] == u'!') {
    size_t close = text.find(u'!', i + 1);
    if (close != std::u16string_view::npos) {
      for (size_t k = i + 1; k < close; ++k) format->push_back(static_cast<char>(text[k]));
      i = close + 1;
    }
  }
  *index = n;
  return i - pos;
}

}  // namespace

DWORD ExpandMessage(std::u16string_view text, const InsertArguments& args, std::u16string* out) {
  ArgumentSource source(args);
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c != u'%' || i + 1 >= text.size()) {
      out->push_back(c);
      continue;
    }
    char16_t next = text[i + 1];
    unsigned index = 0;
    std::string format;
    if (size_t used = ParseInsert(text, i + 1, &index, &format)) {
      if (args.ignore) {
        out->append(text.substr(i, used + 1));
      } else {
        DWORD_PTR value = 0;
        if (!source.Get(index, &value)) return ERROR_INVALID_PARAMETER;
        out->append(FormatArgument(format, value));
      }
      i += used;
      continue;
    }
    ++i;
    switch (next) {
      case u'0': return 0;  // ends the message, no line end after it
      case u'n': out->append(u"\r\n"); break;
      case u'r': out->push_back(u'\r'); break;
      case u't': out->push_back(u'\t'); break;
      case u'b': out->push_back(u' '); break;
      default: out->push_back(next); break;  // %% %. %! "% "
    }
  }
  return 0;
}

}  // namespace host
