// The layers every DXF file declares, read back through dxflib: a CAM
// program maps layers to tools by name, colour and line type, so these are
// fixed facts of the files, whatever the table that writes them.
#include "core/Calculation.h"
#include "tests/support/engine_fixtures.h"
#include "export/Dxf.h"
#include "export/SheetDxf.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Layer {
    std::string name;
    int colour;
    std::string linetype;
    bool operator==(const Layer&) const = default;
};

void PrintTo(const Layer& l, std::ostream* os) {
    *os << l.name << " " << l.colour << " " << l.linetype;
}

class LayerReader : public DL_CreationAdapter {
public:
    std::vector<Layer> layers;
    std::set<std::string> used; // by an entity

    void addLayer(const DL_LayerData& data) override {
        layers.push_back({data.name, attributes.getColor(), attributes.getLinetype()});
    }
    void addPolyline(const DL_PolylineData&) override { used.insert(attributes.getLayer()); }
    void addLine(const DL_LineData&) override { used.insert(attributes.getLayer()); }
    void addText(const DL_TextData&) override { used.insert(attributes.getLayer()); }
};

// The dash lengths of the DASHED line type, read from the groups themselves:
// dxflib's reader does not report an R12 file's dashes.
std::vector<double> DashedPattern(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string code, value;
    std::vector<double> dashes;
    bool dashed = false;
    while (std::getline(in, code) && std::getline(in, value)) {
        const int c = std::stoi(code);
        if (c == 0)
            dashed = false;
        else if (c == 2)
            dashed = value == "DASHED";
        else if (c == 49 && dashed)
            dashes.push_back(std::stod(value));
    }
    return dashes;
}

LayerReader Read(const std::string& bytes) {
    LayerReader reader;
    std::stringstream in(bytes);
    DL_Dxf().in(in, &reader);
    return reader;
}

const Layer kDefault{"0", 7, "CONTINUOUS"}, kCut{"CUT", 7, "CONTINUOUS"},
    kFold{"FOLD", 1, "DASHED"}, kSeam{"SEAM", 3, "DASHED"}, kWire{"WIRE", 5, "DASHED"},
    kSheet{"SHEET", 8, "CONTINUOUS"}, kLabels{"LABELS", 2, "CONTINUOUS"};

std::string DrawingFile(int type) {
    kiv::RaschetData d = kiv::test::Defaults();
    const kiv::CalcResult calc = kiv::Calculate(d, type);
    return kiv::DxfBytes(d, type, calc.summary).bytes;
}

std::string SheetFile() {
    kiv::RaschetData d = kiv::test::Defaults();
    kiv::Calculate(d, 3);
    return kiv::SheetDxfBytes(3000, 1500, {{"1", kiv::ShopDrawingOf(d, 3)}});
}

TEST(DxfLayers, AreDeclaredWithTheirColoursAndLineTypes) {
    const struct {
        const char* name;
        std::string bytes;
        std::vector<Layer> layers;
    } rows[] = {
        {"plain pattern", DrawingFile(1), {kDefault, kCut, kFold}},
        {"seam pattern", DrawingFile(2), {kDefault, kCut, kFold, kSeam}},
        {"seam and wire pattern", DrawingFile(3), {kDefault, kCut, kFold, kSeam, kWire}},
        {"nested sheet", SheetFile(), {kDefault, kCut, kFold, kSeam, kWire, kSheet, kLabels}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_FALSE(r.bytes.empty());
        const LayerReader file = Read(r.bytes);
        EXPECT_EQ(file.layers, r.layers);
        // Dashes 6 mm, gaps 3 mm at full size, as the painted fold lines.
        EXPECT_EQ(DashedPattern(r.bytes), (std::vector<double>{6, -3}));
        // Nothing drawn on a layer the file does not declare, and no layer
        // declared for nothing (the default layer aside).
        std::set<std::string> declared;
        for (const Layer& l : r.layers)
            if (l.name != kDefault.name)
                declared.insert(l.name);
        EXPECT_EQ(file.used, declared);
    }
}

} // namespace
