#include "commonobjects/presentation/TemplateSnapAutoEvent.h"

#include <atomic>

#include "commonobjects/console/ControlModel.h"
#include "commonobjects/presentation/EventNameTables.h"

namespace {

namespace presentation = commonobjects::presentation;

constexpr char kUnknownEvent[] = "Unknown Event";

// Set once by InitialiseNames; nothing depends on it because the tables are constant.
std::atomic<bool> namesInitialised{false};

}  // namespace

void CTemplateSnapAutoEvent::InitialiseNames() { namesInitialised.store(true); }

bool CTemplateSnapAutoEvent::NamesInitialised() { return namesInitialised.load(); }

std::string CTemplateSnapAutoEvent::GetEventName() const {
  const CControlModel model = CControlModel::ForCurrentConsole();
  if (Control >= presentation::kEventNameControls) return kUnknownEvent;
  if (model.IsSmallConsole() && Proc < presentation::kSmallConsoleNameRows) {
    return std::string(presentation::kSmallConsoleEventNames[Proc][Control]);
  }
  if (model.IsLargeConsole() && Proc < presentation::kLargeConsoleNameRows) {
    return std::string(presentation::kLargeConsoleEventNames[Proc][Control]);
  }
  return kUnknownEvent;
}
