#pragma once

#include "core/RaschetData.h"
#include "road/Road.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class FileDialogs;
class HoodWindow3D;
namespace kiv {
struct TemplateDocument;
namespace sheets {
struct Hood;
struct NestedOrder;
} // namespace sheets
} // namespace kiv
class NestDialog;
struct NestRequest;
class PatternWindow;
class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QTabWidget;
class Messages;
class PictureWidget;

// Ends a user action that has already shown its own message: the handler's
// guard discards it without a further word.
struct SilentAbort {};

// A field text that is not a number. The handler's guard shows `text` (without
// the full stop) in the error box.
struct ConversionError {
    std::string text;
};

// The program's one window. Every control is a public member named as in the
// design, and that name is also its objectName, so tests and the
// accessibility bus find them. Handlers stay thin: they read fields, call the
// engine's libraries and set widget states.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // `messages` shows every box; `title` is the boxes' caption.
    TForm1(Messages& messages, const QString& title, QWidget* parent = nullptr);
    ~TForm1() override;

    kiv::RaschetData RaschetData; // the one calculation state

    // Controls, in the design's member order.
    PictureWidget* ImageZont;
    QLineEdit* EditL1;
    QLineEdit* EditL2;
    QLineEdit* EditH;
    QLineEdit* EditS;
    QLabel* LabelVvod;
    QPushButton* ButtonFileSCR;
    QPushButton* ButtonNewRaschet;
    QPushButton* ButtonAboutProgram;
    QLabel* LabelSpravka;
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    PictureWidget* ImageAll;
    PictureWidget* ImageFalth;
    PictureWidget* ImageNone;
    QLabel* LabelAllB1;
    QLabel* LabelAllB2;
    QLineEdit* LEditAllP1;
    QLineEdit* LEditAllP2;
    QLineEdit* LEditAllD;
    QLabel* LabelAllP;
    QLineEdit* LEditFalthP1;
    QLineEdit* LEditFalthP2;
    QLabel* LabelFalthB2;
    QLabel* LabelFalthB1;
    QLabel* LabelNoneB1;
    QLabel* LabelNoneB2;
    QLabel* LabelRazv;

    // The menu bar's commands. The file and view commands are enabled exactly
    // while a pattern is confirmed.
    QAction* ActionFileSCR;
    QAction* ActionExportDXF;
    QAction* ActionTemplatePDF;
    QAction* ActionPrintTemplate;
    QAction* ActionNestSheets;
    QAction* ActionPatternView;
    QAction* ActionHoodView3D;
    QAction* ActionExit;
    QAction* ActionHelp;
    QAction* ActionAbout;

    // Where "save as" questions go; the window asks with Qt's own dialog
    // until it is given another.
    void setFileDialogs(FileDialogs& dialogs);

    // Event handlers.
    void FormActivate();
    void ImageZontDblClick();
    void ImageNoneDblClick();
    void ImageFalthDblClick();
    void ImageAllDblClick();
    void ButtonFileSCRClick();
    void ButtonNewRaschetClick();
    void ButtonAboutProgramClick();
    void ExportDXFClick();
    void TemplatePDFClick();
    void PrintTemplateClick();
    void NestSheetsClick();
    void PatternViewClick();
    void HoodView3DClick();

    // Keystroke filters of the nine fields: `key` is the typed character; set
    // to 0, it is discarded before the field sees it, set to another
    // character, the field gets that one instead.
    void EditSKeyPress(char32_t& key);
    void EditL1KeyPress(char32_t& key);
    void EditL2KeyPress(char32_t& key);
    void EditHKeyPress(char32_t& key);
    void LEditFalthP1KeyPress(char32_t& key);
    void LEditFalthP2KeyPress(char32_t& key);
    void LEditAllP1KeyPress(char32_t& key);
    void LEditAllP2KeyPress(char32_t& key);
    void LEditAllDKeyPress(char32_t& key);

    // The script writers of the three pattern types.
    void RazvNoneSCR();
    void RazvFalthSCR();
    void RazvAllSCR();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    using KeyPressHandler = void (TForm1::*)(char32_t&);

    void createControls();
    void createMenu();
    void syncMenu();
    void setUpTabOrder();
    void bindEvents();

    // Runs a handler's body so that no exception reaches Qt's event loop.
    template <class Body> void guarded(Body&& body);
    void plainMessage(const QString& text);

    void filterKey(char32_t& key) const;
    bool filterFieldEvent(QLineEdit* field, KeyPressHandler handler, QEvent* e);
    std::optional<QString> typedThrough(KeyPressHandler handler, const QString& text);
    bool isMenuShortcut(const QKeyEvent* k) const;

    // The nine field texts as they stand.
    kiv::FieldTexts fieldTexts() const;
    // Shows a validator's refusal, puts the focus into its field and ends the
    // confirmation: through ConversionError for a text that is not a number,
    // else through SilentAbort.
    [[noreturn]] void refuse(const kiv::Refusal& refusal);
    void confirm(int type);
    void showReport(int type, const kiv::TypeReport& report);
    // The two states of the workflow. Each puts every control into its state
    // and makes the menu and the views follow.
    void enterInputState();
    void enterConfirmedState(int type);
    void disableKeepingFocusHome(const std::vector<QWidget*>& widgets);
    void setState(int confirmedType);
    void writeScript(int type);
    QString scriptName(int type) const;
    QString proposedPath(int type, const char* extension) const;
    bool confirmedPattern(int& type) const;
    bool templateOf(int type, kiv::Paper paper, kiv::TemplateDocument& doc);
    bool saveOrTell(const QString& path, const std::string& bytes);
    // Nests the copies the dialog asks for and writes the files, or says why not.
    void runNest();
    struct NestProgress;
    std::unique_ptr<QProgressDialog> makeNestProgress();
    // The search off the window's thread, with a progress dialog and its
    // cancel; false when the user cancelled.
    bool searchWithProgress(const std::vector<kiv::sheets::Hood>& hoods, const NestRequest& request,
                            kiv::sheets::NestedOrder& out, NestProgress& progress);
    // The files made and written off the window's thread, the sheets' pages
    // counted in the progress dialog; false when the user cancelled before
    // the writing began. A file that could not be made or written is left in
    // `fault` or `failures`.
    bool writeWithProgress(const kiv::sheets::NestedOrder& nested, const std::string& folder,
                           std::string& fault, std::vector<std::string>& failures, NestProgress& progress);
    // The views show the confirmed pattern, or their notice while there is none.
    void syncViews();
    // The menu's commands with their shortcuts in a view window, and Esc to close it.
    void shareMenu(QWidget* view);
    // Makes the view at its first opening, then brings it to the front.
    template <class View> void openView(View*& view);

    QLineEdit* fieldOf(kiv::Input in) const;
    QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                      int pixelSize, bool bold, Qt::Alignment alignment,
                      const char* valueExplained = nullptr);
    QLineEdit* makeField(QWidget* parent, const char* name, const QString& text, QRect geometry,
                         const QString& accessibleName);
    QLineEdit* makeLabelledField(QWidget* parent, const char* name, const QString& caption,
                                 const QString& text, QRect geometry,
                                 const QString& accessibleName);
    PictureWidget* makePicture(QWidget* parent, const char* name, const char* resource,
                               QRect geometry, const QString& accessibleName);

    Messages& messages_;
    std::unique_ptr<FileDialogs> ownDialogs_;
    FileDialogs* dialogs_;
    QString title_;
    bool activated_ = false;
    // 0 while the user enters sizes, else the type of the confirmed pattern.
    int confirmedType_ = 0;
    // One of each view at most, made at their first opening.
    PatternWindow* patternView_ = nullptr;
    HoodWindow3D* hoodView_ = nullptr;
    // The nesting dialog while it is open.
    QPointer<NestDialog> nestDialog_;
};
