#include "app/TQMRZL.h"

#include "app/FileDialogs.h"
#include "app/HoodView3D.h"
#include "app/PatternView.h"
#include "app/InfoTexts.h"
#include "app/Messages.h"
#include "app/PictureWidget.h"
#include "app/SaveFile.h"
#include "input/SettingsFile.h"
#include "app/ValueLabel.h"
#include "paint/TemplatePainter.h"
#include "export/Dxf.h"
#include "export/Template.h"
#include "export/TitleBlock.h"
#include "input/KeyFilter.h"
#include "input/Validators.h"
#include "report/Texts.h"
#include "road/Road.h"
#include "script/Script.h"

#include <QAction>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QSvgRenderer>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <exception>
#include <initializer_list>
#include <optional>
#include <vector>

namespace {

// The design's font; Debian has no MS Sans Serif, Liberation Sans stands in.
const QString kFontFamily = QStringLiteral("MS Sans Serif");

QFont DesignFont(int pixelSize, bool bold = false) {
    QFont f(kFontFamily);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QString FromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

const char* const kWindowCaption = "Kiv_TQMRZL \"Ксилора\"";
const char* const kScriptButtonCaption = "Файл развертки \"по точкам\"";
const char* const kMissingSettings =
    "Не найден файл Kiv_ini.txt!\rЕще раз прочтите пункт 4а)\rописания работы программы.";

// Client area of the window and where its frame stands on the screen.
constexpr QSize kClientSize(722, 508);
constexpr QPoint kFramePosition(209, 136);

constexpr int kCaptionGap = 3; // between a labelled field and its caption above it

// What the blank size labels show, for the accessibility bus.
const char* const kBlankWidth = "Ширина заготовки B1";
const char* const kBlankHeight = "Высота заготовки B2";

// The labels of the results keep their line breaks: "\r" separates the lines
// of the texts the reports build, and a label breaks lines only at "\n".
QString LabelLines(const std::string& text) {
    QString s = FromUtf8(text);
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

// Tabs with less room beside their captions than the platform style gives,
// so that the three captions fit side by side in the tab control's width.
class NarrowTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace)
            return 10;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QIcon ProgramIcon() {
    QIcon icon;
    const struct {
        const char* path;
        int size;
    } sizes[] = {{":/pictures/icon16.svg", 16}, {":/pictures/icon.svg", 32}};
    for (const auto& s : sizes) {
        QSvgRenderer renderer(QString::fromLatin1(s.path));
        if (!renderer.isValid())
            continue;
        QPixmap pixmap(s.size, s.size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

TForm1::TForm1(Messages& messages, const QString& title, QWidget* parent)
    : QMainWindow(parent), messages_(messages), ownDialogs_(std::make_unique<QtFileDialogs>()),
      dialogs_(ownDialogs_.get()), title_(title) {
    QFont::insertSubstitution(kFontFamily, QStringLiteral("Liberation Sans"));

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kWindowCaption));
    setWindowIcon(ProgramIcon());
    setFont(DesignFont(13));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);

    createControls();
    createMenu();
    setUpTabOrder();
    bindEvents();

    // The menu bar sits above the client area, which keeps its designed size.
    resize(kClientSize.width(), kClientSize.height() + menuBar()->sizeHint().height());
    move(kFramePosition);
    EditL1->setFocus();
}

TForm1::~TForm1() = default;

void TForm1::setFileDialogs(FileDialogs& dialogs) {
    dialogs_ = &dialogs;
}

QLabel* TForm1::makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                          int pixelSize, bool bold, Qt::Alignment alignment,
                          const char* valueExplained) {
    // A label that shows a value is named on the accessibility bus by what it
    // shows; `valueExplained` says what the value is.
    QLabel* label = valueExplained != nullptr
                        ? new ValueLabel(text, QString::fromUtf8(valueExplained), parent)
                        : new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setFont(DesignFont(pixelSize, bold));
    label->setAlignment(alignment);
    label->setTextFormat(Qt::PlainText);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

QLineEdit* TForm1::makeField(QWidget* parent, const char* name, const QString& text, QRect geometry,
                             const QString& accessibleName) {
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setGeometry(geometry);
    field->setFont(DesignFont(16, true));
    field->setAccessibleName(accessibleName);
    field->installEventFilter(this);
    return field;
}

QLineEdit* TForm1::makeLabelledField(QWidget* parent, const char* name, const QString& caption,
                                     const QString& text, QRect geometry,
                                     const QString& accessibleName) {
    // The caption is created first so that its field lies above it where the
    // two might touch.
    const QFont captionFont = DesignFont(13);
    const QFontMetrics metrics(captionFont);
    const int height = metrics.height();
    const QRect captionBox(geometry.left(), geometry.top() - kCaptionGap - height,
                           metrics.horizontalAdvance(caption) + 2, height);
    QLabel* label = makeLabel(parent, (QByteArray(name) + "Label").constData(), caption, captionBox,
                              13, false, Qt::AlignLeft | Qt::AlignBottom);
    QLineEdit* field = makeField(parent, name, text, geometry, accessibleName);
    label->setBuddy(field);
    return field;
}

PictureWidget* TForm1::makePicture(QWidget* parent, const char* name, const char* resource,
                                   QRect geometry, const QString& accessibleName) {
    auto* picture = new PictureWidget(QString::fromLatin1(resource), parent);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setGeometry(geometry);
    picture->setAccessibleName(accessibleName);
    return picture;
}

void TForm1::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);

