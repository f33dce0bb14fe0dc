// The script lines of the default hood (S 0.5, H 100, L1 200, L2 400; P1 3,
// P2 2 on both allowance pages; d 2), as AutoCAD reads them: the window's
// tests check the written files against the same lines.
#pragma once

#include <string>
#include <vector>

namespace kiv::test {

inline const std::vector<std::string> kHeaderOutlineFolds = {"_osmode",
                                                             "0",
                                                             "_pline",
                                                             "200.0000,0.0000",
                                                             "238.7426,196.2117",
                                                             "53.7525,272.2291",
                                                             "0.0000,141.4214",
                                                             "-53.7525,272.2291",
                                                             "-238.7426,196.2117",
                                                             "-200.0000,0.0000",
                                                             "_close",
                                                             "_line",
                                                             "0.0000,141.4214",
                                                             "200.0000,0.0000",
                                                             "",
                                                             "_line",
                                                             "0.0000,141.4214",
                                                             "238.7426,196.2117",
                                                             "",
                                                             "_line",
                                                             "0.0000,141.4214",
                                                             "-238.7426,196.2117",
                                                             "",
                                                             "_line",
                                                             "0.0000,141.4214",
                                                             "-200.0000,0.0000",
                                                             ""};

inline const std::vector<std::string> kSeamStrips = {
    "_pline", "53.7525,272.2291", "50.9776,273.3694",  "0.0000,149.3143",   "0.0000,141.4214",
    "",       "_pline",           "-53.7525,272.2291", "-51.9026,272.9893", "0.0000,146.6833",
    ""};

inline const std::vector<std::string> kWireOutline = {"_pline",
                                                      "53.7525,272.2291",
                                                      "55.6529,276.8539",
                                                      "240.6430,200.8364",
                                                      "238.7426,196.2117",
                                                      "243.6479,195.2431",
                                                      "204.9053,-0.9686",
                                                      "200.0000,0.0000",
                                                      "200.0000,-5.0000",
                                                      "-200.0000,-5.0000",
                                                      "-200.0000,0.0000",
                                                      "-204.9053,-0.9686",
                                                      "-243.6479,195.2431",
                                                      "-238.7426,196.2117",
                                                      "-240.6430,200.8364",
                                                      "-55.6529,276.8539",
                                                      "-53.7525,272.2291",
                                                      ""};

// The whole default script of pattern type 1, 2 or 3 as bytes, CRLF after
// every line, ending with the settings value `osmode`.
inline std::vector<std::string> DefaultScriptLines(int type, const std::string& osmode) {
    std::vector<std::string> lines = kHeaderOutlineFolds;
    if (type >= 2) {
        lines.insert(lines.end(), kSeamStrips.begin(), kSeamStrips.end());
    }
    if (type == 3) {
        lines.insert(lines.end(), kWireOutline.begin(), kWireOutline.end());
    }
    lines.push_back("_osmode");
    lines.push_back(osmode);
    return lines;
}

inline std::string Crlf(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& l : lines) {
        bytes += l + "\r\n";
    }
    return bytes;
}

} // namespace kiv::test
