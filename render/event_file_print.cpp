#include "render/event_file_print.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "base/output_text.h"
#include "base/text.h"

std::string EventFileEntryToJson(const EventFileEntry& entry) {
  std::map<std::u16string, std::vector<const std::u16string*>> seen;
  std::string out = "{";
  for (const EventFileField& field : entry) {
    auto& values = seen[field.tag];
    bool repeated = std::any_of(values.begin(), values.end(), [&](const std::u16string* v) { return *v == field.value; });
    if (repeated) continue;
    values.push_back(&field.value);
    std::u16string key = field.tag;
    if (values.size() > 1) key += u"#" + cmr::ToTextUnsigned(values.size());
    if (out.size() > 1) out += ",";
    out += cmr::JsonString(key) + ":" + cmr::JsonString(field.value);
  }
  return out + "}";
}

std::string EventFileEntryToText(const EventFileEntry& entry, size_t number) {
  size_t width = 0;
  for (const EventFileField& field : entry) width = std::max(width, field.tag.size());
  std::string out = "entry " + std::to_string(number) + "\n";
  for (const EventFileField& field : entry) {
    std::string tag = cmr::Utf16ToUtf8(field.tag);
    out += "  " + tag + std::string(width - field.tag.size(), ' ') + "  " + cmr::VisibleText(field.value) + "\n";
  }
  return out;
}

int PrintEventFile(const std::string& path, EventFileFormat format, FILE* out, FILE* err) {
  EventFileReader reader;
  if (!reader.Open(path)) {
    std::fprintf(err, "cannot open '%s': %s\n", path.c_str(), std::strerror(errno != 0 ? errno : ENOENT));
    return 1;
  }
  EventFileEntry entry;
  while (reader.Next(&entry)) {
    if (format == EventFileFormat::Json) std::fprintf(out, "%s\n", EventFileEntryToJson(entry).c_str());
    else std::fprintf(out, "%s", EventFileEntryToText(entry, reader.EntriesRead()).c_str());
  }
  for (const std::string& damage : reader.Damage()) std::fprintf(err, "'%s': %s\n", path.c_str(), damage.c_str());
  if (!reader.Problem().empty()) {
    std::fprintf(err, "'%s' is damaged or truncated (%s): %zu whole entries read\n", path.c_str(),
                 reader.Problem().c_str(), reader.EntriesRead());
    return 1;
  }
  return reader.Damage().empty() ? 0 : 1;
}