    const auto u = [](const char* s) { return QString::fromUtf8(s); };
    constexpr Qt::Alignment kTopLeft = Qt::AlignLeft | Qt::AlignTop;
    constexpr Qt::Alignment kTopCentre = Qt::AlignHCenter | Qt::AlignTop;
    constexpr Qt::Alignment kTopRight = Qt::AlignRight | Qt::AlignTop;

    // Each picture is created before the fields and labels that lie on it, so
    // that they are drawn over it and take the clicks that land on them.
    ImageZont = makePicture(client, "ImageZont", ":/pictures/zont.svg", QRect(-32, 50, 353, 213),
                            u("Изображение зонта"));

    LabelVvod = makeLabel(client, "LabelVvod",
                          u("Введите размеры зонта в мм (десятичный разделитель ТОЧКА) :"),
                          QRect(15, 6, 240, 35), 13, false, kTopLeft);
    LabelVvod->setWordWrap(true);

    EditL1 =
        makeField(client, "EditL1", u("200"), QRect(12, 172, 65, 24), u("Ширина зонта L1, мм"));
    EditH = makeField(client, "EditH", u("100"), QRect(20, 68, 65, 24), u("Высота зонта H, мм"));
    EditS =
        makeField(client, "EditS", u("0.5"), QRect(208, 56, 50, 24), u("Толщина материала S, мм"));
    EditL2 =
        makeField(client, "EditL2", u("400"), QRect(124, 228, 65, 24), u("Длина зонта L2, мм"));

    const auto makeButton = [&](const char* name, const QString& text, QRect geometry) {
        auto* button = new QPushButton(text, client);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(geometry);
        button->setAutoDefault(false);
        return button;
    };
    ButtonFileSCR = makeButton("ButtonFileSCR", u(kScriptButtonCaption), QRect(20, 475, 250, 33));
    ButtonFileSCR->setEnabled(false);
    ButtonNewRaschet =
        makeButton("ButtonNewRaschet", u("Новый расчет развертки"), QRect(312, 475, 250, 33));
    ButtonNewRaschet->setEnabled(false);
    ButtonAboutProgram =
        makeButton("ButtonAboutProgram", u("О программе"), QRect(572, 475, 141, 33));

