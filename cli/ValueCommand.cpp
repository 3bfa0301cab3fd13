// mixauto value: names the control (Proc, Control) of the current console type and shows a
// value as the hosts show it, or reads a typed text back as the hosts read it.
#include "ValueCommand.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "Commands.h"
#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/platform/RegFileFormat.h"
#include "commonobjects/presentation/TemplateSnapAutoEvent.h"

namespace mixauto {
namespace {

namespace platform = commonobjects::platform;

constexpr const char* kValueHelp =
    "Name a control and convert its value: --value N shows the raw value N as text, --text T "
    "reads T as the console's panel would and shows the value it gives. The console type comes "
    "from the registry (default 3). Texts are printed in UTF-8.";

struct ValueOptions {
  int proc = 0;
  int control = 0;
  std::optional<std::string> text;
  std::optional<int> value;
  int units = 1;
  int rawFrequency = 0;
};

std::string Describe(const CTemplateSnapAutoEvent& event) {
  std::string name = event.GetEventName();
  if (name.empty()) name = "(no name)";
  return name + " (Proc " + std::to_string(event.Proc) + ", Control " +
         std::to_string(event.Control) + ")";
}

// The raw value that the typed text gives; fails for controls that cannot be typed.
int16_t ValueOfText(const CTemplateSnapAutoEvent& event, const std::string& utf8) {
  const std::string text = platform::Utf8ToWindows1252(utf8);
  if (platform::Windows1252ToUtf8(text) != utf8) {
    FailCommand("value", "the text \"" + utf8 + "\" has characters that Windows-1252 cannot hold");
  }
  try {
    return event.GetValueFromText(text);
  } catch (const CValueTextNotSupported&) {
    FailCommand("value", Describe(event) +
         " has no text form that can be read back; give its raw value with --value");
  }
}

void Run(const ValueOptions& options) {
  if (options.text.has_value() == options.value.has_value()) FailCommand("value", "give either --text or --value");
  CTemplateSnapAutoEvent event(static_cast<uint8_t>(options.proc),
                               static_cast<uint8_t>(options.control), 0);
  event.Value = options.text ? ValueOfText(event, *options.text)
                             : static_cast<int16_t>(*options.value);
  std::string text;
  event.GetText(text, options.units, options.rawFrequency);
  std::printf("console type  %d\n", CConsoleConfiguration::GetConsoleType());
  std::printf("event         %s\n", Describe(event).c_str());
  std::printf("value         %d\n", event.Value);
  std::printf("text          %s\n", platform::Windows1252ToUtf8(text).c_str());
}

}  // namespace

void AddValueCommand(CLI::App& app) {
  auto options = std::make_shared<ValueOptions>();
  CLI::App* value = app.add_subcommand("value", kValueHelp);
  value->add_option("--proc", options->proc, "processing block, 0 to 255")
      ->required()
      ->check(CLI::Range(0, 255));
  value->add_option("--control", options->control, "control within the block, 0 to 255")
      ->required()
      ->check(CLI::Range(0, 255));
  CLI::Option* text = value->add_option("--text", options->text, "text to read, e.g. \"-3.5 dB\"");
  CLI::Option* raw = value->add_option("--value", options->value, "raw value, -32768 to 32767")
                         ->check(CLI::Range(-32768, 32767));
  text->excludes(raw);
  value->add_option("--units", options->units, "0 shows texts without units (default 1)");
  value->add_option("--raw-frequency", options->rawFrequency,
                    "nonzero shows frequencies in whole Hz (default 0)");
  value->callback([options] { Run(*options); });
}

}  // namespace mixauto
