#pragma once

#include <QString>

class QWidget;

// Every "save as" question of the program goes through this interface, so
// the window's tests can answer it without a modal loop.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // Asks where to save; `proposed` is the full path offered, `filter` the
    // file types ("DXF (*.dxf)") and `suffix` the extension a typed name
    // without one gets ("dxf"). Returns the chosen path, or an empty string
    // when the user cancels.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                                 const QString& filter, const QString& suffix) = 0;
};

// Qt's own save dialog, the same on every desktop.
class QtFileDialogs : public FileDialogs {
public:
    QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                         const QString& filter, const QString& suffix) override;
};
