#include "task/event_file_names.h"

#include "base/format.h"
#include "base/text.h"

namespace cmr {
namespace {

std::u16string FileLogName(const std::u16string& logName) {
  std::u16string name = logName;
  ReplaceAll(name, u"/", u"%4");
  return name;
}

}  // namespace

std::u16string WorkFilePath(const EventFileNaming& n) {
  if (!n.compactName.empty()) return FormatString(u"%s\\%s_last.adevt", n.saveFolder, n.compactName);
  return FormatString(u"%s\\%s_%s_last.adevt", n.saveFolder, n.computer, FileLogName(n.logName));
}

std::u16string EventFileName(const EventFileNaming& n, const LogPosition& first, const LogPosition& last) {
  if (n.compactName.empty())
    return FormatString(u"%s_%s_%x_%x_%x_%x.adevt", n.computer, FileLogName(n.logName), first.RecordNumber,
                        first.TimeWritten, last.RecordNumber, last.TimeWritten);
  return FormatString(u"%s_%s_%x_%x_%x_%x.adevt", std::u16string(), n.compactName, first.RecordNumber,
                      first.TimeWritten, last.RecordNumber, last.TimeWritten)
      .substr(1);
}

std::u16string DescriptionFilePath(const std::u16string& eventFilePath) {
  std::u16string path = eventFilePath;
  ReplaceAll(path, u".adevt", u".descr");
  return path;
}

}  // namespace cmr
