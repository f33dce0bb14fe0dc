#pragma once

#include "nest/Nest.h"

#include <QDialog>
#include <QString>

class FileDialogs;
class QComboBox;
class QLineEdit;
class QPushButton;

// What the nesting dialog asks for.
struct NestRequest {
    int copies = 1;
    kiv::nest::Stock stock;
    kiv::nest::Options options; // gap, margin, turns and the search's time
    QString folder;
};

// "Раскрой на листах": the number of copies of the confirmed hood, the
// stock, gap, margin, turns, the search's time and the output folder. The
// window runs the nesting when "Раскроить" is pressed and closes the dialog
// once the files are written; a refusal leaves it open for a correction.
// Every control is named after its member, for tests and the accessibility bus.
class NestDialog : public QDialog {
    Q_OBJECT

public:
    NestDialog(QWidget* parent, FileDialogs& dialogs, const QString& folder);

    QLineEdit* EditCopies;
    QComboBox* ComboStock;
    QLineEdit* EditStockSize; // W x L of another sheet, or the coil's width
    QLineEdit* EditGap;
    QLineEdit* EditMargin;
    QComboBox* ComboTurns;
    QLineEdit* EditTime;
    QLineEdit* EditFolder;
    QPushButton* ButtonFolder;
    QPushButton* ButtonRun;
    QPushButton* ButtonCancel;

    // The stock choices in the order of ComboStock.
    enum StockChoice { Sheet1250, Sheet1000, Sheet1500, OtherSheet, Coil };

    // The fields as a request; false with the reason, in the user's words
    // ("\r" between lines), when a value is not acceptable.
    bool read(NestRequest& request, QString& error) const;

signals:
    void runRequested();

private:
    void syncStockSize();
    void pickFolder();

    FileDialogs& dialogs_;
};
