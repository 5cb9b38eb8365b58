#include "com/class_table.h"

#include "com/EventCollector_h.h"
#include "filter/com/filter_enums.h"
#include "filter/com/filter_impl.h"
#include "filter/com/filter_items.h"
#include "filter/com/filters_impl.h"
#include "task/com/log_info.h"
#include "task/com/task_config_impl.h"
#include "task/com/task_result_impl.h"
#include "task/task.h"

namespace com {
namespace {

// A class whose implementation has not joined the library yet has no
// factory: DllGetClassObject answers CLASS_E_CLASSNOTAVAILABLE for it.
// Each entry becomes {&CLSID_X, &com::MakeFactory<cmr::CXImpl>}.
const com::ClassEntry kClasses[] = {
    {&CLSID_EventLogEnum, &com::MakeFactory<cmr::CEventLogEnumImpl>},
    {&CLSID_EventLog, &com::MakeFactory<cmr::CEventLogImpl>},
    {&CLSID_FilterEnum, &com::MakeFactory<cmr::CFilterEnumImpl>},
    {&CLSID_Filter, &com::MakeFactory<cmr::CFilterImpl>},
    {&CLSID_FilterISEnum, &com::MakeFactory<cmr::CFilterISEnumImpl>},
    {&CLSID_FilterIS, &com::MakeFactory<cmr::CFilterISImpl>},
    {&CLSID_Filters, &com::MakeFactory<cmr::CFiltersImpl>},
    {&CLSID_LogInfo, &com::MakeFactory<cmr::CLogInfo>},
    {&CLSID_Task, &com::MakeFactory<cmr::CTask>},
    {&CLSID_TaskConfig, &com::MakeFactory<cmr::CTaskConfigImpl>},
    {&CLSID_TaskResult2, &com::MakeFactory<cmr::CTaskResult2Impl>},
    {&CLSID_TaskResult, &com::MakeFactory<cmr::CTaskResultImpl>},
};

}  // namespace

const com::ClassEntry* ClassTable(size_t* count) {
  *count = sizeof(kClasses) / sizeof(kClasses[0]);
  return kClasses;
}

}  // namespace com
