// Confirming a pattern type, the locked state it leaves, the reaction to
// allowances that do not fit, and the way back to input.
#include "WindowFixture.h"
#include "tests/support/default_reports.h"

#include <QApplication>
#include <QTest>

namespace {

const QString kDefaultRadii = QString::fromStdString(kiv::test::kDefaultRadii);

const QString kAllowancesDoNotFit =
    QStringLiteral("Введенные припуски на фальц выполнить невозможно,\r"
                   "они слишком большие для введенных габаритов зонта.\r"
                   "Необходимо уменьшить припуски на фальц либо изме-\r"
                   "нить габариты зонта!");

const QString kScriptCaption = QStringLiteral("Файл развертки \"по точкам\"");

struct ConfirmedCase {
    const char* name;
    int type;
    const char* b1Label;
    const char* b2Label;
};

const ConfirmedCase kConfirmed[] = {
    {"Type1WithoutAllowances", 1, "LabelNoneB1", "LabelNoneB2"},
    {"Type2SeamAllowances", 2, "LabelFalthB1", "LabelFalthB2"},
    {"Type3SeamAndWire", 3, "LabelAllB1", "LabelAllB2"},
};

// A label's text with its line breaks written as "\r", the way the texts are
// built; a label cannot show a bare "\r" as a break, so none may be left in it.
QString Lines(const QLabel* l) {
    QString text = l->text();
    EXPECT_FALSE(text.contains(QLatin1Char('\r')))
        << l->objectName().toStdString() << " would show its lines run together";
    text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    text.replace(QChar::LineSeparator, QLatin1Char('\r'));
    return text;
}

class WorkflowTest : public OpenWindowTest {
protected:
    // Everything unlocked, nothing shown: the start state and the state after
    // a new calculation or a failed confirmation.
    void expectInputState() {
        for (const char* name : kAllNineFields) {
            EXPECT_FALSE(field(name)->testAttribute(Qt::WA_ForceDisabled)) << name;
            EXPECT_TRUE(field(name)->isEnabled()) << name;
        }
        EXPECT_TRUE(form->PageControl1->isEnabled());
        EXPECT_FALSE(form->ButtonFileSCR->isEnabled());
        EXPECT_FALSE(form->ButtonNewRaschet->isEnabled());
        EXPECT_TRUE(form->ButtonAboutProgram->isEnabled());
        EXPECT_TRUE(control("ImageZont")->isEnabled());
        EXPECT_TRUE(form->LabelRazv->isHidden());
        EXPECT_TRUE(form->LabelSpravka->isHidden());
        EXPECT_EQ(form->ButtonFileSCR->text(), kScriptCaption);
    }

    void expectConfirmedState(int type) {
        for (const char* name : kMainFields)
            EXPECT_TRUE(field(name)->testAttribute(Qt::WA_ForceDisabled)) << name;
        // A page field is disabled itself only when it belongs to the confirmed
        // type; the others are enabled but out of reach on the locked tab control.
        for (const char* name : kFalthFields) {
            EXPECT_EQ(field(name)->testAttribute(Qt::WA_ForceDisabled), type == 2) << name;
            EXPECT_FALSE(field(name)->isEnabled()) << name;
        }
        for (const char* name : kAllFields) {
            EXPECT_EQ(field(name)->testAttribute(Qt::WA_ForceDisabled), type == 3) << name;
            EXPECT_FALSE(field(name)->isEnabled()) << name;
        }
        EXPECT_TRUE(form->PageControl1->testAttribute(Qt::WA_ForceDisabled));
        EXPECT_TRUE(form->ButtonFileSCR->isEnabled());
        EXPECT_TRUE(form->ButtonNewRaschet->isEnabled());
        EXPECT_TRUE(form->ButtonAboutProgram->isEnabled());
        EXPECT_TRUE(control("ImageZont")->isEnabled());
        EXPECT_TRUE(form->LabelRazv->isVisible());
        EXPECT_TRUE(form->LabelSpravka->isVisible());
    }

