// "Файл → Раскрой на листах…": the dialog driven with real events, the files
// compared with what the nesting library writes for the same hood, refusals
// that write nothing, and a cancelled search.
#include "WindowFixture.h"

#include "road/Road.h"
#include "sheets/NestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <clocale>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// What the dialog is given: the fields typed, then the list boxes' choices.
struct Input {
    std::vector<std::pair<const char*, QString>> fields;
    int stock = NestDialog::Sheet1250;
    int turns = 0;
    bool pickFolder = false; // through the folder button, answered by the dialog seam
};

class NestTest : public OpenWindowTest {
protected:
    // Opens the dialog, fills it in and presses "Раскроить"; the dialog
    // while it stays open, else nullptr.
    NestDialog* run(const Input& in) {
        NestDialog* d = openNest();
        if (d == nullptr)
            return nullptr;
        if (in.pickFolder)
            QTest::mouseClick(d->ButtonFolder, Qt::LeftButton, {},
                              d->ButtonFolder->rect().center());
        choose(d->ComboStock, in.stock);
        choose(d->ComboTurns, in.turns);
        for (const auto& [name, text] : in.fields)
            retype(d->findChild<QLineEdit*>(QString::fromLatin1(name)), text);
        QPointer<NestDialog> alive(d);
        QTest::mouseClick(d->ButtonRun, Qt::LeftButton, {}, d->ButtonRun->rect().center());
        return alive != nullptr && alive->isVisible() ? alive.data() : nullptr;
    }

    QString out() const { return QDir(workDir).filePath(QStringLiteral("раскрой")); }
};

// The window's hood of pattern `type` with its initial texts, as `kiv nest`
// gives hoods to the library.
kiv::sheets::Hood InitialHood(int type, int copies) {
    const kiv::FieldTexts texts;
    const kiv::RoadResult road = kiv::RunRoad(type, texts, "0");
    std::string name = road.scriptName.substr(0, road.scriptName.size() - 4);
    return {1, name, "зонт " + name, road.data.S, copies, road.confirmation.drawing};
}

TEST_F(NestTest, DialogOffersTheDefaultsAndNamesEveryControl) {
    confirm(1);
    NestDialog* d = openNest();
    ASSERT_NE(d, nullptr);
    const struct {
        QLineEdit* field;
        QString text;
    } defaults[] = {
        {d->EditCopies, QStringLiteral("1")},        {d->EditGap, QStringLiteral("5")},
        {d->EditMargin, QStringLiteral("10")},       {d->EditTime, QStringLiteral("5")},
        {d->EditFolder, QDir::currentPath()},
    };
    for (const auto& r : defaults)
        EXPECT_EQ(r.field->text(), r.text) << r.field->objectName().toStdString();
    EXPECT_EQ(d->ComboStock->currentIndex(), NestDialog::Sheet1250);
    EXPECT_EQ(d->ComboTurns->currentIndex(), 0);
    // The size field takes a typed sheet or a coil's width, nothing else.
    for (int choice : {0, 1, 2, 3, 4}) {
        choose(d->ComboStock, choice);
        EXPECT_EQ(d->EditStockSize->isEnabled(),
                  choice == NestDialog::OtherSheet || choice == NestDialog::Coil)
            << choice;
    }
    for (QWidget* w : d->findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
            qobject_cast<QPushButton*>(w)) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }
}

