// An order of hoods nested on stock sheets and turned into the workshop's
// files: a DXF per sheet, the sheets as PDF and the material summary. The
// `kiv nest` command and the window both go this way, so the same hoods and
// options give the same files from either.
#pragma once

#include "input/SaveFile.h"
#include "export/SheetDxf.h"
#include "export/ShopDrawing.h"
#include "nest/Nest.h"
#include "nest/Summary.h"

#include <functional>
#include <string>
#include <vector>

namespace kiv::sheets {

// A confirmed hood of the order.
struct Hood {
    int line = 0;          // of the order file, for messages and the summary
    std::string name;      // the order's name of the hood, may be empty
    std::string title;     // how a message names the hood ("строка 2 (a)")
    double thickness = 0;  // mm; hoods of one thickness share sheets
    int quantity = 1;
    ShopDrawing drawing;
};

// The hoods of one thickness: they share sheets, hoods of another do not.
struct Group {
    double thickness = 0;
    std::vector<Hood> hoods; // beside `parts`
    std::vector<int> numbers; // beside `hoods`: each one's place in the order, from 1
    std::vector<nest::Part> parts;
    nest::Layout layout, blanks;
    nest::MaterialSummary material, blankMaterial;
    int firstSheet = 0; // the number of this group's first sheet in the files, from 1
};

struct NestedOrder {
    // Why nothing may be written, in the user's words; empty when laid out.
    std::string refusal;
    bool cancelled = false; // the caller ended the search: nothing to write
    // Between the summary's cells, as in the order read: ';' also puts decimal
    // commas in its numbers, so that a spreadsheet set for them opens them as numbers.
    char separator = ',';
    nest::Stock stock;
    nest::Options options;
    std::vector<Group> groups; // by thickness, thinnest first
    int sheets = 0;
    int blankSheets = 0;
    double stockArea = 0, partsArea = 0; // mm^2, every group
};

// The progress of one search, named by `what` ("Раскрой S 0.5"); an empty
// Progress when the caller shows none.
using ProgressFor = std::function<nest::Progress(const std::string& what)>;

// Lays out every group, true shape and then as rectangular blanks. A part
// larger than the sheet refuses the order naming the hood and both sizes.
// `cancelled`, asked between the parts of every layout and after each
// search, ends the work with nothing to write; a search stops at its next
// step when the Progress answers false as well.
NestedOrder NestOrder(const std::vector<Hood>& hoods, const nest::Stock& stock,
                      const nest::Options& options, const ProgressFor& progress = {},
                      const std::function<bool()>& cancelled = {});

// What a copy is called on the sheets, in their DXF files and in the summary:
// its hood's place in the order and its own number, both from 1 ("3-2" is
// the second copy of the third hood), whoever nested the order.
std::string CopyLabel(int hood, int copy);

using OutputFile = NamedBytes; // a file's name in the output folder and its bytes

// The files of a laid-out order: sheet-N.dxf per sheet, nest-sheets.pdf,
// nest-summary.csv and nest-summary.json. The PDF is painted by Qt: call
// within a Qt application, on any thread (a QPdfWriter, no widgets). False,
// with `error`, when the PDF could not be made.
// `pagesDone`, told after each page of the PDF (and, with 0 pages done,
// after each sheet's DXF before them), ends the work with no files and no
// error when it answers false. Any one thread may make them.
using PagesDone = std::function<bool(int done, int pages)>;
bool OrderFiles(const NestedOrder& order, std::vector<OutputFile>& files, std::string& error,
                const PagesDone& pagesDone = {});

// Writes the files into `folder` (made when missing), all or none: a failure
// leaves every file of an earlier layout as it was, since a folder holding
// sheets of two layouts would be cut as one. Once all are written, sheets of
// an earlier, longer layout are removed. The failures, one line each, go
// into `failures`.
bool WriteOrderFiles(const std::string& folder, const std::vector<OutputFile>& files,
                     int sheets, std::vector<std::string>& failures);

// "Листов: 2, использование 71.3 %; прямоугольными заготовками: 3 листов"
std::string DoneText(const NestedOrder& order);

// Why the engine laid nothing out, in the user's words.
std::string FaultText(nest::NestFault fault);

// A size in millimetres as a user typed it: no trailing zeros after the point.
std::string Mm(double v);

// Parses "W x L" ("1250x2500", "1250X2500", "1250×2500", "1250,5x2500") into
// positive finite sizes, a decimal point or comma in each; false when the text
// is no such pair.
bool ParseSheetSize(const std::string& text, double& width, double& length);

// One sheet for the workshop's PDF.
struct SheetPageText {
    double length = 0, width = 0;
    std::vector<SheetPart> parts;
    std::string heading;
};

// The sheets as PDF bytes; false when Qt could not make the file.
bool SheetsPdfBytes(const std::vector<SheetPageText>& sheets, const std::string& title,
                    std::string& bytes, const PagesDone& pagesDone = {});

} // namespace kiv::sheets
