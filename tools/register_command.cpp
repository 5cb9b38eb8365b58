// "register" and "unregister": the component's registration in the
// registry of the computer.
#include <cstdio>

#include "tools/command.h"
#include "tools/options.h"
#include "tools/session.h"

namespace {

int Registration(const char* name, bool add, const tool::Args& args) {
  tool::Options options;
  std::string error;
  if (!options.Parse(args, {tool::kMachineOption}, &error)) return tool::UsageError(name, error);
  if (!options.Positional().empty())
    return tool::UsageError(name, "unexpected argument '" + options.Positional()[0] + "'");
  tool::Session session;
  if (!session.Open(name, options)) return 1;
  const tool::Component& component = session.component();
  HRESULT hr = add ? component.Register() : component.Unregister();
  if (FAILED(hr))
    return tool::Failure(
        name, std::string(add ? "DllRegisterServer" : "DllUnregisterServer") + " failed: " + tool::FailureText(hr));
  if (session.machine().Temporary()) {
    std::printf("%s %s on the demonstration machine (not kept; use --machine DIR to keep it)\n",
                add ? "Registered" : "Unregistered", component.Path().c_str());
    return 0;
  }
  if (!session.machine().SaveRegistry(&error)) return tool::Failure(name, error);
  std::printf("%s %s in the registry of %s\n", add ? "Registered" : "Unregistered", component.Path().c_str(),
              session.machine().Folder().c_str());
  return 0;
}

int RunRegister(const tool::Args& args) { return Registration("register", true, args); }
int RunUnregister(const tool::Args& args) { return Registration("unregister", false, args); }

}  // namespace

EC_COMMAND("register", "register the component in the computer's registry",
           "usage: eventcollector register [--machine DIR]\n\n"
           "Calls the component's DllRegisterServer: its classes, ProgIDs, application\n"
           "and type library are written to the computer's registry. With --machine DIR\n"
           "the registry is written back to the folder's registry export.",
           RunRegister);
EC_COMMAND("unregister", "remove the component's registration",
           "usage: eventcollector unregister [--machine DIR]\n\n"
           "Calls the component's DllUnregisterServer. With --machine DIR the registry is\n"
           "written back to the folder's registry export.",
           RunUnregister);