    void expectBLabelsReset() {
        for (size_t i = 0; i < std::size(kBLabels); ++i)
            EXPECT_EQ(label(kBLabels[i])->text(),
                      i % 2 ? QStringLiteral("B2") : QStringLiteral("B1"))
                << kBLabels[i];
    }
};

class ConfirmType : public WorkflowTest, public ::testing::WithParamInterface<ConfirmedCase> {};

void PrintTo(const ConfirmedCase& c, std::ostream* os) {
    *os << c.name;
}

TEST_P(ConfirmType, FromDefaultsLocksInputsAndShowsResults) {
    const ConfirmedCase& c = GetParam();
    confirm(c.type);
    ASSERT_TRUE(messages.shown.empty()) << messageLog();
    EXPECT_EQ(form->RaschetData.RazvType, c.type);
    expectConfirmedState(c.type);

    const kiv::test::DefaultReport& report = kiv::test::DefaultReportOf(c.type);
    EXPECT_EQ(label(c.b1Label)->text(), QString::fromLatin1(report.b1));
    EXPECT_EQ(label(c.b2Label)->text(), QString::fromLatin1(report.b2));
    for (const char* name : kBLabels) {
        if (name != std::string(c.b1Label) && name != std::string(c.b2Label)) {
            EXPECT_TRUE(label(name)->text() == "B1" || label(name)->text() == "B2") << name;
        }
    }
    EXPECT_EQ(form->LabelAllP->text(), QStringLiteral("5.0"));
    EXPECT_EQ(Lines(form->LabelRazv), kDefaultRadii);
    EXPECT_EQ(Lines(form->LabelSpravka), QString::fromUtf8(report.summary));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Kiv_TQMRZL \"Ксилора\""))
        << "the defaults do not add up to the credit number";

    // Every field was locked while it had the focus or not: no control keeps it.
    EXPECT_EQ(focusedControl(), nullptr)
        << "focus on " << focusedControl()->objectName().toStdString();
}

TEST_P(ConfirmType, LockedStateIgnoresTabsAndPictures) {
    const ConfirmedCase& c = GetParam();
    confirm(c.type);
    ASSERT_TRUE(messages.shown.empty()) << messageLog();
    const auto before = Snapshot(*form);

    for (int page = 0; page < 3; ++page) {
        clickTab(page);
        EXPECT_EQ(form->PageControl1->currentIndex(), c.type - 1) << "tab " << page << " switched";
    }
    for (const char* picture : {"ImageNone", "ImageFalth", "ImageAll"})
        QTest::mouseDClick(control(picture), Qt::LeftButton, {}, QPoint(150, 100));
    EXPECT_EQ(form->RaschetData.RazvType, c.type);
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    EXPECT_EQ(Snapshot(*form), before);
}

TEST_P(ConfirmType, NewCalculationReturnsToInput) {
    const ConfirmedCase& c = GetParam();
    // Changed texts show that the fields keep what the user typed.
    retype("EditL2", "450");
    if (c.type == 2)
        retype("LEditFalthP1", "4");
    if (c.type == 3)
        retype("LEditAllD", "3");
    confirm(c.type);
    ASSERT_TRUE(messages.shown.empty()) << messageLog();
    clickButton("ButtonFileSCR");
    ASSERT_NE(form->ButtonFileSCR->text(), kScriptCaption);
    const QString radii = form->LabelRazv->text();
    const QString allP = form->LabelAllP->text();

    clickButton("ButtonNewRaschet");
    expectInputState();
    expectBLabelsReset();
    EXPECT_EQ(form->EditL2->text(), "450");
    EXPECT_EQ(form->LEditFalthP1->text(), c.type == 2 ? "4" : "3");
    EXPECT_EQ(form->LEditAllD->text(), c.type == 3 ? "3" : "2");
    EXPECT_EQ(form->LabelAllP->text(), allP);
    EXPECT_EQ(form->LabelRazv->text(), radii) << "hidden, not cleared";
    EXPECT_EQ(form->PageControl1->currentIndex(), c.type - 1);
    EXPECT_EQ(form->RaschetData.RazvType, c.type);
    // The button that was clicked disabled itself: the focus is nowhere.
    EXPECT_EQ(focusedControl(), nullptr)
        << "focus on " << focusedControl()->objectName().toStdString();
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
}

