#pragma once

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

// Every "save as" question and the print preview go through this interface,
// so the window's tests can answer them without a modal loop.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // Asks where to save; `proposed` is the full path offered, `filter` the
    // file types ("DXF (*.dxf)") and `suffix` the extension a typed name
    // without one gets ("dxf"). Returns the chosen path, or an empty string
    // when the user cancels.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                                 const QString& filter, const QString& suffix) = 0;

    // Asks for a folder, starting at `proposed`. Returns the chosen folder,
    // or an empty string when the user cancels.
    virtual QString folderName(QWidget* parent, const QString& caption,
                               const QString& proposed) = 0;

    // Shows `printer`'s document in a print preview, from which the user
    // prints through the print dialog; `paint` draws the document whenever
    // the preview or the printer needs it. Returns when the preview closes.
    virtual void printPreview(QWidget* parent, QPrinter& printer,
                              const std::function<void(QPrinter*)>& paint) = 0;
};

// Qt's own save dialog, the same on every desktop.
class QtFileDialogs : public FileDialogs {
public:
    QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                         const QString& filter, const QString& suffix) override;
    QString folderName(QWidget* parent, const QString& caption, const QString& proposed) override;
    void printPreview(QWidget* parent, QPrinter& printer,
                      const std::function<void(QPrinter*)>& paint) override;
};
