// Writes the DXF files of the three pattern types at the window's default
// inputs into a folder, as type1.dxf, type2.dxf and type3.dxf, and those of
// the edge hoods as <hood>-type<N>.dxf, for checks by an independent DXF
// reader. hoods.txt lists every file with the hood's H, L1 and L2.
#include "road/Road.h"

#include "tests/support/engine_fixtures.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

bool Write(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    if (!file.flush()) {
        std::fprintf(stderr, "%s: not written\n", path.c_str());
        return false;
    }
    return true;
}

// Writes the file of `type`, and its line in the list.
bool WriteHood(const std::string& folder, const std::string& name, const kiv::RaschetData& d,
               int type, std::ostringstream& list) {
    kiv::OutputRequest request;
    request.dxf = true;
    const kiv::HoodOutputs out = kiv::Produce(d, type, request);
    if (out.status != kiv::CalcStatus::Ok || out.fault != kiv::DrawingFault::None) {
        std::fprintf(stderr, "%s: no drawing\n", name.c_str());
        return false;
    }
    list.precision(17);
    list << name << ' ' << d.H << ' ' << d.L1 << ' ' << d.L2 << '\n';
    return Write(folder + "/" + name, out.dxf);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::ostringstream list;
    for (int type = 1; type <= 3; ++type) {
        if (!WriteHood(folder, "type" + std::to_string(type) + ".dxf", kiv::test::Defaults(), type,
                       list)) {
            return 1;
        }
    }
    for (const auto& hood : kiv::test::kEdgeHoods) {
        for (int type = 1; type <= hood.types; ++type) {
            const std::string name =
                std::string(hood.name) + "-type" + std::to_string(type) + ".dxf";
            if (!WriteHood(folder, name, hood.data(), type, list)) {
                return 1;
            }
        }
    }
    return Write(folder + "/hoods.txt", list.str()) ? 0 : 1;
}
