#include "app/Messages.h"
#include "app/QtTranslations.h"
#include "app/TQMRZL.h"

#include <QApplication>

int main(int argc, char* argv[]) {
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
