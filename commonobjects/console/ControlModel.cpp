#include "commonobjects/console/ControlModel.h"

#include "commonobjects/console/ConsoleConfiguration.h"

CControlModel CControlModel::ForCurrentConsole() {
  return CControlModel(CConsoleConfiguration::GetConsoleType());
}

int32_t CControlModel::GetDefaultVariant() const {
  switch (ConsoleType) {
    case 3: return 0;
    case 5:
    case 7: return 1;
    case 2:
    case 4: return 2;
    default: return kNoVariant;
  }
}
