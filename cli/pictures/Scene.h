// Scene: a picture as a list of shapes in pixels, which the renderers paint unchanged (cairo
// into SVG, PNG or PDF; the SVG writer into a page). Layout decides every position; nothing
// in a renderer moves or measures anything.
//
// Coordinates: x to the right, y downwards, (0, 0) the top left corner of a width x height
// picture. A text's point is the start, middle or end of its baseline (Anchor). Texts are
// UTF-8. Each shape names what it shows (`role`, e.g. "curve", "tick-label"), which the page
// keeps as its class so that a reader or a test can find it. Plain values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mixauto {

struct Colour {
  uint8_t r = 0, g = 0, b = 0;
  double alpha = 1.0;
  bool operator==(const Colour&) const = default;
};

// The inks every picture shares: text and the quieter text of axes and notes.
inline constexpr Colour kInk{34, 34, 34};
inline constexpr Colour kMutedInk{110, 110, 110};

struct Point {
  double x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

struct Shape {
  enum Kind { kPolyline, kPolygon, kRect, kText };
  enum Anchor { kStart, kMiddle, kEnd };
  Kind kind = kPolyline;
  std::vector<Point> points;  // polyline and polygon: the corners; rect: top left, bottom right
  Colour stroke;
  Colour fill;
  bool stroked = true;
  bool filled = false;
  double lineWidth = 1.0;
  bool dashed = false;
  std::string text;  // kText
  double fontSize = 12.0;
  Anchor anchor = kStart;
  bool bold = false;
  std::string role;
};

struct Scene {
  double width = 0;
  double height = 0;
  Colour background{255, 255, 255};
  std::vector<Shape> shapes;

  void AddLine(Point a, Point b, Colour colour, double width, const std::string& role, bool dashed = false);
  void AddPolyline(std::vector<Point> points, Colour colour, double width, const std::string& role);
  // A rectangle from (x0, y0) to (x1, y1), filled, outlined when `outline` is given.
  void AddRect(double x0, double y0, double x1, double y1, Colour fill, const std::string& role,
               const Colour* outline = nullptr);
  void AddPolygon(std::vector<Point> points, Colour fill, const std::string& role);
  void AddText(Point at, std::string text, double size, Shape::Anchor anchor, Colour colour, const std::string& role,
               bool bold = false);
};

// The font every picture uses (Debian's fonts-dejavu-core), and a width that a text of that
// font at `size` pixels never exceeds by much: layout keeps labels apart with it.
inline constexpr char kSceneFont[] = "DejaVu Sans";
double EstimatedTextWidth(const std::string& utf8, double size);

}  // namespace mixauto
