#include "platform/host/classic/classic_report.h"

#include "platform/host/classic/classic_readers.h"
#include "platform/host/host.h"

namespace host {

bool ClassicReportOf(HANDLE eventLog, std::vector<std::string>* diagnostics, uint64_t* skipped) {
  Lock lock;
  ClassicReader* reader = ClassicReaders().Find(eventLog);
  if (!reader) return false;
  *diagnostics = reader->log->Diagnostics();
  *skipped = reader->log->Skipped();
  return true;
}

}  // namespace host
