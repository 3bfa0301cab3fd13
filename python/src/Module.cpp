// The compiled part of the Python package "commonobjects" (commonobjects._commonobjects); the
// package's __init__.py adds the dataclasses of lists and reports on top of it.
#include "Support.h"

PYBIND11_MODULE(_commonobjects, m) {
  m.doc() = "The commonobjects library: mixes, events as NumPy data, edits, edit lists and conform.";
  pycommonobjects::BindErrors(m);
  pybind11::class_<pycommonobjects::ArrayHandle> events = pycommonobjects::BindEvents(m);
  pycommonobjects::BindEdits(m, events);
  pycommonobjects::BindMix(m);
  pycommonobjects::BindConform(m);
  pycommonobjects::BindText(m);
}
