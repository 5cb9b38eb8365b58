// The component's class table, in the order in which registration visits
// the classes.
#pragma once

#include <cstddef>

#include "base/com/class_objects.h"

namespace com {

const com::ClassEntry* ClassTable(size_t* count);

}  // namespace com
