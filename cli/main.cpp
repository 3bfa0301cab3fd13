// mixauto: holds, edits, stores and conforms console automation from the command line.
#include <cstdio>
#include <exception>

#include "Commands.h"
#include "ConformCommand.h"
#include "CutListCommand.h"
#include "EditCommand.h"
#include "EdlCommand.h"
#include "FileCommands.h"
#include "MixCommands.h"
#include "StateCommands.h"
#include "TimecodeCommand.h"
#include "ValueCommand.h"

int main(int argc, char** argv) {
  CLI::App app{"mixauto - console automation: inspect, edit, store and conform mixes"};
  app.set_version_flag("--version", std::string("mixauto ") + MIXAUTO_VERSION);
  app.require_subcommand(1);
  mixauto::AddRegistryCommand(app);
  mixauto::AddDemoCommand(app);
  mixauto::AddDemoConformCommand(app);
  mixauto::AddSaveDemoCommand(app);
  mixauto::AddInfoCommand(app);
  mixauto::AddDumpCommand(app);
  mixauto::AddCheckCommand(app);
  mixauto::AddConvertCommand(app);
  mixauto::AddValueCommand(app);
  mixauto::AddTimecodeCommand(app);
  mixauto::AddThinCommand(app);
  mixauto::AddRepairCommand(app);
  mixauto::AddOldValuesCommand(app);
  mixauto::AddTranslateCommand(app);
  mixauto::AddEditCommand(app);
  mixauto::AddEdlCommand(app);
  mixauto::AddCutListCommand(app);
  mixauto::AddConformCommand(app);
  mixauto::AddRecutCommand(app);
  mixauto::AddPlotCommand(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mixauto: %s\n", e.what());
    return 1;
  }
  return 0;
}