    PageControl1 = new QTabWidget(client);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(295, 2, 422, 260);
    PageControl1->setFont(DesignFont(11));
    PageControl1->setTabPosition(QTabWidget::North);
    // All three captions stay whole: no eliding, and the tabs are made narrow
    // enough to fit side by side without scroll buttons.
    auto* tabStyle = new NarrowTabStyle;
    tabStyle->setParent(PageControl1);
    PageControl1->tabBar()->setStyle(tabStyle);
    PageControl1->tabBar()->setElideMode(Qt::ElideNone);
    PageControl1->tabBar()->setUsesScrollButtons(false);
    PageControl1->tabBar()->setExpanding(false);

    const auto makePage = [&](const char* name, const char* caption) {
        auto* page = new QWidget;
        page->setObjectName(QString::fromLatin1(name));
        // The pictures' lines stand on the window's background, as do the
        // labels that cover them.
        page->setAutoFillBackground(true);
        PageControl1->addTab(page, u(caption));
        return page;
    };
    TabSheet1 = makePage("TabSheet1", "Без припусков");
    TabSheet2 = makePage("TabSheet2", "С припусками на фальц");
    TabSheet3 = makePage("TabSheet3", "С припусками на фальц и проволоку");

    ImageNone = makePicture(TabSheet1, "ImageNone", ":/pictures/none.svg", QRect(36, 4, 345, 221),
                            u("Развертка без припусков"));
    LabelNoneB1 = makeLabel(TabSheet1, "LabelNoneB1", u("B1"), QRect(156, 171, 75, 18), 16, true,
                            kTopCentre, kBlankWidth);
    LabelNoneB2 = makeLabel(TabSheet1, "LabelNoneB2", u("B2"), QRect(320, 83, 75, 18), 16, true,
                            kTopLeft, kBlankHeight);

    ImageFalth = makePicture(TabSheet2, "ImageFalth", ":/pictures/falth.svg",
                             QRect(72, 4, 365, 229), u("Развертка с припусками на фальц"));
    LabelFalthB2 = makeLabel(TabSheet2, "LabelFalthB2", u("B2"), QRect(348, 108, 75, 18), 16, true,
                             kTopLeft, kBlankHeight);
    LabelFalthB1 = makeLabel(TabSheet2, "LabelFalthB1", u("B1"), QRect(204, 187, 75, 18), 16, true,
                             kTopCentre, kBlankWidth);
    LEditFalthP1 = makeLabelledField(TabSheet2, "LEditFalthP1", u("Припуск Р1 ( >Р2 )"), u("3"),
                                     QRect(8, 20, 55, 24), u("Припуск Р1 на фальц, мм"));
    LEditFalthP2 = makeLabelledField(TabSheet2, "LEditFalthP2", u("Припуск Р2"), u("2"),
                                     QRect(8, 72, 55, 24), u("Припуск Р2 на фальц, мм"));

    ImageAll = makePicture(TabSheet3, "ImageAll", ":/pictures/all.svg", QRect(72, 0, 361, 229),
                           u("Развертка с припусками на фальц и проволоку"));
    LabelAllB1 = makeLabel(TabSheet3, "LabelAllB1", u("B1"), QRect(200, 183, 75, 18), 16, true,
                           kTopCentre, kBlankWidth);
    LabelAllB2 = makeLabel(TabSheet3, "LabelAllB2", u("B2"), QRect(353, 99, 75, 18), 16, true,
                           kTopLeft, kBlankHeight);
    LabelAllP = makeLabel(TabSheet3, "LabelAllP", u("5.0"), QRect(95, 120, 42, 18), 16, true,
                          kTopRight, "Припуск на закатывание проволоки");
    LEditAllP1 = makeLabelledField(TabSheet3, "LEditAllP1", u("Припуск Р1 ( >= Р2 )"), u("3"),
                                   QRect(8, 20, 55, 28), u("Припуск Р1 на фальц, мм"));
    LEditAllP2 = makeLabelledField(TabSheet3, "LEditAllP2", u("Припуск Р2"), u("2"),
                                   QRect(8, 72, 55, 24), u("Припуск Р2 на фальц, мм"));
    LEditAllD = makeLabelledField(TabSheet3, "LEditAllD", u("d проволоки"), u("2"),
                                  QRect(8, 176, 55, 24), u("Диаметр проволоки d, мм"));

