// Small hand-made grids and an SVG reader for the picture tests.
#pragma once

#include <expat.h>

#include <string>
#include <vector>

#include "params/store.h"

namespace varno::map::testing {

// A grid of rows x cols nodes, 100 m apart from (X 1000, Y 2000), every node
// with dX = 0.1 + row / 100, dY = 0.2 + col / 100, dH = 0.05.
inline params::ParamStore SmallStore(int rows, int cols) {
  params::ParamStore s;
  s.zoneNo = 9;
  s.gridMinX = 1000;
  s.gridStepX = 100;
  s.gridMaxX = 1000 + (rows - 1) * 100.0;
  s.gridMinY = 2000;
  s.gridStepY = 100;
  s.gridMaxY = 2000 + (cols - 1) * 100.0;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      s.records.push_back(
          {1000 + r * 100.0, 2000 + c * 100.0, 0.1 + r / 100.0, 0.2 + c / 100.0, 0.05});
    }
  }
  s.count = static_cast<int32_t>(s.records.size() - 1);
  return s;
}

// What an SVG document holds, as read by expat.
struct SvgElement {
  std::string name, cls, title;
  std::vector<std::pair<std::string, std::string>> attrs;
  std::string Attr(const std::string& n) const {
    for (const auto& a : attrs) {
      if (a.first == n) return a.second;
    }
    return {};
  }
};

struct SvgDocument {
  bool wellFormed = false;
  std::string error;
  std::vector<SvgElement> elements;  // in document order
  // Elements whose class holds the word "point".
  std::vector<SvgElement> Points() const {
    std::vector<SvgElement> p;
    for (const SvgElement& e : elements) {
      if ((" " + e.cls + " ").find(" point ") != std::string::npos) p.push_back(e);
    }
    return p;
  }
};

inline SvgDocument ParseSvg(const std::string& text) {
  struct State {
    SvgDocument doc;
    std::vector<std::size_t> open;  // element indices
    bool inTitle = false;
  } st;
  XML_Parser p = XML_ParserCreate("UTF-8");
  XML_SetUserData(p, &st);
  XML_SetElementHandler(
      p,
      [](void* u, const XML_Char* name, const XML_Char** atts) {
        auto* s = static_cast<State*>(u);
        SvgElement e;
        e.name = name;
        for (int i = 0; atts[i]; i += 2) {
          e.attrs.emplace_back(atts[i], atts[i + 1]);
          if (std::string(atts[i]) == "class") e.cls = atts[i + 1];
        }
        s->inTitle = e.name == "title";
        s->doc.elements.push_back(e);
        s->open.push_back(s->doc.elements.size() - 1);
      },
      [](void* u, const XML_Char*) {
        auto* s = static_cast<State*>(u);
        s->open.pop_back();
        s->inTitle = false;
      });
  XML_SetCharacterDataHandler(p, [](void* u, const XML_Char* text, int len) {
    auto* s = static_cast<State*>(u);
    if (!s->inTitle || s->open.size() < 2) return;
    // The title belongs to the element around it.
    s->doc.elements[s->open[s->open.size() - 2]].title.append(text, static_cast<std::size_t>(len));
  });
  st.doc.wellFormed =
      XML_Parse(p, text.data(), static_cast<int>(text.size()), XML_TRUE) == XML_STATUS_OK;
  if (!st.doc.wellFormed) st.doc.error = XML_ErrorString(XML_GetErrorCode(p));
  XML_ParserFree(p);
  return st.doc;
}

}  // namespace varno::map::testing
