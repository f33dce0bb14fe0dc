#include "tests/support/golden.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kiv::test {

std::string Golden(const std::string& name) {
    const std::string path = std::string(KIV_GOLDEN_DIR) + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("no golden file " + path);
    }
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw std::runtime_error("cannot read the golden file " + path);
    }
    return bytes;
}

} // namespace kiv::test
