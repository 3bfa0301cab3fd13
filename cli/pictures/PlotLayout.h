// PlotLayout: a plot model laid out as a scene, lanes stacked top to bottom under a title:
//
//   Title                                                     subtitle (range, events)
//   Path 3  Fader Level (14:0)                                1,204 events
//    10.0dB |              ____/‾‾‾‾‾‾\____        |     value ticks in the control's text,
//     -20dB |_____________/                \_______|     the curve in blue, an earlier curve
//       Cut |______________________________________|     (a comparison) in grey beneath it
//   Path 3  Fader Mute (14:2)
//       Off |   [██████]        [███████████]       |     a switch: the time it is on, filled
//        On |______________________________________|
//           01:00:00 00   01:00:10 00   01:00:20 00       time ticks, labels never overlap
//
// Every label is kept apart from its neighbours by its estimated width (EstimatedTextWidth):
// a tick label that would touch the one before it is left out. Stretch markers are dashed
// lines across every lane. Pure.
#pragma once

#include <string>

#include "pictures/PlotModel.h"
#include "pictures/Scene.h"

namespace mixauto {

struct PlotStyle {
  double width = 1400;      // pixels
  double laneHeight = 84;   // the curve's height in each lane
  std::string title;
  std::string subtitle;
};

// The drawing columns the time axis has at a picture width (pass them to the model).
int32_t PlotColumns(double width);
// The columns one time label takes, with its gap.
double TimeLabelColumns();

Scene LayoutPlot(const PlotModel& model, const PlotStyle& style);

}  // namespace mixauto
