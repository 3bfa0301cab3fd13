#include "pictures/SvgWriter.h"

#include <cstdio>

namespace mixauto {

namespace {

std::string SvgNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  std::string out = text;
  if (out.size() > 2 && out.compare(out.size() - 2, 2, ".0") == 0) out.resize(out.size() - 2);
  return out == "-0" ? "0" : out;
}

std::string ColourText(const Colour& c) {
  char text[32];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
  return text;
}

std::string PaintAttributes(const Shape& shape) {
  std::string out = " fill=\"" + (shape.filled ? ColourText(shape.fill) : std::string("none")) + "\"";
  if (shape.filled && shape.fill.alpha < 1.0) out += " fill-opacity=\"" + SvgNumber(shape.fill.alpha * 100) + "%\"";
  if (shape.stroked) {
    out += " stroke=\"" + ColourText(shape.stroke) + "\" stroke-width=\"" + SvgNumber(shape.lineWidth) + "\"";
    if (shape.stroke.alpha < 1.0) out += " stroke-opacity=\"" + SvgNumber(shape.stroke.alpha * 100) + "%\"";
    if (shape.dashed) out += " stroke-dasharray=\"4 3\"";
  }
  return out;
}

std::string PointList(const std::vector<Point>& points) {
  std::string out;
  for (const Point& p : points) out += (out.empty() ? "" : " ") + SvgNumber(p.x) + "," + SvgNumber(p.y);
  return out;
}

std::string ElementOf(const Shape& shape) {
  const std::string cls = shape.role.empty() ? "" : " class=\"" + EscapedForXml(shape.role) + "\"";
  switch (shape.kind) {
    case Shape::kPolyline:
      return "<polyline" + cls + " points=\"" + PointList(shape.points) + "\"" + PaintAttributes(shape) + "/>";
    case Shape::kPolygon:
      return "<polygon" + cls + " points=\"" + PointList(shape.points) + "\"" + PaintAttributes(shape) + "/>";
    case Shape::kRect: {
      const Point a = shape.points[0], b = shape.points[1];
      return "<rect" + cls + " x=\"" + SvgNumber(a.x) + "\" y=\"" + SvgNumber(a.y) + "\" width=\"" + SvgNumber(b.x - a.x) +
             "\" height=\"" + SvgNumber(b.y - a.y) + "\"" + PaintAttributes(shape) + "/>";
    }
    case Shape::kText: {
      static const char* const kAnchors[] = {"start", "middle", "end"};
      return "<text" + cls + " x=\"" + SvgNumber(shape.points[0].x) + "\" y=\"" + SvgNumber(shape.points[0].y) +
             "\" font-size=\"" + SvgNumber(shape.fontSize) + "\" text-anchor=\"" + kAnchors[shape.anchor] + "\"" +
             (shape.bold ? " font-weight=\"bold\"" : "") + " fill=\"" + ColourText(shape.fill) + "\">" +
             EscapedForXml(shape.text) + "</text>";
    }
  }
  return "";
}

}  // namespace

std::string EscapedForXml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += ch;
    }
  }
  return out;
}

std::string SvgOfScene(const Scene& scene, const std::string& id) {
  std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\"" +
                    (id.empty() ? std::string() : " id=\"" + EscapedForXml(id) + "\"") + " width=\"" +
                    SvgNumber(scene.width) + "\" height=\"" + SvgNumber(scene.height) + "\" viewBox=\"0 0 " +
                    SvgNumber(scene.width) + " " + SvgNumber(scene.height) + "\" font-family=\"" + kSceneFont +
                    ", sans-serif\">\n";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"" + ColourText(scene.background) + "\"/>\n";
  for (const Shape& shape : scene.shapes) out += ElementOf(shape) + "\n";
  return out + "</svg>";
}

}  // namespace mixauto