INSTANTIATE_TEST_SUITE_P(Window, ConfirmType, ::testing::ValuesIn(kConfirmed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WorkflowTest, WireAllowanceFollowsTheDiameter) {
    const struct {
        const char* d;
        const char* shown;
    } rows[] = {{"10", "25.0"}, {"1", "2.5"}, {"2", "5.0"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.d);
        clickTab(2);
        retype("LEditAllD", row.d);
        confirm(3);
        ASSERT_TRUE(messages.shown.empty()) << messageLog();
        EXPECT_EQ(form->LabelAllP->text(), QString::fromLatin1(row.shown));
        clickButton("ButtonNewRaschet");
        EXPECT_EQ(form->LabelAllP->text(), QString::fromLatin1(row.shown)) << "not reset";
    }
}

TEST_F(WorkflowTest, PageOneAfterAPageTwoRound) {
    confirm(2);
    ASSERT_TRUE(messages.shown.empty()) << messageLog();
    EXPECT_EQ(form->LabelFalthB2->text(), "273.37");
    clickButton("ButtonNewRaschet");
    confirm(1);
    ASSERT_TRUE(messages.shown.empty()) << messageLog();
    expectConfirmedState(1);
    EXPECT_EQ(form->LabelNoneB1->text(), "477.49");
    EXPECT_EQ(form->LabelNoneB2->text(), "272.23");
    EXPECT_EQ(form->LabelFalthB1->text(), "B1");
    EXPECT_EQ(form->LabelFalthB2->text(), "B2");
}

struct FailureCase {
    const char* name;
    int type;
    std::vector<std::pair<const char*, const char*>> typed;
    const char* focus;
    const char* allP; // LabelAllP afterwards
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class AllowancesDoNotFit : public WorkflowTest,
                           public ::testing::WithParamInterface<FailureCase> {};

TEST_P(AllowancesDoNotFit, UnlocksAgainAndNamesTheWideAllowance) {
    const FailureCase& c = GetParam();
    clickTab(c.type - 1);
    for (const auto& [name, text] : c.typed)
        retype(name, text);
    confirm(c.type);
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_EQ(messages.shown[0].kind, Messages::Kind::Plain);
    EXPECT_EQ(messages.shown[0].caption, kTitle);
    EXPECT_EQ(messages.shown[0].text, kAllowancesDoNotFit);
    EXPECT_EQ(form->RaschetData.RazvType, c.type);
    expectInputState();
    expectBLabelsReset();
    EXPECT_EQ(form->LabelAllP->text(), QString::fromLatin1(c.allP));
    EXPECT_EQ(QApplication::focusWidget(), control(c.focus));
    EXPECT_EQ(form->PageControl1->currentIndex(), c.type - 1);

    // The user can go on at once: a smaller allowance confirms.
    retype(c.focus, "3");
    confirm(c.type);
    EXPECT_EQ(messages.shown.size(), 1u) << messageLog();
    expectConfirmedState(c.type);
}

INSTANTIATE_TEST_SUITE_P(
    Window, AllowancesDoNotFit,
    ::testing::Values(
        FailureCase{"SeamPageP1Of60", 2, {{"LEditFalthP1", "60"}}, "LEditFalthP1", "5.0"},
        FailureCase{"WirePageP1Of60AndWireOf4",
                    3,
                    {{"LEditAllP1", "60"}, {"LEditAllD", "4"}},
                    "LEditAllP1",
                    "10.0"}),
    [](const auto& info) { return std::string(info.param.name); });

// A failed confirmation after a successful one leaves the earlier results in
// their hidden label and the B labels as the new calculation left them.
TEST_F(WorkflowTest, FailureAfterASuccessKeepsTheHiddenSummary) {
    confirm(3);
    ASSERT_TRUE(messages.shown.empty()) << messageLog();
    const QString summary = form->LabelSpravka->text();
    clickButton("ButtonNewRaschet");
    retype("LEditAllP1", "60");
    confirm(3);
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_EQ(form->LabelSpravka->text(), summary);
    EXPECT_EQ(form->LabelAllB1->text(), "B1");
}

// A hood too large to compute must not show or write overflowed numbers.
TEST_F(WorkflowTest, OverflowingHeightIsRefusedWithoutNonsenseNumbers) {
    retype("EditH", QStringLiteral("1") + QString(200, QLatin1Char('0')));
    for (int type : {1, 2, 3}) {
        SCOPED_TRACE(type);
        messages.shown.clear();
        confirm(type);
        ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
        EXPECT_EQ(messages.shown[0].kind, Messages::Kind::Plain);
        EXPECT_EQ(messages.shown[0].caption, kTitle);
        EXPECT_NE(messages.shown[0].text, kAllowancesDoNotFit);
        expectInputState();
        EXPECT_EQ(QApplication::focusWidget(), form->EditH);
        for (const QString& text : labelTexts()) {
            EXPECT_FALSE(text.contains(QLatin1String("inf"), Qt::CaseInsensitive))
                << text.toStdString();
            EXPECT_FALSE(text.contains(QLatin1String("nan"), Qt::CaseInsensitive))
                << text.toStdString();
        }
    }
}

struct CreditCase {
    const char* name;
    const char* s;
    const char* h;
    const char* l1;
    const char* l2;
    bool credit;
    const char* message; // nullptr: accepted
};

void PrintTo(const CreditCase& c, std::ostream* os) {
    *os << c.name;
}

class CreditCaption : public WorkflowTest, public ::testing::WithParamInterface<CreditCase> {};

TEST_P(CreditCaption, OnlyAnAcceptedSumOfTheCreditNumber) {
    const CreditCase& c = GetParam();
    retype("EditS", c.s);
    retype("EditH", c.h);
    retype("EditL1", c.l1);
    retype("EditL2", c.l2);
    const QString before = form->windowTitle();
    confirm(1);
    if (c.message) {
        ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
        EXPECT_EQ(messages.shown[0].text, QString::fromUtf8(c.message));
    } else {
        ASSERT_TRUE(messages.shown.empty()) << messageLog();
    }
    EXPECT_EQ(form->windowTitle(), c.credit ? QStringLiteral("Разработчик: Тенвир") : before);
}

INSTANTIATE_TEST_SUITE_P(
    Window, CreditCaption,
    ::testing::Values(CreditCase{"SumOfExactly8327", "0.5", "100", "200", "8026.5", true, nullptr},
                      CreditCase{"SameSumInOtherValues", "1", "26", "4000", "4300", true, nullptr},
                      CreditCase{"OneHundredthShort", "0.5", "100", "200", "8026.49", false,
                                 nullptr},
                      CreditCase{"SameSumButHeightTooLow", "0.5", "0.5", "200", "8126", false,
                                 "Необходимо увеличить \rвысоту зонта!"},
                      CreditCase{"SameSumButLengthTooShort", "0.5", "8026", "200", "100.5", false,
                                 "Необходимо увеличить \rдлину зонта!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WorkflowTest, CreditCaptionStaysForTheRestOfTheRun) {
    retype("EditL2", "8026.5");
    confirm(1);
    ASSERT_TRUE(messages.shown.empty()) << messageLog();
    const QString credit = QStringLiteral("Разработчик: Тенвир");
    ASSERT_EQ(form->windowTitle(), credit);
    clickButton("ButtonNewRaschet");
    EXPECT_EQ(form->windowTitle(), credit);
    retype("EditL2", "400");
    confirm(2);
    ASSERT_TRUE(messages.shown.empty()) << messageLog();
    EXPECT_EQ(form->windowTitle(), credit);
}

} // namespace
