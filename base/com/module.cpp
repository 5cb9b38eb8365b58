#include "base/com/module.h"

#include <atomic>

namespace com {
namespace {

std::atomic<LONG> objects{0};
std::atomic<LONG> locks{0};

}  // namespace

void Module::ObjectCreated() { ++objects; }
void Module::ObjectDestroyed() { --objects; }
void Module::Lock() { ++locks; }
void Module::Unlock() { --locks; }
LONG Module::ObjectCount() { return objects; }
LONG Module::LockCount() { return locks; }
bool Module::CanUnload() { return objects == 0 && locks == 0; }

}  // namespace com
