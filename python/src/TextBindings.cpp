// Time and value text from Python: automation units to and from timecode or feet+frames under
// the registry's timecode settings, and controls' names and values as the hosts show them.
// Python text is UTF-8; the library's is Windows-1252.
#include <optional>
#include <string>

#include "Support.h"
#include "TimeArgument.h"
#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/platform/RegFileFormat.h"
#include "commonobjects/presentation/TemplateSnapAutoEvent.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace pycommonobjects {

namespace platform = commonobjects::platform;

int32_t UnitsOf(const py::handle& time, const char* what) {
  if (py::isinstance<py::str>(time)) {
    std::string error;
    const std::optional<int32_t> units =
        mixauto::ParseTimeArgument(CTimecodeConverter(), time.cast<std::string>(), error);
    if (!units) throw py::value_error(*what != '\0' ? std::string(what) + ": " + error : error);
    return *units;
  }
  if (PyBool_Check(time.ptr()) || !PyIndex_Check(time.ptr())) {
    throw py::type_error(std::string(what) + ": a time is automation units (int) or text such as \"01:00:10:00\"");
  }
  const auto number = py::reinterpret_steal<py::object>(PyNumber_Index(time.ptr()));
  if (!number) throw py::error_already_set();
  int overflow = 0;
  const long long units = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
  if (overflow != 0 || units < INT32_MIN || units > INT32_MAX) {
    throw py::value_error(std::string(what) + ": " + std::string(py::str(number)) +
                          " units is outside the 32-bit range");
  }
  return static_cast<int32_t>(units);
}

namespace {

CTemplateSnapAutoEvent EventOf(int32_t proc, int32_t control, int32_t value) {
  if (proc < 0 || proc > 255 || control < 0 || control > 255) {
    throw py::value_error("proc and control are 0 to 255 (got " + std::to_string(proc) + ", " +
                          std::to_string(control) + ")");
  }
  if (value < INT16_MIN || value > INT16_MAX) throw py::value_error("value is -32768 to 32767");
  return {static_cast<uint8_t>(proc), static_cast<uint8_t>(control), static_cast<int16_t>(value)};
}

int16_t ValueFromText(int32_t proc, int32_t control, const std::string& utf8) {
  const CTemplateSnapAutoEvent event = EventOf(proc, control, 0);
  const std::string text = platform::Utf8ToWindows1252(utf8);
  if (platform::Windows1252ToUtf8(text) != utf8) {
    throw py::value_error("the text \"" + utf8 + "\" has characters that Windows-1252 cannot hold");
  }
  return event.GetValueFromText(text);  // CValueTextNotSupported: ValueTextNotSupported
}

}  // namespace

void BindText(py::module_& m) {
  m.def(
      "to_units", [](const std::string& text) { return UnitsOf(py::str(text), ""); }, py::arg("text"),
      R"(The automation units of a time written as timecode ("01:00:10:00", "01:00:10 00",
with ';' ',' or '.' between fields, "01:00:10:00.2" with the quarter-frame digit),
feet+frames ("120+08") or units ("#4000"), under the registry's timecode settings, rounded
as edit lists are. ValueError, saying what is wrong, for any other text.)");
  m.def(
      "to_timecode", [](int32_t units) { return mixauto::FormatTime(CTimecodeConverter(), units); },
      py::arg("units"),
      R"(The text of a time in the display form of the registry's timecode settings (timecode,
or feet+frames), with the quarter-frame digit on the quarter-frame consoles; the last frame
at or before the time. "--:--:-- --" where no position shows it.)");
  m.def(
      "value_text",
      [](int32_t proc, int32_t control, int32_t value, bool units, bool rawFrequency) {
        std::string text;
        EventOf(proc, control, value).GetText(text, units ? 1 : 0, rawFrequency ? 1 : 0);
        return TextOf(text);
      },
      py::arg("proc"), py::arg("control"), py::arg("value"), py::kw_only(), py::arg("units") = true,
      py::arg("raw_frequency") = false,
      R"(A control's value as the hosts show it ("-3.0 dB"); units=False drops the units,
raw_frequency=True shows frequencies in whole Hz. Controls without a text form show the
number.)");
  m.def("value_from_text", &ValueFromText, py::arg("proc"), py::arg("control"), py::arg("text"),
        R"(The value a typed text gives the control, as the console's panel reads it, limited to
the control's range. Raises ValueTextNotSupported for controls whose values cannot be
typed (routes, switches, name lists), ValueError for text Windows-1252 cannot hold.)");
  m.def(
      "control_name",
      [](int32_t proc, int32_t control) { return TextOf(EventOf(proc, control, 0).GetEventName()); },
      py::arg("proc"), py::arg("control"),
      R"(The name of the control (proc, control) on this console type; "Unknown Event" for a
control the console does not have.)");
  m.def("console_type", &CConsoleConfiguration::GetConsoleType,
        "This process's console type (1 to 7, from the registry, read once; 3 by default).");
}

}  // namespace pycommonobjects
