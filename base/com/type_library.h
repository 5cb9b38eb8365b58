// The component's type library as data: its identity and its classes in the
// order of the class table. Generated with the dispatch description from
// com/EventCollector.idl.
#pragma once

#include "platform/api/oleauto.h"

namespace com::typelib {

struct CoClass {
  const char16_t* name;  // "Task"
  const CLSID* clsid;
  const char16_t* helpString;  // "Task Class"
  const IID* defaultInterface;
};

struct Library {
  const char16_t* name;  // "EventCollectorLib"
  const GUID* libid;
  const char16_t* helpString;
  WORD majorVersion;
  WORD minorVersion;
  LCID lcid;
  const CoClass* classes;
  unsigned classCount;
};

const Library& ComponentLibrary();

}  // namespace com::typelib
