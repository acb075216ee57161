// PrintResult: the single-point result on one page. Two layers: the page
// model, built from the main window's field texts before any printer
// operation, and the renderer that puts it on a QPrinter by character
// columns ("ＭＳ 明朝", a full-width character taking two columns).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/report.h"

class QPrinter;

namespace varno {
struct ModuleState;
}

namespace varno::ui {

class FrmMain;

// What the page shows, as the main window and the module state hold it (UTF-8).
struct PrintFields {
  std::string txtTB, txtJB, txtTL, txtJL;          // latitudes, longitudes
  std::string txtTkyx, txtJgdx, txtTkyy, txtJgdy;  // X, Y
  std::string lblTkys, lblJgds, txtTkyh, txtJgdh;  // scale factors, H
  std::string lblTkyn, lblJgdn;                    // convergences
  std::string txtName;
  bool latLonMode = false;  // optBl selected
  std::string paraFilePath, paraVersion, paraRangeText;
  int zoneNo = 0;  // ZoneNo
};

// One item printed from a character column (1 = left edge of the printable area).
struct PageItem {
  int column = 1;
  std::string text;
};
struct PageLine {
  double pointSize = 11.0;
  std::vector<PageItem> items;  // empty: an empty line
};
struct ResultPage {
  std::vector<PageLine> lines;
};

// The page model. Throws VarnoError when a field to be printed is not a
// number (an empty field included).
ResultPage BuildResultPage(const PrintFields& fields);

// Columns a text takes: two for a character that is double-byte in CP932
// (or wide outside it), one otherwise.
int ColumnsOf(std::string_view utf8);

// A line laid out in rows of text: each item starts at its column, or at that
// column of a new row when the row is already past it.
std::vector<std::string> LayoutRows(const PageLine& line);

// Puts the page on the printer; false on any printer failure.
bool RenderResultPage(const ResultPage& page, QPrinter& printer);

// Builds, then prints. Any failure shows the printing message; nothing is
// printed when a field is not a number. True when the page was printed.
bool PrintResult(const PrintFields& fields, MessageService& messages, QPrinter& printer);

// The fields of the main window and the module state.
PrintFields ReadPrintFields(const FrmMain& main, const ModuleState& state);

// cmdPrint: prints the main window's point and disables cmdPrint.
void PrintResult(FrmMain& main, const ModuleState& state, MessageService& messages,
                 QPrinter& printer);

}  // namespace varno::ui