    LabelSpravka = makeLabel(client, "LabelSpravka", QString(), QRect(4, 264, 285, 205), 13, false,
                             kTopLeft, "Справка о заготовке и развертке");
    LabelSpravka->setWordWrap(true);
    LabelSpravka->hide();
    LabelRazv = makeLabel(client, "LabelRazv", QString(), QRect(296, 264, 421, 205), 13, false,
                          kTopLeft, "Радиусы для разметки");
    LabelRazv->setWordWrap(true);
    LabelRazv->hide();

    // The sizes on a confirmed page are the answer the user reads off, and the
    // page is disabled just then: they keep their ordinary colour. They lie
    // over the pictures' dimension lines, which they cover with the window's
    // background, so that no line runs through a figure.
    for (QLabel* l : {LabelNoneB1, LabelNoneB2, LabelFalthB1, LabelFalthB2, LabelAllB1, LabelAllB2,
                      LabelAllP}) {
        QPalette p = l->palette();
        p.setColor(QPalette::Disabled, QPalette::WindowText,
                   p.color(QPalette::Active, QPalette::WindowText));
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(group, QPalette::Window,
                       palette().color(QPalette::Active, QPalette::Window));
        l->setPalette(p);
        l->setAutoFillBackground(true);
    }
}

void TForm1::setUpTabOrder() {
    const std::initializer_list<QWidget*> order = {
        EditL1,
        EditH,
        EditS,
        EditL2,
        ButtonFileSCR,
        ButtonNewRaschet,
        ButtonAboutProgram,
        PageControl1,
        LEditFalthP1,
        LEditFalthP2,
        LEditAllP1,
        LEditAllP2,
        LEditAllD,
    };
    QWidget* previous = nullptr;
    for (QWidget* w : order) {
        if (previous != nullptr)
            setTabOrder(previous, w);
        previous = w;
    }
}

void TForm1::createMenu() {
    const auto u = [](const char* s) { return QString::fromUtf8(s); };
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    // In the window on every desktop, never moved to a global menu, so the
    // client area stands below it wherever the program runs.
    bar->setNativeMenuBar(false);

    const auto action = [&](QMenu* menu, const char* name, const char* text,
                            const QKeySequence& keys) {
        QAction* a = menu->addAction(u(text));
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        return a;
    };

    QMenu* file = bar->addMenu(u("Файл"));
    file->setObjectName(QStringLiteral("MenuFile"));
    ActionFileSCR = action(file, "ActionFileSCR", "Записать файл развертки (.scr)", {});
    ActionExportDXF = action(file, "ActionExportDXF", "Экспорт DXF…", QKeySequence(u("Ctrl+E")));
    ActionPrintTemplate =
        action(file, "ActionPrintTemplate", "Печать шаблона 1:1…", QKeySequence(u("Ctrl+P")));
    ActionTemplatePDF = action(file, "ActionTemplatePDF", "Шаблон в PDF…", {});
    file->addSeparator();
    ActionExit = action(file, "ActionExit", "Выход", QKeySequence(u("Ctrl+Q")));

    QMenu* view = bar->addMenu(u("Вид"));
    view->setObjectName(QStringLiteral("MenuView"));
    ActionPatternView =
        action(view, "ActionPatternView", "Развертка в масштабе…", QKeySequence(u("Ctrl+R")));
    ActionHoodView3D = action(view, "ActionHoodView3D", "Зонт в 3D…", QKeySequence(u("Ctrl+3")));

    QMenu* help = bar->addMenu(u("Справка"));
    help->setObjectName(QStringLiteral("MenuHelp"));
    ActionHelp = action(help, "ActionHelp", "Описание программы", QKeySequence(Qt::Key_F1));
    ActionAbout = action(help, "ActionAbout", "О программе", {});

    syncMenu();
}

