// Drives the real window through real input events: typing goes through the
// keystroke filter, confirmations are double-clicks on the pictures, pages are
// chosen by clicking their tabs. Messages are recorded instead of shown, so no
// test ever waits on a modal box.
#pragma once

#include "app/FileDialogs.h"
#include "app/Messages.h"
#include "app/NestDialog.h"
#include "app/TQMRZL.h"
#include "road/Road.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

// Lets gtest print QStrings readably in failure messages.
void PrintTo(const QString& s, std::ostream* os);

// Remembers every message the window shows and returns at once.
class RecordingMessages : public Messages {
public:
    struct Shown {
        Kind kind;
        QString caption;
        QString text;
    };
    void show(Kind kind, const QString& caption, const QString& text) override;

    std::vector<Shown> shown;
};

// Answers every "save as" question at once with `answer` (empty: the user
// cancels) and remembers what was asked. The print preview "prints" into the
// PDF file `printTo` as a printer would, unless that is empty, on `printPaper`
// if one is given.
class ScriptedFileDialogs : public FileDialogs {
public:
    struct Asked {
        QString caption;
        QString proposed;
        QString filter;
        QString suffix;
    };
    QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                         const QString& filter, const QString& suffix) override;
    QString folderName(QWidget* parent, const QString& caption, const QString& proposed) override;
    void printPreview(QWidget* parent, QPrinter& printer,
                      const std::function<void(QPrinter*)>& paint) override;

    QString answer;
    QString folderAnswer; // the folder a folder question gets; empty: cancelled
    std::vector<QString> foldersProposed;
    std::vector<Asked> asked;
    QString printTo;
    QSizeF printPaper; // mm, as the user picks it in the preview; empty: as offered
    int previews = 0;
    QString offeredDocName;  // the printer's document name as the preview got it
    QString offeredFileName; // the file "print to file" proposes
};

// A file's whole contents, or "<cannot read>".
QByteArray ReadAll(const QString& path);

// The caption the window is given for its boxes.
inline const QString kTitle = QStringLiteral("Kiv_tqmrzl");

// The settings file the fixture writes unless a test says otherwise.
inline const QByteArray kDefaultSettings = QByteArrayLiteral("4133\r\n");

// Each test runs in a temporary working folder holding a default settings file.
// The window is opened by open() so that a test can change the folder first.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes `bytes` as Kiv_ini.txt in the working folder.
    void writeSettings(const QByteArray& bytes);
    // Constructs the window, shows it and activates it as a user would see it.
    void open();
    // Hands the activation to another window and back again.
    void reactivate();

    template <class W = QWidget> W* control(const char* name) const {
        auto* w = form->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << "no control " << name;
        return w;
    }
    QLineEdit* field(const char* name) const { return control<QLineEdit>(name); }
    QLabel* label(const char* name) const { return control<QLabel>(name); }

    // Replaces a field's text by typing: select everything with the keyboard,
    // erase it with Backspace, then type `text` key by key.
    void retype(QLineEdit* f, const QString& text);
    void retype(const char* name, const QString& text) { retype(field(name), text); }
    // Opens "Раскрой на листах…" as the menu does and returns its dialog.
    NestDialog* openNest();
    // Picks entry `index` of a list box with the keyboard.
    void choose(QComboBox* combo, int index);
    // Clicks the tab of page `index` (0-based).
    void clickTab(int index);
    // Double-clicks a picture at a point that no field or label covers.
    void doubleClickPicture(const char* name);
    void clickButton(const char* name);
    // Page k's tab, then a double-click on its picture.
    void confirm(int type);

    // The widget with the input focus, or nullptr when no control has it (the
    // window itself or its central widget holding it counts as no control).
    QWidget* focusedControl() const;
    // Every text any label of the window shows.
    std::vector<QString> labelTexts() const;
    std::string messageLog() const;

    RecordingMessages messages;
    ScriptedFileDialogs dialogs;
    std::unique_ptr<TForm1> form;
    QString workDir;

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString previousDir_;
    QTimer watchdog_;
};

// A window opened in its start state with the default settings file.
class OpenWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        open();
    }
};

// The state of every control that the workflow moves, for before/after
// comparisons and for checking the state table.
struct ControlState {
    QString name;
    bool ownDisabled;
    bool enabled;
    bool visible;
    QString text;
    bool operator==(const ControlState&) const = default;
};
std::vector<ControlState> Snapshot(const TForm1& form);
void PrintTo(const ControlState& s, std::ostream* os);

// The names of the controls as the window declares them.
inline const char* const kMainFields[] = {"EditS", "EditL1", "EditL2", "EditH"};
inline const char* const kFalthFields[] = {"LEditFalthP1", "LEditFalthP2"};
inline const char* const kAllFields[] = {"LEditAllP1", "LEditAllP2", "LEditAllD"};
// The field of each input, named case by case so that no copy of the
// inputs' order can drift.
constexpr const char* FieldOf(kiv::Input in) {
    switch (in) {
    case kiv::Input::S:
        return "EditS";
    case kiv::Input::L1:
        return "EditL1";
    case kiv::Input::L2:
        return "EditL2";
    case kiv::Input::H:
        return "EditH";
    case kiv::Input::FalthP1:
        return "LEditFalthP1";
    case kiv::Input::FalthP2:
        return "LEditFalthP2";
    case kiv::Input::AllP1:
        return "LEditAllP1";
    case kiv::Input::AllP2:
        return "LEditAllP2";
    case kiv::Input::AllD:
        return "LEditAllD";
    }
    return "";
}
// Every field, in the program's order of the inputs (kAllInputs).
inline constexpr std::size_t kFieldCount = std::size(kiv::kAllInputs);
inline constexpr std::array<const char*, kFieldCount> kAllNineFields = [] {
    std::array<const char*, kFieldCount> names{};
    for (std::size_t i = 0; i != kFieldCount; ++i)
        names[i] = FieldOf(kiv::kAllInputs[i]);
    return names;
}();
inline const char* const kBLabels[] = {"LabelNoneB1",  "LabelNoneB2", "LabelFalthB1",
                                       "LabelFalthB2", "LabelAllB1",  "LabelAllB2"};
