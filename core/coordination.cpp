#include "core/coordination.h"

namespace larkspur::core {

Coordination& processCoordination() {
  static Coordination instance;
  return instance;
}

}  // namespace larkspur::core