void TForm1::syncMenu() {
    const bool confirmed = confirmedType_ != 0;
    for (QAction* a : {ActionFileSCR, ActionExportDXF, ActionPrintTemplate, ActionTemplatePDF,
                       ActionPatternView, ActionHoodView3D})
        a->setEnabled(confirmed);
    syncViews();
}

void TForm1::bindEvents() {
    connect(ActionFileSCR, &QAction::triggered, this, &TForm1::ButtonFileSCRClick);
    connect(ActionExportDXF, &QAction::triggered, this, &TForm1::ExportDXFClick);
    connect(ActionPrintTemplate, &QAction::triggered, this, &TForm1::PrintTemplateClick);
    connect(ActionTemplatePDF, &QAction::triggered, this, &TForm1::TemplatePDFClick);
    connect(ActionPatternView, &QAction::triggered, this, &TForm1::PatternViewClick);
    connect(ActionHoodView3D, &QAction::triggered, this, &TForm1::HoodView3DClick);
    connect(ActionExit, &QAction::triggered, this, &QWidget::close);
    connect(ActionHelp, &QAction::triggered, this, &TForm1::ImageZontDblClick);
    connect(ActionAbout, &QAction::triggered, this, &TForm1::ButtonAboutProgramClick);

    connect(ImageZont, &PictureWidget::doubleClicked, this, &TForm1::ImageZontDblClick);
    connect(ImageNone, &PictureWidget::doubleClicked, this, &TForm1::ImageNoneDblClick);
    connect(ImageFalth, &PictureWidget::doubleClicked, this, &TForm1::ImageFalthDblClick);
    connect(ImageAll, &PictureWidget::doubleClicked, this, &TForm1::ImageAllDblClick);
    connect(ButtonFileSCR, &QPushButton::clicked, this, &TForm1::ButtonFileSCRClick);
    connect(ButtonNewRaschet, &QPushButton::clicked, this, &TForm1::ButtonNewRaschetClick);
    connect(ButtonAboutProgram, &QPushButton::clicked, this, &TForm1::ButtonAboutProgramClick);
}

// ---------------------------------------------------------------------------
// Event dispatch

template <class Body> void TForm1::guarded(Body&& body) {
    // No exception may cross Qt's event loop: an action that has shown its own
    // message ends silently, a field that is not a number gets the error box,
    // and anything unforeseen is shown rather than ending the program.
    try {
        body();
    } catch (const SilentAbort&) {
    } catch (const ConversionError& err) {
        messages_.show(Messages::Kind::Error, title_, FromUtf8(err.text) + QLatin1Char('.'));
    } catch (const std::exception& err) {
        messages_.show(Messages::Kind::Error, title_, QString::fromLocal8Bit(err.what()));
    }
}

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
// Keystroke filter

void TForm1::filterKey(char32_t& key) const {
    key = kiv::TypedKey(key);
}

void TForm1::EditSKeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::EditL1KeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::EditL2KeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::EditHKeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::LEditFalthP1KeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::LEditFalthP2KeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::LEditAllP1KeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::LEditAllP2KeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::LEditAllDKeyPress(char32_t& key) {
    filterKey(key);
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
    const struct {
        QLineEdit* field;
        KeyPressHandler handler;
    } fields[] = {
        {EditS, &TForm1::EditSKeyPress},
        {EditL1, &TForm1::EditL1KeyPress},
        {EditL2, &TForm1::EditL2KeyPress},
        {EditH, &TForm1::EditHKeyPress},
        {LEditFalthP1, &TForm1::LEditFalthP1KeyPress},
        {LEditFalthP2, &TForm1::LEditFalthP2KeyPress},
        {LEditAllP1, &TForm1::LEditAllP1KeyPress},
        {LEditAllP2, &TForm1::LEditAllP2KeyPress},
        {LEditAllD, &TForm1::LEditAllDKeyPress},
    };
    for (const auto& f : fields) {
        if (watched == f.field)
            return filterFieldEvent(f.field, f.handler, e);
    }
    return QMainWindow::eventFilter(watched, e);
}

