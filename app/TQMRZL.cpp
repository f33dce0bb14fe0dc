#include "app/TQMRZL.h"
#include "app/TQMRZLParts.h"

#include "app/FileDialogs.h"
#include "app/HoodView3D.h"
#include "app/InfoTexts.h"
#include "app/Messages.h"
#include "app/PatternView.h"
#include "app/PictureWidget.h"
#include "app/ValueLabel.h"
#include "export/Dxf.h"
#include "export/Template.h"
#include "export/TitleBlock.h"
#include "input/Conversion.h"
#include "input/KeyFilter.h"
#include "input/SettingsFile.h"
#include "input/Validators.h"
#include "paint/TemplatePainter.h"
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

// The design's font sizes, in pixels as a 96 dpi screen shows its points.
constexpr int kTextPixels = 13;  // 10 pt: the window's texts and the captions
constexpr int kValuePixels = 16; // 12 pt bold: the input fields and the blank sizes
constexpr int kTabPixels = 11;   // 8 pt: the page tabs, as the design's tab control

QFont DesignFont(int pixelSize, bool bold = false) {
    QFont f(kFontFamily);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

// What a field holds when the window opens, and its size.
QString Initial(kiv::Input in) {
    return QString::fromUtf8(kiv::InitialText(in));
}
double InitialSize(kiv::Input in) {
    return kiv::TextToFloat(kiv::InitialText(in)).value_or(0.0);
}

const char* const kWindowCaption = "Kiv_TQMRZL \"Ксилора\"";

// Client area of the window and where its frame stands on the screen.
constexpr QSize kClientSize(722, 508);
constexpr QPoint kFramePosition(209, 136);

constexpr int kCaptionGap = 3; // between a labelled field and its caption above it

// What the blank size labels show, for the accessibility bus.
const char* const kBlankWidth = "Ширина заготовки B1";
const char* const kBlankHeight = "Высота заготовки B2";

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

using form1::FromUtf8;
using form1::kScriptButtonCaption;

TForm1::TForm1(Messages& messages, const QString& title, QWidget* parent)
    : QMainWindow(parent), messages_(messages), ownDialogs_(std::make_unique<QtFileDialogs>()),
      dialogs_(ownDialogs_.get()), title_(title) {
    QFont::insertSubstitution(kFontFamily, QStringLiteral("Liberation Sans"));

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kWindowCaption));
    setWindowIcon(ProgramIcon());
    setFont(DesignFont(kTextPixels));
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
    field->setFont(DesignFont(kValuePixels, true));
    field->setAccessibleName(accessibleName);
    field->installEventFilter(this);
    return field;
}

