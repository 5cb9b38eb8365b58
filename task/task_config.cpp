#include "task/task_config.h"

#include "base/guid_text.h"

namespace cmr {

CTaskConfig::CTaskConfig() : InstanceId(NewGuid()), Modules{kComponentModuleName} {}

void CTaskConfig::ResetBaseDefaults() {
  InstanceId = NewGuid();
  Modules.clear();
  RunStarted = false;
}

}  // namespace cmr