bool TForm1::filterFieldEvent(QLineEdit* field, KeyPressHandler handler, QEvent* e) {
    // What typing `text` enters, character by character through the field's
    // handler (a comma becomes a point); nothing when the handler discards
    // any character of it.
    const auto typed = [&](const QString& text) -> std::optional<QString> {
        QString entered;
        for (char32_t code : text.toUcs4()) {
            (this->*handler)(code);
            if (code == 0)
                return std::nullopt;
            entered += QString::fromUcs4(&code, 1);
        }
        return entered;
    };
    // Control with a key types a control character (Ctrl+V types 22) or
    // nothing at all; neither is a number's character. Ctrl+Alt is AltGr on
    // some keyboards and types ordinary characters, which the handler judges.
    const auto isControlChord = [](const QKeyEvent* k) {
        const Qt::KeyboardModifiers m = k->modifiers();
        return (m & Qt::ControlModifier) && !(m & Qt::AltModifier) && !k->text().isEmpty();
    };

    // A chord that is one of the menu's shortcuts goes to the menu: taken
    // here unaccepted, so the field cannot claim it (a line edit would take
    // Ctrl+E as "end of line") and the shortcut fires. While its command is
    // disabled, no shortcut fires and the key press is discarded below.
    const auto isMenuShortcut = [this](const QKeyEvent* k) {
        const QKeySequence keys(k->keyCombination());
        for (QAction* a : menuBar()->findChildren<QAction*>()) {
            if (!a->shortcut().isEmpty() && a->shortcut() == keys)
                return true;
        }
        return false;
    };

    switch (e->type()) {
    case QEvent::ShortcutOverride: {
        auto* k = static_cast<QKeyEvent*>(e);
        if (isMenuShortcut(k))
            return true;
        if (isControlChord(k)) {
            // Claimed here so that no shortcut acts on it; the key press that
            // follows is then discarded below.
            k->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(e);
        // Tab and Backtab move the focus; the editing keys that type no
        // character (Delete may come with a DEL text) work as usual.
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab || k->key() == Qt::Key_Delete)
            return false;
        if (k->text().isEmpty())
            return false;
        if (isControlChord(k))
            return true;
        const std::optional<QString> entered = typed(k->text());
        if (!entered)
            return true;
        if (*entered == k->text())
            return false;
        // The field gets the key of the character that the handler made of
        // the typed one, as if that key had been pressed.
        QKeyEvent replaced(k->type(), entered->size() == 1 ? entered->at(0).unicode() : 0,
                           k->modifiers(), *entered, k->isAutoRepeat(),
                           static_cast<quint16>(k->count()));
        QCoreApplication::sendEvent(field, &replaced);
        return true;
    }
    case QEvent::InputMethod: {
        auto* im = static_cast<QInputMethodEvent*>(e);
        const std::optional<QString> entered = typed(im->commitString());
        if (!entered)
            return true;
        if (*entered == im->commitString())
            return false;
        QInputMethodEvent replaced(im->preeditString(), im->attributes());
        replaced.setCommitString(*entered, im->replacementStart(), im->replacementLength());
        QCoreApplication::sendEvent(field, &replaced);
        return true;
    }
    default:
        return false;
    }
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
        const Qt::Alignment h = QStyle::visualAlignment(label->layoutDirection(),
                                                        label->alignment()) &
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

        if (type == 3)
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
// Script file

void TForm1::ButtonFileSCRClick() {
    guarded([&] {
        if (RaschetData.RazvType == 1)
            RazvNoneSCR();
        else if (RaschetData.RazvType == 2)
            RazvFalthSCR();
        else if (RaschetData.RazvType == 3)
            RazvAllSCR();
    });
}

void TForm1::RazvNoneSCR() {
    writeScript(1);
}
void TForm1::RazvFalthSCR() {
    writeScript(2);
}
void TForm1::RazvAllSCR() {
    writeScript(3);
}

QString TForm1::scriptName(int type) const {
    return FromUtf8(kiv::ScriptNameOf(type, fieldTexts()));
}

bool TForm1::saveOrTell(const QString& path, const std::string& bytes) {
    QString reason;
    if (SaveWhole(path, bytes, reason))
        return true;
    plainMessage(QString::fromUtf8("Не удалось записать файл\r") + QFileInfo(path).fileName() +
                 QString::fromUtf8(":\r") + reason);
    return false;
}

void TForm1::writeScript(int type) {
    const QString fileName = scriptName(type);
    const QString previousCaption = ButtonFileSCR->text();
    ButtonFileSCR->setText(FromUtf8(kiv::ScriptButtonCaption(fileName.toStdString())));

    if (!saveOrTell(QDir::current().filePath(fileName), kiv::ScriptBytes(RaschetData, type))) {
        // The caption names a file only when that file was written.
        ButtonFileSCR->setText(previousCaption);
    }
}

// ---------------------------------------------------------------------------
// Shop outputs

bool TForm1::confirmedPattern(int& type) const {
    type = confirmedType_;
    return type >= 1 && type <= 3;
}

QString TForm1::proposedPath(int type, const char* extension) const {
    return QDir::current().filePath(
        FromUtf8(kiv::OutputFileName(kiv::ScriptNameOf(type, fieldTexts()), extension)));
}

namespace {

// The date in a template's title block, as the user reads it.
std::string Today() {
    return QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")).toStdString();
}

QString ProgramFault(const char* what, kiv::DrawingFault fault) {
    return QString::fromUtf8("Ошибка программы: %1 не записан.\r").arg(QString::fromUtf8(what)) +
           QString::fromUtf8(kiv::DrawingFaultText(fault));
}

} // namespace

void TForm1::ExportDXFClick() {
    guarded([&] {
        int type = 0;
        if (!confirmedPattern(type))
            return;
        // The export reads the confirmed pattern and leaves the window's
        // state alone: the calculation runs again on a copy, which gives the
        // same points and the blank the contour is checked against.
        kiv::OutputRequest request;
        request.dxf = true;
        const kiv::HoodOutputs dxf = kiv::Produce(RaschetData, type, request);
        if (dxf.fault != kiv::DrawingFault::None) {
            messages_.show(Messages::Kind::Error, title_, ProgramFault("файл DXF", dxf.fault));
            return;
        }
        const QString path = dialogs_->saveFileName(
            this, QString::fromUtf8("Экспорт DXF"), proposedPath(type, "dxf"),
            QString::fromUtf8("Чертеж DXF (*.dxf)"), QStringLiteral("dxf"));
        if (path.isEmpty())
            return;
        saveOrTell(path, dxf.dxf);
    });
}

bool TForm1::templateOf(int type, double paperWidth, double paperHeight, TemplateDocument& doc) {
    const TemplateBuild build =
        MakeTemplate(RaschetData, type, {paperWidth, paperHeight}, Today(), doc);
    if (build.fault != kiv::DrawingFault::None) {
        messages_.show(Messages::Kind::Error, title_, ProgramFault("шаблон", build.fault));
        return false;
    }
    if (!build.fits) {
        plainMessage(QString::fromUtf8(
            "Шаблон не помещается на выбранную бумагу:\rслишком много листов или слишком "
            "маленький лист."));
        return false;
    }
    return true;
}

void TForm1::TemplatePDFClick() {
    guarded([&] {
        int type = 0;
        if (!confirmedPattern(type))
            return;
        TemplateDocument doc;
        if (!templateOf(type, kiv::kA4.width, kiv::kA4.height, doc))
            return;
        const QString path = dialogs_->saveFileName(
            this, QString::fromUtf8("Шаблон в PDF"), proposedPath(type, "pdf"),
            QString::fromUtf8("Документ PDF (*.pdf)"), QStringLiteral("pdf"));
        if (path.isEmpty())
            return;
        const QByteArray pdf = TemplatePdf(doc, QFileInfo(path).completeBaseName());
        if (pdf.isEmpty()) {
            messages_.show(Messages::Kind::Error, title_,
                           QString::fromUtf8("Ошибка программы: шаблон не записан."));
            return;
        }
        saveOrTell(path, pdf.toStdString());
    });
}

void TForm1::PrintTemplateClick() {
    guarded([&] {
        int type = 0;
        if (!confirmedPattern(type))
            return;
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        // The document is the hood: its name alone titles the preview, the
        // print job and a PDF printed from it. Printing to a file proposes
        // the working folder; a real printer, where there is one, stays the
        // one the print dialog offers first.
        const QString proposed = proposedPath(type, "pdf");
        printer.setDocName(QFileInfo(proposed).completeBaseName());
        printer.setOutputFileName(proposed);
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            printer.setOutputFormat(QPrinter::NativeFormat);
        // Checked once before the preview opens, so a faulty drawing is one
        // message, not one per repaint.
        TemplateDocument doc;
        if (!templateOf(type, kiv::kA4.width, kiv::kA4.height, doc))
            return;
        dialogs_->printPreview(this, printer, [&](QPrinter* p) {
            // The paper the user picked in the preview, as sold (portrait).
            const QSizeF paper = p->pageLayout().pageSize().size(QPageSize::Millimeter);
            const double w = std::min(paper.width(), paper.height());
            const double h = std::max(paper.width(), paper.height());
            // Laid out again, title lines included (they count the sheets).
            // Paper the template cannot use leaves the preview empty.
            if (w != doc.options.paper.width || h != doc.options.paper.height) {
                const TemplateBuild build = MakeTemplate(RaschetData, type, {w, h}, Today(), doc);
                if (build.fault != kiv::DrawingFault::None || !build.fits)
                    return;
            }
            PaintTemplate(*p, doc);
        });
    });
}

// ---------------------------------------------------------------------------
// Views

namespace {

std::optional<ConfirmedPattern> Confirmed(const kiv::RaschetData& state, int type, bool confirmed,
                                          QString name) {
    if (!confirmed || type < 1 || type > 3)
        return std::nullopt;
    // Calculated on a copy: the script button is enabled before the
    // confirmation has computed its points, and a view must never touch the
    // window's own state.
    ConfirmedPattern p{state, type, std::move(name), {}};
    const kiv::CalcResult calc = kiv::Calculate(p.data, type);
    if (calc.status != kiv::CalcStatus::Ok)
        return std::nullopt;
    p.summary = calc.summary;
    return p;
}

} // namespace

void TForm1::syncViews() {
    if (patternView_ == nullptr && hoodView_ == nullptr)
        return;
    int type = 0;
    const bool confirmed = confirmedPattern(type);
    QString name = confirmed ? scriptName(type) : QString();
    if (name.endsWith(QStringLiteral(".scr")))
        name.chop(4);
    const auto pattern = Confirmed(RaschetData, type, confirmed, name);
    if (patternView_ != nullptr)
        patternView_->setPattern(pattern);
    if (hoodView_ != nullptr)
        hoodView_->setPattern(pattern);
}

template <class View> void TForm1::openView(View*& view) {
    guarded([&] {
        if (view == nullptr) {
            view = new View(this);
            syncViews();
        }
        view->show();
        view->raise();
        view->activateWindow();
    });
}

void TForm1::PatternViewClick() {
    openView(patternView_);
}

void TForm1::HoodView3DClick() {
    openView(hoodView_);
}

// ---------------------------------------------------------------------------
// Information

void TForm1::ButtonAboutProgramClick() {
    guarded([&] { plainMessage(AboutText()); });
}

void TForm1::ImageZontDblClick() {
    guarded([&] { plainMessage(HelpText()); });
}
