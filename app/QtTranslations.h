#pragma once

class QCoreApplication;
class QTranslator;

// Qt's own dialogs (the save dialog, the print preview, the print dialog, the
// question before a file is replaced) speak Russian like the rest of the
// program, from Debian's translations of Qt. Returns the installed
// translator, owned by `app`, or nullptr where the translations are missing;
// the dialogs then stay English and everything else works as before.
QTranslator* InstallQtTranslations(QCoreApplication& app);
