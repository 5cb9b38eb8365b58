#include "render/event_file_print.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "base/output_text.h"
#include "base/text.h"

namespace cmr {

std::string EventFileEntryToJson(const EventFileEntry& entry) {
  // Tags in the order they first appear; a tag the entry holds more than
  // once becomes an array of all its values, in order.
  std::vector<std::u16string> order;
  std::map<std::u16string, std::vector<const std::u16string*>> values;
  for (const EventFileField& field : entry) {
    auto& list = values[field.tag];
    if (list.empty()) order.push_back(field.tag);
    list.push_back(&field.value);
  }
  std::string out = "{";
  for (const std::u16string& tag : order) {
    const auto& list = values[tag];
    if (out.size() > 1) out += ",";
    out += cmr::JsonString(tag) + ":";
    if (list.size() == 1) {
      out += cmr::JsonString(*list[0]);
      continue;
    }
    out += "[";
    for (size_t k = 0; k < list.size(); ++k) out += (k ? "," : "") + cmr::JsonString(*list[k]);
    out += "]";
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

}  // namespace cmr
