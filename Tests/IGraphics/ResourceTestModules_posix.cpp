#include "ResourceTestModules.h"

namespace kestrine_test
{
// The linked table does not depend on a handle.
void* OwnModule()
{
  return nullptr;
}
void* KestrineModule()
{
  return nullptr;
}
} // namespace kestrine_test