TEST_F(NestTest, WritesWhatTheLibraryWritesForTheSameHood) {
    const struct {
        const char* what;
        int type;
        int copies;
        Input input;
        kiv::nest::Stock stock;
        double gap, margin;
        bool halfTurns;
    } rows[] = {
        {"three type 1 on the default sheet", 1, 3, {{{"EditCopies", "3"}}}, {1250, 2500, false},
         5, 10, false},
        {"five type 2 on 1000x2000, half turns",
         2,
         5,
         {{{"EditCopies", "5"}}, NestDialog::Sheet1000, 1},
         {1000, 2000, false},
         5,
         10,
         true},
        {"four type 3 on a coil 1000 wide, gap 8, margin 15",
         3,
         4,
         {{{"EditCopies", "4"}, {"EditStockSize", "1000"}, {"EditGap", "8"},
           {"EditMargin", "15"}},
          NestDialog::Coil},
         {1000, 0, true},
         8,
         15,
         false},
        {"two type 1 on a sheet typed with a Cyrillic х, a decimal comma",
         1,
         2,
         {{{"EditCopies", "2"}, {"EditStockSize", QStringLiteral("1500х2000,5")},
           {"EditGap", "2,5"}},
          NestDialog::OtherSheet},
         {1500, 2000.5, false},
         2.5,
         10,
         false},
    };
    int n = 0;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        messages.shown.clear();
        dialogs.foldersProposed.clear();
        confirm(r.type);
        const QString folder = out() + QString::number(n++);
        dialogs.folderAnswer = folder;
        Input in = r.input;
        in.pickFolder = true;
        in.fields.push_back({"EditTime", QStringLiteral("120")}); // every step, never the clock
        ASSERT_EQ(run(in), nullptr) << messageLog();
        // The working folder is offered first.
        ASSERT_EQ(dialogs.foldersProposed.size(), 1u);
        EXPECT_EQ(dialogs.foldersProposed[0], QDir::currentPath());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("Раскрой записан.\rЛистов: ")))
            << messageLog();
        EXPECT_TRUE(messages.shown[0].text.endsWith(QStringLiteral("\rПапка: ") + folder))
            << messageLog();

        kiv::nest::Options options;
        options.gap = r.gap;
        options.margin = r.margin;
        options.rotations = r.halfTurns ? kiv::nest::HalfTurns() : kiv::nest::QuarterTurns();
        options.timeLimit = 120;
        const kiv::sheets::NestedOrder nested =
            kiv::sheets::NestOrder({InitialHood(r.type, r.copies)}, r.stock, options);
        ASSERT_EQ(nested.refusal, "");
        std::vector<kiv::sheets::OutputFile> files;
        std::string error;
        ASSERT_TRUE(kiv::sheets::OrderFiles(nested, files, error)) << error;
        for (const auto& f : files) {
            const QString path = QDir(folder).filePath(QString::fromStdString(f.name));
            ASSERT_TRUE(QFileInfo::exists(path)) << f.name;
            if (f.name != "nest-sheets.pdf") { // the PDF carries the moment it was made
                EXPECT_EQ(ReadAll(path).toStdString(), f.bytes) << f.name;
            }
        }
        EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), static_cast<int>(files.size()));
        // Told of every sheet's drawing, no page painted yet, then of every
        // page; answering "stop" at the first leaves no file and no fault.
        std::vector<std::pair<int, int>> told;
        ASSERT_TRUE(kiv::sheets::OrderFiles(nested, files, error, [&](int done, int pages) {
            told.emplace_back(done, pages);
            return true;
        }));
        const int n = nested.sheets;
        ASSERT_EQ(told.size(), 2u * static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(told[static_cast<std::size_t>(i)], std::pair(0, n));
            EXPECT_EQ(told[static_cast<std::size_t>(n + i)], std::pair(i + 1, n));
        }
        EXPECT_FALSE(kiv::sheets::OrderFiles(nested, files, error, [](int, int) { return false; }));
        EXPECT_TRUE(files.empty());
        EXPECT_EQ(error, "");
        clickButton("ButtonNewRaschet");
    }
}

