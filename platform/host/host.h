// The host model: the simulated Windows computers that the platform layer
// answers for. Only tests and the command-line program configure it; the
// component reaches it through the Windows API alone.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

#include "platform/api/types.h"

namespace host {

// Case-insensitive ordering of UTF-16 names (ASCII folding, as computer,
// key and log names compare on Windows).
struct NoCaseLess {
  bool operator()(std::u16string_view a, std::u16string_view b) const;
  using is_transparent = void;
};
bool EqualNoCase(std::u16string_view a, std::u16string_view b);

// One simulated computer. Each area of the platform keeps its state for a
// computer as a service object, created on first use (see Service<T>()).
class Computer {
 public:
  explicit Computer(std::u16string name);

  const std::u16string& Name() const { return name_; }

  // The Linux folder that holds the computer's drives as subfolders ("C",
  // "D", ...). Empty: drive paths of this computer cannot be reached.
  const std::string& Root() const { return root_; }
  void SetRoot(std::string dir) { root_ = std::move(dir); }

  // False makes every remote call to the computer fail as an unreachable
  // RPC server (1722) or a missing network path (53), as each call does.
  bool Reachable() const { return reachable_; }
  void SetReachable(bool reachable) { reachable_ = reachable; }

  // Environment variables (ExpandEnvironmentStringsW, %SystemRoot%).
  std::map<std::u16string, std::u16string, NoCaseLess>& Environment() { return environment_; }

  // Per-area state of this computer, created on first use.
  template <class T>
  T& Service() {
    auto& slot = services_[std::type_index(typeid(T))];
    if (!slot) slot = std::make_shared<T>(*this);
    return *static_cast<T*>(slot.get());
  }

 private:
  std::u16string name_;
  std::string root_;
  bool reachable_ = true;
  std::map<std::u16string, std::u16string, NoCaseLess> environment_;
  std::map<std::type_index, std::shared_ptr<void>> services_;
};

// All computers of this process's simulated network.
class Host {
 public:
  static Host& Get();

  // The host's state is guarded by one lock; every platform call holds it.
  std::recursive_mutex& Mutex() { return mutex_; }

  Computer& Add(const std::u16string& name);
  // A computer by name: "NAME", "\\NAME", "" "." and "localhost" (the local
  // computer), or its name in any case. Null when there is none.
  Computer* Find(std::u16string_view name);
  Computer& Local();
  void SetLocal(const std::u16string& name);
  std::vector<Computer*> All();

  // Back to one local computer with the default name and environment.
  void Reset();

 private:
  Host();
  std::recursive_mutex mutex_;
  std::map<std::u16string, std::unique_ptr<Computer>, NoCaseLess> computers_;
  std::u16string local_;
};

// Holds the host lock for a scope.
class Lock {
 public:
  Lock() : guard_(Host::Get().Mutex()) {}

 private:
  std::lock_guard<std::recursive_mutex> guard_;
};

// The name the local computer has after Reset().
inline constexpr char16_t kDefaultComputerName[] = u"WORKSTATION1";

}  // namespace host
