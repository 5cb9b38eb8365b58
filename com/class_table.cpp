#include "com/class_table.h"

#include "com/EventCollector_h.h"
#include "task/com/log_info.h"
#include "task/com/task_config_impl.h"
#include "task/com/task_result_impl.h"
#include "task/task.h"

namespace ec {
namespace {

// A class whose implementation has not joined the library yet has no
// factory: DllGetClassObject answers CLASS_E_CLASSNOTAVAILABLE for it.
// Each entry becomes {&CLSID_X, &com::MakeFactory<CXImpl>}.
const com::ClassEntry kClasses[] = {
    {&CLSID_EventLogEnum, nullptr},
    {&CLSID_EventLog, nullptr},
    {&CLSID_FilterEnum, nullptr},
    {&CLSID_Filter, nullptr},
    {&CLSID_FilterISEnum, nullptr},
    {&CLSID_FilterIS, nullptr},
    {&CLSID_Filters, nullptr},
    {&CLSID_LogInfo, &com::MakeFactory<CLogInfo>},
    {&CLSID_Task, &com::MakeFactory<CTask>},
    {&CLSID_TaskConfig, &com::MakeFactory<CTaskConfigImpl>},
    {&CLSID_TaskResult2, &com::MakeFactory<CTaskResult2Impl>},
    {&CLSID_TaskResult, &com::MakeFactory<CTaskResultImpl>},
};

}  // namespace

const com::ClassEntry* ClassTable(size_t* count) {
  *count = sizeof(kClasses) / sizeof(kClasses[0]);
  return kClasses;
}

}  // namespace ec
