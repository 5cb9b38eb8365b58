// The handles of the classic event-log functions: each one an open log (or
// backup file) with the read position of its reader. Callers hold the host
// lock.
#pragma once

#include <memory>
#include <string>

#include "platform/host/classic/classic_log.h"
#include "platform/host/kernel/handle_table.h"

namespace host {

struct ClassicReader {
  std::shared_ptr<ClassicLog> log;
  std::u16string computer;  // the computer whose paths backup file names are
  uint64_t generation = 0;  // the log's generation when it was opened
  bool positioned = false;  // a record was read: `last` holds its number
  uint32_t last = 0;
};

HandleTable<ClassicReader>& ClassicReaders();

}  // namespace host
