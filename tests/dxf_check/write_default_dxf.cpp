// Writes the DXF files of the three pattern types at the window's default
// inputs into a folder, as type1.dxf, type2.dxf and type3.dxf, for checks
// by an independent DXF reader.
#include "road/Road.h"

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    for (int type = 1; type <= 3; ++type) {
        kiv::OutputRequest request;
        request.dxf = true;
        const kiv::RoadResult road = kiv::RunRoad(type, kiv::FieldTexts(), "0", request);
        if (road.confirmation.outcome != kiv::Outcome::Confirmed ||
            road.outputs.fault != kiv::DrawingFault::None) {
            std::fprintf(stderr, "type %d: no drawing\n", type);
            return 1;
        }
        const std::string path = std::string(argv[1]) + "/type" + std::to_string(type) + ".dxf";
        std::ofstream file(path, std::ios::binary);
        file << road.outputs.dxf;
        if (!file.flush()) {
            std::fprintf(stderr, "%s: not written\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
