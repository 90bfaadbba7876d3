#include "core/ppc_list.h"

namespace larkspur::core {

void PpcList::fillFromBuiltIn() {
  records_.clear();
  for (const PpcRecord& record : builtinPpcRecords()) {
    if (record.name[0] == '\0') break;
    records_.push_back(std::make_unique<PpcRecord>(record));
  }
}

}  // namespace larkspur::core
