// Plots laid out and painted: labels that never overlap, lanes that say when they hold no
// events, stretch markers across every lane, and one PNG per control family painted by cairo
// at the scene's size with the curve's or band's ink in it; SVG and PDF files by their magic.
#include <cairo.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "pictures/CairoRender.h"
#include "pictures/PlotLayout.h"
#include "pictures/PlotModel.h"
#include "support/Events.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

using mixauto::Scene;
using mixauto::Shape;
using testsupport::MakeEvent;

struct Box {
  double left, right, top, bottom;
};

Box BoxOf(const Shape& text) {
  const double width = mixauto::EstimatedTextWidth(text.text, text.fontSize);
  const double x = text.points[0].x, y = text.points[0].y;
  const double left = text.anchor == Shape::kStart ? x : text.anchor == Shape::kMiddle ? x - width / 2 : x - width;
  return {left, left + width, y - text.fontSize * 0.8, y + text.fontSize * 0.25};
}

bool Overlap(const Box& a, const Box& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::vector<const Shape*> ShapesOf(const Scene& scene, const std::string& role) {
  std::vector<const Shape*> found;
  for (const Shape& s : scene.shapes) {
    if (s.role == role) found.push_back(&s);
  }
  return found;
}

// A mix of one channel per control family on path 0 with moves over a minute, a path 1 that
// is asked for but has no events, and a dense burst.
CAutomationEventArray FamilyMix(int32_t second) {
  CAutomationEventArray events;
  for (int32_t s = 0; s < 60; ++s) {
    events.AddAtTime(MakeEvent(0, 14, 0, s * second, -8192 + s * 150));  // fader level, dB
    events.AddAtTime(MakeEvent(0, 14, 2, s * second, s / 7 % 2));        // fader mute, a switch
    events.AddAtTime(MakeEvent(0, 1, 0, s * second, -6000 + s * 200));   // EQ frequency, Hz
    events.AddAtTime(MakeEvent(0, 21, 0, s * second, -8000 + s * 270));  // pan, Left .. Right
  }
  for (int32_t t = 30 * second; t < 30 * second + 400; ++t) events.AddAtTime(MakeEvent(0, 14, 0, t, t % 700 - 350));
  return events;
}

TEST(PlotPictureTest, LabelsNeverOverlapAndEveryLaneSaysWhatItHolds) {
  testsupport::TestConsole console(3);
  const CTimecodeConverter converter;
  const auto second = static_cast<int32_t>(mixauto::UnitsPerLabelSecond(converter));
  const CAutomationEventArray events = FamilyMix(second);
  for (const double width : {600.0, 1400.0}) {
    mixauto::PlotRequest request;
    request.paths = {0, 1};
    request.columns = mixauto::PlotColumns(width);
    request.timeLabelWidth = mixauto::TimeLabelColumns();
    mixauto::PlotModel model = mixauto::BuildPlot(events, request, converter);
    model.markers = {10 * second, 40 * second};
    mixauto::PlotStyle style;
    style.width = width;
    style.title = "families";
    const Scene scene = mixauto::LayoutPlot(model, style);

    std::vector<Box> labels;
    for (const char* role : {"tick-label", "time-label", "lane-title", "lane-info", "no-events", "title"}) {
      for (const Shape* s : ShapesOf(scene, role)) labels.push_back(BoxOf(*s));
    }
    for (size_t i = 0; i < labels.size(); ++i) {
      EXPECT_GE(labels[i].left, 0) << width;
      EXPECT_LE(labels[i].right, width + 1) << width;
      for (size_t j = i + 1; j < labels.size(); ++j) EXPECT_FALSE(Overlap(labels[i], labels[j])) << i << " " << j;
    }
    EXPECT_GE(ShapesOf(scene, "time-label").size(), width > 1000 ? 6u : 3u);
    EXPECT_EQ(ShapesOf(scene, "lane-title").size(), 5u);  // four channels and the empty path
    ASSERT_EQ(ShapesOf(scene, "no-events").size(), 1u);
    EXPECT_EQ(ShapesOf(scene, "stretch-boundary").size(), 2u);
    EXPECT_FALSE(ShapesOf(scene, "band").empty());          // the mute
    EXPECT_FALSE(ShapesOf(scene, "curve-span").empty());    // the burst
    EXPECT_GE(ShapesOf(scene, "curve").size(), 3u);
  }
}

// The pixels of a PNG file and its size; empty when it does not read.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;
};

