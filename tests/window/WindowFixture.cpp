#include "WindowFixture.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPageSize>
#include <QPrinter>
#include <QTabBar>
#include <QTest>

#include <ostream>

void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

void RecordingMessages::show(Kind kind, const QString& caption, const QString& text) {
    shown.push_back({kind, caption, text});
}

void WindowTest::SetUp() {
    dir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(dir_->isValid());
    workDir = dir_->path();
    previousDir_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(workDir));
    writeSettings(kDefaultSettings);

    // The window must route every box through Messages; a real modal box
    // would hang the run, so one that opens anyway fails the test and is closed.
    // The nesting dialog and its progress are modal without a loop of their
    // own: tests drive them with events.
    watchdog_.setInterval(200);
    QObject::connect(&watchdog_, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->objectName() != QLatin1String("NestDialog") &&
            modal->objectName() != QLatin1String("NestProgress")) {
            ADD_FAILURE() << "a modal window opened: " << modal->windowTitle().toStdString();
            if (auto* d = qobject_cast<QDialog*>(modal))
                d->done(0);
            else
                modal->close();
        }
    });
    watchdog_.start();
}

void WindowTest::TearDown() {
    watchdog_.stop();
    form.reset();
    QDir::setCurrent(previousDir_);
    dir_.reset();
}

void WindowTest::writeSettings(const QByteArray& bytes) {
    QFile f(QDir(workDir).filePath(QStringLiteral("Kiv_ini.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<cannot read>");
    return f.readAll();
}

QString ScriptedFileDialogs::saveFileName(QWidget*, const QString& caption, const QString& proposed,
                                          const QString& filter, const QString& suffix) {
    asked.push_back({caption, proposed, filter, suffix});
    return answer;
}

QString ScriptedFileDialogs::folderName(QWidget*, const QString&, const QString& proposed) {
    foldersProposed.push_back(proposed);
    return folderAnswer;
}

void ScriptedFileDialogs::printPreview(QWidget*, QPrinter& printer,
                                       const std::function<void(QPrinter*)>& paint) {
    ++previews;
    offeredDocName = printer.docName();
    offeredFileName = printer.outputFileName();
    if (printTo.isEmpty())
        return;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printTo);
    if (!printPaper.isEmpty())
        printer.setPageSize(QPageSize(printPaper, QPageSize::Millimeter));
    paint(&printer);
}

void WindowTest::open() {
    form = std::make_unique<TForm1>(messages, kTitle);
    form->setFileDialogs(dialogs);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get())) << "the window never became active";
}

void WindowTest::reactivate() {
    QWidget other;
    other.resize(100, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
}

void WindowTest::retype(QLineEdit* f, const QString& text) {
    ASSERT_NE(f, nullptr);
    QTest::keyClick(f, Qt::Key_End);
    QTest::keyClick(f, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(f, Qt::Key_Backspace);
    // QTest types ASCII only; a Cyrillic letter comes as the text of a key
    // the keyboard has no code for, as from a Russian layout.
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(f, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, f, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    ASSERT_EQ(f->text(), text) << "typing into " << f->objectName().toStdString();
}

NestDialog* WindowTest::openNest() {
    form->ActionNestSheets->trigger();
    NestDialog* d = nullptr;
    for (NestDialog* each : form->findChildren<NestDialog*>()) {
        if (each->isVisible())
            d = each;
    }
    EXPECT_NE(d, nullptr) << "no nesting dialog";
    if (d != nullptr) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(d));
    }
    return d;
}

void WindowTest::choose(QComboBox* combo, int index) {
    ASSERT_NE(combo, nullptr);
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(combo->currentIndex(), index) << combo->objectName().toStdString();
}

void WindowTest::clickTab(int index) {
    auto* tabs = control<QTabWidget>("PageControl1");
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

void WindowTest::doubleClickPicture(const char* name) {
    QWidget* picture = control(name);
    ASSERT_NE(picture, nullptr);
    QWidget* parent = picture->parentWidget();
    // Look for a point of the picture that lies inside its parent and that no
    // overlaid field or label covers, so the click is one a user could make.
    const QRect r = picture->rect();
    for (int fy = 2; fy <= 8; ++fy) {
        for (int fx = 2; fx <= 8; ++fx) {
            const QPoint local(r.width() * fx / 10, r.height() * fy / 10);
            const QPoint inParent = picture->mapTo(parent, local);
            if (parent->rect().contains(inParent) && parent->childAt(inParent) == picture) {
                QTest::mouseDClick(picture, Qt::LeftButton, {}, local);
                return;
            }
        }
    }
    FAIL() << "no free point on " << name;
}

void WindowTest::clickButton(const char* name) {
    auto* b = control<QPushButton>(name);
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
}

void WindowTest::confirm(int type) {
    clickTab(type - 1);
    static const char* const pictures[] = {"ImageNone", "ImageFalth", "ImageAll"};
    doubleClickPicture(pictures[type - 1]);
}

QWidget* WindowTest::focusedControl() const {
    QWidget* w = QApplication::focusWidget();
    if (w == form.get() || w == form->centralWidget())
        return nullptr;
    return w;
}

std::vector<QString> WindowTest::labelTexts() const {
    std::vector<QString> texts;
    for (QLabel* l : form->findChildren<QLabel*>())
        texts.push_back(l->text());
    return texts;
}

std::string WindowTest::messageLog() const {
    std::string log;
    for (const auto& m : messages.shown)
        log += (m.kind == Messages::Kind::Plain ? "[plain] " : "[error] ") + m.text.toStdString() +
               "\n";
    return log.empty() ? "(no messages)" : log;
}

std::vector<ControlState> Snapshot(const TForm1& form) {
    static const char* const names[] = {"ImageZont",
                                        "EditL1",
                                        "EditL2",
                                        "EditH",
                                        "EditS",
                                        "LabelVvod",
                                        "ButtonFileSCR",
                                        "ButtonNewRaschet",
                                        "ButtonAboutProgram",
                                        "LabelSpravka",
                                        "PageControl1",
                                        "ImageAll",
                                        "ImageFalth",
                                        "ImageNone",
                                        "LabelAllB1",
                                        "LabelAllB2",
                                        "LEditAllP1",
                                        "LEditAllP2",
                                        "LEditAllD",
                                        "LabelAllP",
                                        "LEditFalthP1",
                                        "LEditFalthP2",
                                        "LabelFalthB2",
                                        "LabelFalthB1",
                                        "LabelNoneB1",
                                        "LabelNoneB2",
                                        "LabelRazv"};
    std::vector<ControlState> out;
    for (const char* name : names) {
        auto* w = form.findChild<QWidget*>(QString::fromLatin1(name));
        if (!w) {
            out.push_back(
                {QString::fromLatin1(name), false, false, false, QStringLiteral("<missing>")});
            continue;
        }
        QString text;
        if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            text = e->text();
        else if (auto* b = qobject_cast<QPushButton*>(w))
            text = b->text();
        else if (auto* t = qobject_cast<QTabWidget*>(w))
            text = QString::number(t->currentIndex());
        out.push_back({QString::fromLatin1(name), w->testAttribute(Qt::WA_ForceDisabled),
                       w->isEnabled(), w->isVisible(), text});
    }
    out.push_back({QStringLiteral("caption"), false, true, true, form.windowTitle()});
    return out;
}

void PrintTo(const ControlState& s, std::ostream* os) {
    *os << s.name.toStdString() << (s.ownDisabled ? " own-disabled" : "")
        << (s.enabled ? " enabled" : " not-enabled") << (s.visible ? " visible" : " hidden")
        << " \"" << s.text.toStdString() << '"';
}
