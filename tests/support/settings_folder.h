// A working folder of its own for a window outside the tests (the screenshot
// tool, the window benchmark), holding the settings file the window reads at
// activation with the usual value.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace kiv::test {

// Makes `dir` the working folder and writes the settings file into it; false
// when either fails.
inline bool EnterSettingsFolder(const QTemporaryDir& dir) {
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return false;
    QFile settings(QStringLiteral("Kiv_ini.txt"));
    return settings.open(QIODevice::WriteOnly) && settings.write("4133\r\n") == 6;
}

} // namespace kiv::test
