// Placeholder until the `.reg` file store lands: an in-memory registry.
#include "commonobjects/platform/RegFileStore.h"

#include "commonobjects/platform/MemoryRegistryStore.h"

namespace commonobjects::platform {

std::shared_ptr<RegistryStore> OpenDefaultRegistryFileStore() {
  return std::make_shared<MemoryRegistryStore>();
}

}  // namespace commonobjects::platform