TEST_F(NestTest, RefusedInputWritesNothingAndKeepsTheDialogOpen) {
    const QString sizeFormat =
        QStringLiteral("Размер листа задается как ШИРИНАxДЛИНА в мм, например 1250x2500.");
    const QString copiesRange = QStringLiteral("Число зонтов должно быть целым числом от 1 до 9999.");
    const QString gapMargin = QStringLiteral("Зазор и поле должны быть неотрицательными числами, мм.");
    const QString tooLarge = QStringLiteral("Раскрой не построен:\rзонт 200x400x100x0.5: развертка ");
    const struct {
        const char* what;
        Input input;
        QString message; // the start of the one message
        QString tail;    // and its end, where the sizes are what matters
    } rows[] = {
        {"no copies", {{{"EditCopies", "0"}}}, copiesRange, {}},
        {"more copies than the dialog takes", {{{"EditCopies", "10000"}}}, copiesRange, {}},
        {"copies not a whole number", {{{"EditCopies", "2.5"}}}, copiesRange, {}},
        {"a negative gap", {{{"EditGap", "-1"}}}, gapMargin, {}},
        {"a margin that is no number", {{{"EditMargin", "10mm"}}}, gapMargin, {}},
        {"another sheet without its length",
         {{{"EditStockSize", "1250"}}, NestDialog::OtherSheet},
         sizeFormat,
         {}},
        {"a coil of no width",
         {{{"EditStockSize", "0"}}, NestDialog::Coil},
         QStringLiteral("Ширина рулона должна быть положительным числом, мм."),
         {}},
        {"no search time",
         {{{"EditTime", "0"}}},
         QStringLiteral("Время поиска должно быть числом секунд больше нуля и не больше 3600."),
         {}},
        {"no folder", {{{"EditFolder", ""}}}, QStringLiteral("Укажите папку для файлов раскроя."), {}},
        {"a sheet smaller than the hood",
         {{{"EditStockSize", "300x300"}}, NestDialog::OtherSheet},
         tooLarge,
         QStringLiteral(" мм не помещается на лист 300 × 300 мм с полем 10 мм; ничего не записано")},
        {"a margin that leaves the coil too narrow",
         {{{"EditStockSize", "500"}, {"EditMargin", "200"}}, NestDialog::Coil},
         tooLarge,
         QStringLiteral(" мм не помещается на рулон шириной 500 мм с полем 200 мм; ничего не "
                        "записано")},
    };
    confirm(1);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        messages.shown.clear();
        Input in = r.input;
        in.fields.insert(in.fields.begin(), {"EditFolder", out()});
        NestDialog* d = run(in);
        ASSERT_NE(d, nullptr) << "the dialog closed";
        ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
        EXPECT_TRUE(messages.shown[0].text.startsWith(r.message)) << messageLog();
        EXPECT_TRUE(messages.shown[0].text.endsWith(r.tail.isEmpty() ? r.message : r.tail))
            << messageLog();
        EXPECT_FALSE(QFileInfo::exists(out()));
        d->reject();
        QTest::qWait(0);
    }
}

