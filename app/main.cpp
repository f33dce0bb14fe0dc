#include "app/Messages.h"
#include "app/QtTranslations.h"
#include "app/TQMRZL.h"
#include "core/Version.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    // Answered before any window or display is needed.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("Kiv_TQMRZL %.*s\n", static_cast<int>(kiv::kVersion.size()),
                    kiv::kVersion.data());
        return 0;
    }
    QApplication app(argc, argv);
    InstallQtTranslations(app);
    BoxMessages boxes;
    TForm1 window(boxes, ProgramTitle(QCoreApplication::applicationFilePath()));
    window.show();
    // Ask for the input focus: the settings are read at the first activation,
    // and without a window manager (a bare X server) nothing else activates us.
    window.activateWindow();
    return app.exec();
}
