#include "pictures/Scene.h"

#include <utility>

namespace mixauto {

void Scene::AddLine(Point a, Point b, Colour colour, double width, const std::string& role, bool dashed) {
  Shape line;
  line.points = {a, b};
  line.stroke = colour;
  line.lineWidth = width;
  line.dashed = dashed;
  line.role = role;
  shapes.push_back(std::move(line));
}

void Scene::AddPolyline(std::vector<Point> points, Colour colour, double width, const std::string& role) {
  Shape line;
  line.points = std::move(points);
  line.stroke = colour;
  line.lineWidth = width;
  line.role = role;
  shapes.push_back(std::move(line));
}

void Scene::AddRect(double x0, double y0, double x1, double y1, Colour fill, const std::string& role,
                    const Colour* outline) {
  Shape rect;
  rect.kind = Shape::kRect;
  rect.points = {{x0, y0}, {x1, y1}};
  rect.fill = fill;
  rect.filled = true;
  rect.stroked = outline != nullptr;
  if (outline) rect.stroke = *outline;
  rect.role = role;
  shapes.push_back(std::move(rect));
}

void Scene::AddPolygon(std::vector<Point> points, Colour fill, const std::string& role) {
  Shape polygon;
  polygon.kind = Shape::kPolygon;
  polygon.points = std::move(points);
  polygon.fill = fill;
  polygon.filled = true;
  polygon.stroked = false;
  polygon.role = role;
  shapes.push_back(std::move(polygon));
}

void Scene::AddText(Point at, std::string text, double size, Shape::Anchor anchor, Colour colour,
                    const std::string& role, bool bold) {
  Shape label;
  label.kind = Shape::kText;
  label.points = {at};
  label.text = std::move(text);
  label.fontSize = size;
  label.anchor = anchor;
  label.fill = colour;
  label.filled = true;
  label.stroked = false;
  label.bold = bold;
  label.role = role;
  shapes.push_back(std::move(label));
}

double EstimatedTextWidth(const std::string& utf8, double size) {
  // DejaVu Sans: digits and most letters are 0.64 em or narrower; capitals reach 0.77 em.
  double em = 0;
  for (const unsigned char ch : utf8) {
    if ((ch & 0xC0) == 0x80) continue;  // a UTF-8 continuation byte
    em += (ch >= 'A' && ch <= 'Z') || ch == 'm' || ch == 'w' ? 0.8 : ch == ' ' || ch == '.' || ch == ':' ? 0.35 : 0.64;
  }
  return em * size;
}

}  // namespace mixauto
