// The part of module loading that is the same on every system: the seven
// exports a host may use, looked up by their undecorated names.
#include "AAXHostModule.h"

#include <type_traits>

namespace aaxhost
{

bool Module::ResolveExports(std::string& missing)
{
  auto resolve = [this, &missing](const char* name, auto& out)
  {
    void* p = Symbol(name);
    if (!p)
    {
      missing = std::string("missing export ") + name;
      return false;
    }
    out = reinterpret_cast<std::remove_reference_t<decltype(out)>>(p);
    return true;
  };
  ModuleExports& e = mExports;
  return resolve("ACFStartup", e.startup) && resolve("ACFShutdown", e.shutdown) &&
         resolve("ACFRegisterPlugin", e.registerPlugin) &&
         resolve("ACFRegisterComponent", e.registerComponent) &&
         resolve("ACFGetClassFactory", e.getClassFactory) && resolve("ACFCanUnloadNow", e.canUnloadNow) &&
         resolve("ACFGetSDKVersion", e.getSDKVersion);
}

} // namespace aaxhost