// The application object takes the number locale from the environment; a
// Russian one must not change what the fields mean.
TEST_F(NestTest, FieldsReadTheSameInEveryLocale) {
    const struct {
        Input input;
        kiv::nest::Stock stock;
        double gap, margin, time;
    } rows[] = {
        {{{{"EditStockSize", "1250.5x2500"}, {"EditGap", "2.5"}, {"EditMargin", "7.5"}, {"EditTime", "5.5"}},
          NestDialog::OtherSheet}, {1250.5, 2500, false}, 2.5, 7.5, 5.5},
        {{{{"EditStockSize", "1250,5x2500"}, {"EditGap", "2,5"}, {"EditMargin", " 7,5 "}, {"EditTime", "5,5"}},
          NestDialog::OtherSheet}, {1250.5, 2500, false}, 2.5, 7.5, 5.5},
        {{{{"EditStockSize", "600,5"}}, NestDialog::Coil}, {600.5, 0, true}, 5, 10, 5},
    };
    confirm(1);
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    for (const char* locale : {"C", "ru_RU.UTF-8"}) {
        ASSERT_NE(std::setlocale(LC_NUMERIC, locale), nullptr) << locale << " (tools/setup.sh makes it)";
        for (const auto& r : rows) {
            SCOPED_TRACE(r.input.fields[0].second.toStdString() + " in " + locale);
            NestDialog* d = openNest();
            ASSERT_NE(d, nullptr);
            choose(d->ComboStock, r.input.stock);
            for (const auto& [name, text] : r.input.fields)
                retype(d->findChild<QLineEdit*>(QString::fromLatin1(name)), text);
            NestRequest q;
            QString error;
            EXPECT_TRUE(d->read(q, error)) << error.toStdString();
            EXPECT_EQ(std::tie(q.stock.width, q.stock.length, q.stock.coil, q.options.gap, q.options.margin,
                               q.options.timeLimit),
                      std::tie(r.stock.width, r.stock.length, r.stock.coil, r.gap, r.margin, r.time));
            d->reject();
            QTest::qWait(0);
        }
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST_F(NestTest, CancelledSearchWritesNothing) {
    confirm(1);
    // Cancels as soon as the search reports its first step.
    QTimer cancel;
    cancel.setInterval(20);
    bool cancelled = false;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        auto* progress = form->findChild<QProgressDialog*>(QStringLiteral("NestProgress"));
        if (progress == nullptr || !progress->isVisible() || progress->value() <= 0)
            return;
        auto* button = progress->findChild<QPushButton*>();
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        cancelled = true;
        cancel.stop();
    });
    cancel.start();
    NestDialog* d = run({{{"EditFolder", out()}, {"EditCopies", "40"}, {"EditTime", "600"}}});
    EXPECT_TRUE(cancelled);
    EXPECT_NE(d, nullptr) << "the dialog stays for another try";
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    EXPECT_FALSE(QFileInfo::exists(out()));
}

// "Отменить" ends the work at any moment before the files are written: while
// the first layout of many copies is still being made, and while the sheets'
// pages are painted; nothing is written, the dialog stays, and the work ends
// at once. The window's loop goes on meanwhile.
TEST_F(NestTest, CancelAtAnyMomentWritesNothingAndEndsAtOnce) {
    const struct {
        const char* what;
        const char* copies;
        const char* time;
        bool (*now)(const QProgressDialog&); // when to press "Отменить"
    } rows[] = {
        {"before the first layout of the most copies the dialog takes", "9999", "600",
         [](const QProgressDialog& p) { return p.value() == 0 && p.labelText() == QStringLiteral("Раскрой…"); }},
        {"while the sheets' pages are painted", "2000", "20",
         [](const QProgressDialog& p) { return p.labelText().startsWith(QStringLiteral("Листы PDF")); }},
    };
    confirm(1);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        messages.shown.clear();
        QElapsedTimer clock;
        qint64 pressed = -1, lastTick = -1, longestGap = 0;
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            if (lastTick >= 0)
                longestGap = std::max(longestGap, now - lastTick);
            lastTick = now;
            auto* progress = form->findChild<QProgressDialog*>(QStringLiteral("NestProgress"));
            if (pressed >= 0 || progress == nullptr || !progress->isVisible() || !r.now(*progress))
                return;
            auto* button = progress->findChild<QPushButton*>();
            ASSERT_NE(button, nullptr);
            QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
            pressed = clock.elapsed();
        });
        clock.start();
        watch.start();
        NestDialog* d = run({{{"EditFolder", out()}, {"EditCopies", r.copies}, {"EditTime", r.time}}});
        const qint64 ended = clock.elapsed();
        watch.stop();
        ASSERT_GE(pressed, 0) << "never the moment to cancel";
        EXPECT_LT(ended - pressed, 500) << "the work went on after the cancel";
        EXPECT_LT(longestGap, 500) << "the window stood still";
        ASSERT_NE(d, nullptr) << "the dialog stays for another try";
        EXPECT_TRUE(messages.shown.empty()) << messageLog();
        EXPECT_FALSE(QFileInfo::exists(out()));
        d->reject();
        QTest::qWait(0);
    }
}

} // namespace