QLineEdit* TForm1::makeLabelledField(QWidget* parent, const char* name, const QString& caption,
                                     const QString& text, QRect geometry,
                                     const QString& accessibleName) {
    // The caption is created first so that its field lies above it where the
    // two might touch.
    const QFont captionFont = DesignFont(kTextPixels);
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
                          QRect(15, 6, 240, 35), kTextPixels, false, kTopLeft);
    LabelVvod->setWordWrap(true);

    EditL1 = makeField(client, "EditL1", Initial(kiv::Input::L1), QRect(12, 172, 65, 24),
                       u("Ширина зонта L1, мм"));
    EditH = makeField(client, "EditH", Initial(kiv::Input::H), QRect(20, 68, 65, 24),
                      u("Высота зонта H, мм"));
    EditS = makeField(client, "EditS", Initial(kiv::Input::S), QRect(208, 56, 50, 24),
                      u("Толщина материала S, мм"));
    EditL2 = makeField(client, "EditL2", Initial(kiv::Input::L2), QRect(124, 228, 65, 24),
                       u("Длина зонта L2, мм"));

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
    PageControl1->setFont(DesignFont(kTabPixels));
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
    LabelNoneB1 = makeLabel(TabSheet1, "LabelNoneB1", u("B1"), QRect(156, 171, 75, 18),
                            kValuePixels, true, kTopCentre, kBlankWidth);
    LabelNoneB2 = makeLabel(TabSheet1, "LabelNoneB2", u("B2"), QRect(320, 83, 75, 18), kValuePixels,
                            true, kTopLeft, kBlankHeight);

    ImageFalth = makePicture(TabSheet2, "ImageFalth", ":/pictures/falth.svg",
                             QRect(72, 4, 365, 229), u("Развертка с припусками на фальц"));
    LabelFalthB2 = makeLabel(TabSheet2, "LabelFalthB2", u("B2"), QRect(348, 108, 75, 18),
                             kValuePixels, true, kTopLeft, kBlankHeight);
    LabelFalthB1 = makeLabel(TabSheet2, "LabelFalthB1", u("B1"), QRect(204, 187, 75, 18),
                             kValuePixels, true, kTopCentre, kBlankWidth);
    LEditFalthP1 = makeLabelledField(TabSheet2, "LEditFalthP1", u("Припуск Р1 ( >Р2 )"),
                                     Initial(kiv::Input::FalthP1), QRect(8, 20, 55, 24),
                                     u("Припуск Р1 на фальц, мм"));
    LEditFalthP2 =
        makeLabelledField(TabSheet2, "LEditFalthP2", u("Припуск Р2"), Initial(kiv::Input::FalthP2),
                          QRect(8, 72, 55, 24), u("Припуск Р2 на фальц, мм"));

    ImageAll = makePicture(TabSheet3, "ImageAll", ":/pictures/all.svg", QRect(72, 0, 361, 229),
                           u("Развертка с припусками на фальц и проволоку"));
    LabelAllB1 = makeLabel(TabSheet3, "LabelAllB1", u("B1"), QRect(200, 183, 75, 18), kValuePixels,
                           true, kTopCentre, kBlankWidth);
    LabelAllB2 = makeLabel(TabSheet3, "LabelAllB2", u("B2"), QRect(353, 99, 75, 18), kValuePixels,
                           true, kTopLeft, kBlankHeight);
    LabelAllP = makeLabel(
        TabSheet3, "LabelAllP", FromUtf8(kiv::WireAllowanceText(InitialSize(kiv::Input::AllD))),
        QRect(95, 120, 42, 18), kValuePixels, true, kTopRight, "Припуск на закатывание проволоки");
    LEditAllP1 = makeLabelledField(TabSheet3, "LEditAllP1", u("Припуск Р1 ( >= Р2 )"),
                                   Initial(kiv::Input::AllP1), QRect(8, 20, 55, 28),
                                   u("Припуск Р1 на фальц, мм"));
    LEditAllP2 =
        makeLabelledField(TabSheet3, "LEditAllP2", u("Припуск Р2"), Initial(kiv::Input::AllP2),
                          QRect(8, 72, 55, 24), u("Припуск Р2 на фальц, мм"));
    LEditAllD =
        makeLabelledField(TabSheet3, "LEditAllD", u("d проволоки"), Initial(kiv::Input::AllD),
                          QRect(8, 176, 55, 24), u("Диаметр проволоки d, мм"));

    LabelSpravka = makeLabel(client, "LabelSpravka", QString(), QRect(4, 264, 285, 205),
                             kTextPixels, false, kTopLeft, "Справка о заготовке и развертке");
    LabelSpravka->setWordWrap(true);
    LabelSpravka->hide();
    LabelRazv = makeLabel(client, "LabelRazv", QString(), QRect(296, 264, 421, 205), kTextPixels,
                          false, kTopLeft, "Радиусы для разметки");
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
    ActionNestSheets = action(file, "ActionNestSheets", "Раскрой на листах…", {});
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
                       ActionNestSheets, ActionPatternView, ActionHoodView3D})
        a->setEnabled(confirmed);
    syncViews();
}

void TForm1::bindEvents() {
    connect(ActionFileSCR, &QAction::triggered, this, &TForm1::ButtonFileSCRClick);
    connect(ActionExportDXF, &QAction::triggered, this, &TForm1::ExportDXFClick);
    connect(ActionPrintTemplate, &QAction::triggered, this, &TForm1::PrintTemplateClick);
    connect(ActionTemplatePDF, &QAction::triggered, this, &TForm1::TemplatePDFClick);
    connect(ActionNestSheets, &QAction::triggered, this, &TForm1::NestSheetsClick);
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
