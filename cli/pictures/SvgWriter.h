// The SVG text of a scene, for a page that holds its pictures inline: every shape an SVG
// element whose class is its role, texts as real <text> in the scene's font. Pure.
#pragma once

#include <string>

#include "pictures/Scene.h"

namespace mixauto {

// An <svg> element (no XML declaration) of the scene's size; `id` ("" for none) names it.
std::string SvgOfScene(const Scene& scene, const std::string& id = "");

// Text with &, <, >, " and ' escaped for XML and HTML.
std::string EscapedForXml(const std::string& text);

}  // namespace mixauto
