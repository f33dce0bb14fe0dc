#include "app/TQMRZL.h"
#include "app/TQMRZLParts.h"

#include "app/InfoTexts.h"
#include "app/Messages.h"
#include "input/SettingsFile.h"
#include "input/Validators.h"
#include "report/Texts.h"
#include "road/Road.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>

#include <algorithm>
#include <vector>

using form1::FromUtf8;
using form1::kScriptButtonCaption;

namespace {

const char* const kMissingSettings =
    "Не найден файл Kiv_ini.txt!\rЕще раз прочтите пункт 4а)\rописания работы программы.";

// The labels of the results keep their line breaks: "\r" separates the lines
// of the texts the reports build, and a label breaks lines only at "\n".
QString LabelLines(const std::string& text) {
    QString s = FromUtf8(text);
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

} // namespace

// ---------------------------------------------------------------------------
// Event dispatch

void TForm1::plainMessage(const QString& text) {
    messages_.show(Messages::Kind::Plain, title_, text);
}

bool TForm1::event(QEvent* e) {
    const bool handled = QMainWindow::event(e);
    // The settings are read at the first activation only: closing a message
    // box or coming back from another program activates the window again.
    // The flag is set first, so the activation that follows the missing-file
    // message does nothing.
    if (e->type() == QEvent::WindowActivate && !activated_) {
        activated_ = true;
        FormActivate();
    }
    return handled;
}

void TForm1::FormActivate() {
    guarded([&] {
        kiv::SettingsRead settings = kiv::ReadSettingsFile("Kiv_ini.txt");
        if (settings.notFound) {
            PageControl1->setEnabled(false);
            plainMessage(QString::fromUtf8(kMissingSettings));
            throw SilentAbort{};
        }
        RaschetData.OsmodeValue = std::move(settings.value);
    });
}

// ---------------------------------------------------------------------------
// Validators

QLineEdit* TForm1::fieldOf(kiv::Input in) const {
    switch (in) {
    case kiv::Input::S:
        return EditS;
    case kiv::Input::L1:
        return EditL1;
    case kiv::Input::L2:
        return EditL2;
    case kiv::Input::H:
        return EditH;
    case kiv::Input::FalthP1:
        return LEditFalthP1;
    case kiv::Input::FalthP2:
        return LEditFalthP2;
    case kiv::Input::AllP1:
        return LEditAllP1;
    case kiv::Input::AllP2:
        return LEditAllP2;
    case kiv::Input::AllD:
        return LEditAllD;
    }
    return nullptr;
}

kiv::FieldTexts TForm1::fieldTexts() const {
    kiv::FieldTexts texts;
    for (kiv::Input in : kiv::kAllInputs)
        texts[in] = fieldOf(in)->text().toStdString();
    return texts;
}

void TForm1::refuse(const kiv::Refusal& refusal) {
    if (refusal.verdict.kind == kiv::Verdict::NotANumber)
        throw ConversionError{refusal.verdict.message};
    plainMessage(FromUtf8(kiv::RefusalText(refusal)));
    fieldOf(refusal.input)->setFocus();
    throw SilentAbort{};
}

// ---------------------------------------------------------------------------
// Workflow

namespace {

// What one pattern type locks on confirmation and which labels and field it
// answers with.
struct TypeControls {
    std::vector<QLineEdit*> ownFields; // in locking order
    QLabel* b1;
    QLabel* b2;
    QLineEdit* p1; // takes the focus when the allowances do not fit
};

TypeControls ControlsOf(const TForm1& w, int type) {
    switch (type) {
    case 2:
        return {{w.LEditFalthP1, w.LEditFalthP2}, w.LabelFalthB1, w.LabelFalthB2, w.LEditFalthP1};
    case 3:
        return {
            {w.LEditAllP1, w.LEditAllP2, w.LEditAllD}, w.LabelAllB1, w.LabelAllB2, w.LEditAllP1};
    default:
        return {{}, w.LabelNoneB1, w.LabelNoneB2, nullptr};
    }
}

// Sets a one-line label's text so that all of it shows. A label whose
// designed box is too narrow widens about the point its alignment keeps (the
// left edge, the centre or the right edge) and moves in only as far as it
// must to stay on its page; a text that fits gives the designed box back.
void ShowWhole(QLabel* label, const QString& text) {
    static const char* const kDesigned = "designedGeometry";
    if (!label->property(kDesigned).isValid())
        label->setProperty(kDesigned, label->geometry());
    const QRect designed = label->property(kDesigned).toRect();
    label->setText(text);

    // A bold face's glyphs may reach a pixel beyond their advance.
    const QFontMetrics metrics = label->fontMetrics();
    const int needed =
        std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).width()) + 2 +
        (label->width() - label->contentsRect().width());
    QRect box = designed;
    if (needed > designed.width()) {
        const Qt::Alignment h =
            QStyle::visualAlignment(label->layoutDirection(), label->alignment()) &
            Qt::AlignHorizontal_Mask;
        box.setWidth(needed);
        if (h & Qt::AlignRight)
            box.moveRight(designed.right());
        else if (h & Qt::AlignHCenter)
            box.moveLeft(designed.left() - (needed - designed.width()) / 2);
        const QRect page = label->parentWidget()->rect();
        if (box.right() > page.right())
            box.moveRight(page.right());
        if (box.left() < page.left())
            box.moveLeft(page.left());
    }
    label->setGeometry(box);
}

} // namespace

