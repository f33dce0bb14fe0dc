// Goldens too long to sit in a test's source, read from tests/support/golden.
#pragma once

#include <string>

namespace kiv::test {

// The golden file's bytes; throws when it cannot be read, so a lost golden
// fails the test instead of comparing against nothing.
std::string Golden(const std::string& name);

} // namespace kiv::test
