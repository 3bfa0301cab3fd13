#include "pictures/CairoRender.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

namespace mixauto {

namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

void SetColour(cairo_t* cr, const Colour& c) {
  cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.alpha);
}

void TracePath(cairo_t* cr, const Shape& shape) {
  if (shape.kind == Shape::kRect) {
    const Point a = shape.points[0], b = shape.points[1];
    cairo_rectangle(cr, a.x, a.y, b.x - a.x, b.y - a.y);
    return;
  }
  for (size_t i = 0; i < shape.points.size(); ++i) {
    if (i == 0) cairo_move_to(cr, shape.points[i].x, shape.points[i].y);
    else cairo_line_to(cr, shape.points[i].x, shape.points[i].y);
  }
  if (shape.kind == Shape::kPolygon) cairo_close_path(cr);
}

void PaintText(cairo_t* cr, const Shape& shape) {
  cairo_select_font_face(cr, kSceneFont, CAIRO_FONT_SLANT_NORMAL,
                         shape.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, shape.fontSize);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, shape.text.c_str(), &extents);
  double x = shape.points[0].x;
  if (shape.anchor == Shape::kMiddle) x -= extents.x_advance / 2;
  if (shape.anchor == Shape::kEnd) x -= extents.x_advance;
  SetColour(cr, shape.fill);
  cairo_move_to(cr, x, shape.points[0].y);
  cairo_show_text(cr, shape.text.c_str());
}

void Paint(cairo_t* cr, const Scene& scene) {
  SetColour(cr, scene.background);
  cairo_paint(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  for (const Shape& shape : scene.shapes) {
    if (shape.points.empty()) continue;
    if (shape.kind == Shape::kText) {
      PaintText(cr, shape);
      continue;
    }
    TracePath(cr, shape);
    if (shape.filled) {
      SetColour(cr, shape.fill);
      if (shape.stroked) cairo_fill_preserve(cr);
      else cairo_fill(cr);
    }
    if (shape.stroked) {
      SetColour(cr, shape.stroke);
      cairo_set_line_width(cr, shape.lineWidth);
      const double dashes[] = {4.0, 3.0};
      cairo_set_dash(cr, dashes, shape.dashed ? 2 : 0, 0);
      cairo_stroke(cr);
    }
  }
}

std::string StatusText(cairo_status_t status) { return cairo_status_to_string(status); }

}  // namespace

PictureFormat PictureFormatOf(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return PictureFormat::kUnknown;
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == "svg") return PictureFormat::kSvg;
  if (ext == "png") return PictureFormat::kPng;
  if (ext == "pdf") return PictureFormat::kPdf;
  return PictureFormat::kUnknown;
}

std::string RenderScene(const Scene& scene, const std::string& path) {
  const PictureFormat format = PictureFormatOf(path);
  if (format == PictureFormat::kUnknown) return "the picture's name must end in .svg, .png or .pdf";
  Surface surface;
  switch (format) {
    case PictureFormat::kSvg: surface.reset(cairo_svg_surface_create(path.c_str(), scene.width, scene.height)); break;
    case PictureFormat::kPdf: surface.reset(cairo_pdf_surface_create(path.c_str(), scene.width, scene.height)); break;
    default:
      surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(scene.width + 0.5),
                                               static_cast<int>(scene.height + 0.5)));
  }
  std::string error;
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    error = StatusText(cairo_surface_status(surface.get()));
  } else {
    Context cr(cairo_create(surface.get()));
    Paint(cr.get(), scene);
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) error = StatusText(cairo_status(cr.get()));
    cr.reset();
    if (error.empty() && format == PictureFormat::kPng) {
      const cairo_status_t written = cairo_surface_write_to_png(surface.get(), path.c_str());
      if (written != CAIRO_STATUS_SUCCESS) error = StatusText(written);
    }
    cairo_surface_finish(surface.get());
    if (error.empty() && cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
      error = StatusText(cairo_surface_status(surface.get()));
    }
  }
  surface.reset();
  if (!error.empty()) std::remove(path.c_str());
  return error.empty() ? "" : "cannot write " + path + ": " + error;
}

}  // namespace mixauto
