// Paints a scene with cairo into an SVG, PNG or PDF file, chosen by the file's extension
// (any case). Texts are real text in the scene's font (glyph outlines in SVG, embedded
// fonts in PDF). The file is written whole or not at all: a failure removes what was begun.
#pragma once

#include <string>

#include "pictures/Scene.h"

namespace mixauto {

enum class PictureFormat { kSvg, kPng, kPdf, kUnknown };

// By the extension of `path`: ".svg", ".png", ".pdf"; kUnknown for any other.
PictureFormat PictureFormatOf(const std::string& path);

// Writes the scene to the native path; "" or what went wrong.
std::string RenderScene(const Scene& scene, const std::string& path);

}  // namespace mixauto