Pixels ReadPng(const std::string& path) {
  Pixels pixels;
  cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
    pixels.width = cairo_image_surface_get_width(surface);
    pixels.height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < pixels.height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      pixels.argb.insert(pixels.argb.end(), row, row + pixels.width);
    }
  }
  cairo_surface_destroy(surface);
  return pixels;
}

TEST(PlotPictureTest, EachControlFamilyPaintsAPngOfTheScenesSizeWithItsInk) {
  testsupport::TestConsole console(3);
  testsupport::TempFolder folder("co-plot");
  const CTimecodeConverter converter;
  const auto second = static_cast<int32_t>(mixauto::UnitsPerLabelSecond(converter));
  const CAutomationEventArray events = FamilyMix(second);
  struct Family {
    const char* name;
    int32_t control;
    uint32_t ink;  // the curve's blue or the band's green, opaque
  };
  for (const Family& family : {Family{"level", 14 << 8 | 0, 0xFF1F5FBF}, Family{"mute", 14 << 8 | 2, 0xFF2E8B57},
                               Family{"frequency", 1 << 8 | 0, 0xFF1F5FBF}, Family{"pan", 21 << 8 | 0, 0xFF1F5FBF}}) {
    mixauto::PlotRequest request;
    request.paths = {0};
    request.controls = {family.control};
    request.columns = mixauto::PlotColumns(800);
    const mixauto::PlotModel model = mixauto::BuildPlot(events, request, converter);
    mixauto::PlotStyle style;
    style.width = 800;
    const Scene scene = mixauto::LayoutPlot(model, style);
    const std::string png = folder.PathOf(std::string(family.name) + ".png");
    ASSERT_EQ(mixauto::RenderScene(scene, png), "") << family.name;
    const Pixels pixels = ReadPng(png);
    EXPECT_EQ(pixels.width, 800) << family.name;
    EXPECT_EQ(pixels.height, static_cast<int>(scene.height + 0.5)) << family.name;
    size_t inked = 0, ink = 0;
    for (const uint32_t p : pixels.argb) {
      inked += p != 0xFFFFFFFF;
      ink += p == family.ink;
    }
    EXPECT_GT(inked, pixels.argb.size() / 50) << family.name;  // more than a blank frame
    EXPECT_GT(ink, 100u) << family.name;
  }
}

TEST(PlotPictureTest, SvgAndPdfAreWrittenWholeAndOtherNamesAreRefused) {
  testsupport::TempFolder folder("co-plot");
  Scene scene;
  scene.width = 300;
  scene.height = 100;
  scene.AddText({10, 50}, "Fader Level \xC3\x98", 12, Shape::kStart, mixauto::kInk, "title");
  const auto head = [](const std::string& path, size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(n, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(n));
    return bytes;
  };
  ASSERT_EQ(mixauto::RenderScene(scene, folder.PathOf("a.SVG")), "");
  EXPECT_EQ(head(folder.PathOf("a.SVG"), 5), "<?xml");
  ASSERT_EQ(mixauto::RenderScene(scene, folder.PathOf("a.pdf")), "");
  EXPECT_EQ(head(folder.PathOf("a.pdf"), 5), "%PDF-");
  EXPECT_NE(mixauto::RenderScene(scene, folder.PathOf("a.jpg")), "");
  EXPECT_FALSE(std::ifstream(folder.PathOf("a.jpg")).good());
  EXPECT_NE(mixauto::RenderScene(scene, folder.PathOf("missing/a.png")), "");
}

}  // namespace