void TForm1::ImageNoneDblClick() {
    confirm(1);
}
void TForm1::ImageFalthDblClick() {
    confirm(2);
}
void TForm1::ImageAllDblClick() {
    confirm(3);
}

void TForm1::confirm(int type) {
    guarded([&] {
        RaschetData.RazvType = type;
        const kiv::Confirmation c = kiv::Confirm(RaschetData, type, fieldTexts());
        if (c.credit)
            setWindowTitle(QString::fromUtf8(kiv::kCreditCaption));
        if (c.outcome == kiv::Outcome::Refused)
            refuse(c.refusal);

        enterConfirmedState(type);

        if (kiv::HasWire(kiv::PatternTypeOf(type)))
            LabelAllP->setText(FromUtf8(c.wireAllowance));
        showReport(type, c.report);
    });
}

void TForm1::showReport(int type, const kiv::TypeReport& report) {
    const TypeControls controls = ControlsOf(*this, type);
    if (report.status != kiv::CalcStatus::NotFinite)
        LabelRazv->setText(LabelLines(report.radii));

    switch (report.status) {
    case kiv::CalcStatus::AllowancesDoNotFit:
        enterInputState();
        plainMessage(QString::fromUtf8(kiv::OutcomeText(kiv::Outcome::AllowancesDoNotFit)));
        if (controls.p1 != nullptr)
            controls.p1->setFocus();
        return;
    case kiv::CalcStatus::NotFinite:
        // Inputs so large that the results overflow: nothing of them may be
        // shown or written, so the window goes back to its input state.
        enterInputState();
        plainMessage(QString::fromUtf8(kiv::OutcomeText(kiv::Outcome::NotFinite)));
        EditH->setFocus();
        return;
    case kiv::CalcStatus::Ok:
        ShowWhole(controls.b1, FromUtf8(report.b1));
        ShowWhole(controls.b2, FromUtf8(report.b2));
        LabelSpravka->setText(LabelLines(report.summary));
        return;
    }
}

void TForm1::enterInputState() {
    for (kiv::Input in : kiv::kAllInputs)
        fieldOf(in)->setEnabled(true);
    PageControl1->setEnabled(true);
    // The script button disables itself under the user's click.
    disableKeepingFocusHome({ButtonFileSCR, ButtonNewRaschet});
    LabelRazv->hide();
    LabelSpravka->hide();
    ButtonFileSCR->setText(QString::fromUtf8(kScriptButtonCaption));
    for (QLabel* l : {LabelNoneB1, LabelFalthB1, LabelAllB1})
        ShowWhole(l, QStringLiteral("B1"));
    for (QLabel* l : {LabelNoneB2, LabelFalthB2, LabelAllB2})
        ShowWhole(l, QStringLiteral("B2"));
    setState(0);
}

void TForm1::enterConfirmedState(int type) {
    std::vector<QWidget*> locked = {EditS, EditL1, EditL2, EditH};
    for (QLineEdit* f : ControlsOf(*this, type).ownFields)
        locked.push_back(f);
    locked.push_back(PageControl1);
    disableKeepingFocusHome(locked);
    ButtonFileSCR->setEnabled(true);
    ButtonNewRaschet->setEnabled(true);
    LabelRazv->show();
    LabelSpravka->show();
    setState(type);
}

void TForm1::disableKeepingFocusHome(const std::vector<QWidget*>& widgets) {
    // A control that is disabled while it has the focus hands it to the
    // window, not (as Qt would) to the next control.
    if (QWidget* focused = focusWidget()) {
        for (QWidget* w : widgets) {
            if (focused == w || w->isAncestorOf(focused)) {
                focused->clearFocus();
                break;
            }
        }
    }
    for (QWidget* w : widgets)
        w->setEnabled(false);
}

void TForm1::setState(int confirmedType) {
    confirmedType_ = confirmedType;
    syncMenu();
}

void TForm1::ButtonNewRaschetClick() {
    guarded([&] { enterInputState(); });
}

// ---------------------------------------------------------------------------
// Information

void TForm1::ButtonAboutProgramClick() {
    guarded([&] { plainMessage(AboutText()); });
}

void TForm1::ImageZontDblClick() {
    guarded([&] { plainMessage(HelpText()); });
}
