#include "com/class_table.h"

#include "com/EventCollector_h.h"

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
    {&CLSID_LogInfo, nullptr},
    {&CLSID_Task, nullptr},
    {&CLSID_TaskConfig, nullptr},
    {&CLSID_TaskResult2, nullptr},
    {&CLSID_TaskResult, nullptr},
};

}  // namespace

const com::ClassEntry* ClassTable(size_t* count) {
  *count = sizeof(kClasses) / sizeof(kClasses[0]);
  return kClasses;
}

}  // namespace ec
