// What the independent checkers (Debian's Python with ezdxf and shapely,
// poppler's programs) need from the machine. A test that needs one that is
// missing is skipped, saying what is missing, rather than failed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <unistd.h>

namespace kiv::test {

// Debian's own Python: one of another origin may lack Debian's modules.
inline constexpr const char* kDebianPython = "/usr/bin/python3";

// Empty when `program` is on the PATH, else what is missing.
inline std::string MissingProgram(const std::string& program) {
    const std::string probe = "command -v '" + program + "' >/dev/null 2>&1";
    return std::system(probe.c_str()) == 0 ? std::string()
                                           : program + " is missing (poppler-utils)";
}

// Empty when Debian's Python is there with every one of `modules`, else what
// is missing.
inline std::string MissingPython(std::initializer_list<const char*> modules) {
    if (::access(kDebianPython, X_OK) != 0) {
        return std::string(kDebianPython) + " is missing";
    }
    std::string missing;
    for (const char* module : modules) {
        const std::string probe = std::string("env -u PYTHONPATH -u PYTHONHOME ") + kDebianPython +
                                  " -c 'import " + module + "' >/dev/null 2>&1";
        if (std::system(probe.c_str()) != 0) {
            missing += (missing.empty() ? "" : ", ") + std::string(module);
        }
    }
    return missing.empty() ? missing
                           : "the Python module(s) " + missing + " missing from " + kDebianPython;
}

} // namespace kiv::test

// Skips the test, saying what is missing, when `missing` names anything.
#define KIV_SKIP_IF_MISSING(missing)                                                               \
    do {                                                                                           \
        if (const std::string kivMissing = (missing); !kivMissing.empty())                         \
            GTEST_SKIP() << kivMissing;                                                            \
    } while (false)
