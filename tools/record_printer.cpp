#include "tools/record_printer.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "base/output_text.h"
#include "base/text.h"

namespace tool {
namespace {

// A field as JSON: its value, or {"type":..,"value":..} when it has a type.
std::string JsonScalar(const std::u16string& text, bool number) {
  return number ? cmr::Utf16ToUtf8(text) : cmr::JsonString(text);
}

std::string JsonValue(const PrintedField& f) {
  std::string value;
  if (f.array) {
    value = "[";
    for (size_t i = 0; i < f.items.size(); ++i) value += (i ? "," : "") + JsonScalar(f.items[i], f.number);
    value += "]";
  } else {
    value = JsonScalar(f.text, f.number);
  }
  if (f.type.empty()) return value;
  return "{\"type\":" + cmr::JsonString(cmr::Utf8ToUtf16(f.type)) + ",\"value\":" + value + "}";
}

}  // namespace

void RecordPrinter::Print(const PrintedRecord& record) {
  ++count_;
  if (json_) {
    std::string line = "{";
    for (const auto& f : record.fields) {
      if (line.size() > 1) line += ",";
      line += cmr::JsonString(cmr::Utf8ToUtf16(f.name)) + ":" + JsonValue(f);
    }
    line += (line.size() > 1 ? ",\"" : "\"") + record.valuesName + "\":[";
    for (size_t i = 0; i < record.values.size(); ++i) line += (i ? "," : "") + JsonValue(record.values[i]);
    std::printf("%s]}\n", line.c_str());
    return;
  }
  std::printf("record %zu\n", count_);
  size_t width = 0, typeWidth = 0;
  for (const auto* list : {&record.fields, &record.values}) {
    for (const auto& f : *list) {
      width = std::max(width, f.name.size());
      typeWidth = std::max(typeWidth, f.type.size());
    }
  }
  for (const auto* list : {&record.fields, &record.values}) {
    for (const auto& f : *list) {
      if (typeWidth)
        std::printf("  %-*s  %-*s  %s\n", static_cast<int>(width), f.name.c_str(), static_cast<int>(typeWidth),
                    f.type.c_str(), cmr::VisibleText(f.text).c_str());
      else std::printf("  %-*s  %s\n", static_cast<int>(width), f.name.c_str(), cmr::VisibleText(f.text).c_str());
    }
  }
}

std::u16string UnixTimeText(int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &tm);
  return cmr::Utf8ToUtf16(text);
}

}  // namespace tool
