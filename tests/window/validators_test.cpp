// What a confirmation does with each field: which values it stores, which
// message ends it, where the focus goes, and in which order the fields are read.
#include "WindowFixture.h"

#include "road/Road.h"
#include "tests/support/refusals.h"

#include <QApplication>
#include <QTest>

#include <map>

namespace {

using kiv::Input;

using namespace kiv::test::refusal;

enum class Outcome { Accepted, Rejected, NotANumber };

// NOLINTNEXTLINE(clang-analyzer-optin.performance.Padding): a table row, read in the table's order
struct ValidatorCase {
    const char* name;
    int type;
    std::vector<std::pair<const char*, const char*>> typed; // field, text
    Outcome outcome;
    const char* message;            // the plain message, or the conversion error's text
    const char* focus;              // Rejected: the field that gets the focus
    std::map<Input, double> stored; // every input the confirmation stored
};

// A value no field holds, to tell stored inputs from untouched ones.
constexpr double kUntouched = -7;

const std::map<Input, double> kMain = {
    {Input::S, 0.5}, {Input::L1, 200}, {Input::L2, 400}, {Input::H, 100}};

std::map<Input, double> With(std::map<Input, double> base, const std::map<Input, double>& more) {
    for (const auto& [k, v] : more)
        base[k] = v;
    return base;
}

class Validation : public WindowTest, public ::testing::WithParamInterface<ValidatorCase> {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        open();
    }
};

void PrintTo(const ValidatorCase& c, std::ostream* os) {
    *os << c.name;
}

TEST_P(Validation, StoresChecksAndStops) {
    const ValidatorCase& c = GetParam();
    clickTab(c.type - 1);
    for (const auto& [name, text] : c.typed)
        retype(name, QString::fromLatin1(text));
    for (int i = 0; i <= static_cast<int>(Input::AllD); ++i)
        kiv::Field(form->RaschetData, static_cast<Input>(i)) = kUntouched;
    // The focus sits on a control no validator names, to see whether it moves.
    form->ButtonAboutProgram->setFocus();
    const auto before = Snapshot(*form);

    static const char* const pictures[] = {"ImageNone", "ImageFalth", "ImageAll"};
    doubleClickPicture(pictures[c.type - 1]);

    EXPECT_EQ(form->RaschetData.RazvType, c.type);
    for (Input in : kiv::kAllInputs) {
        const auto it = c.stored.find(in);
        EXPECT_EQ(kiv::Field(form->RaschetData, in), it == c.stored.end() ? kUntouched : it->second)
            << FieldOf(in) << (it == c.stored.end() ? " should not have been read" : "");
    }

    switch (c.outcome) {
    case Outcome::Accepted:
        EXPECT_TRUE(messages.shown.empty()) << messageLog();
        EXPECT_TRUE(form->PageControl1->testAttribute(Qt::WA_ForceDisabled));
        EXPECT_TRUE(form->ButtonNewRaschet->isEnabled());
        return;
    case Outcome::Rejected:
        ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
        EXPECT_EQ(messages.shown[0].kind, Messages::Kind::Plain);
        EXPECT_EQ(messages.shown[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(QApplication::focusWidget(), control(c.focus));
        break;
    case Outcome::NotANumber:
        ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
        EXPECT_EQ(messages.shown[0].kind, Messages::Kind::Error);
        EXPECT_EQ(messages.shown[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(QApplication::focusWidget(), form->ButtonAboutProgram) << "the focus moved";
        break;
    }
    EXPECT_EQ(messages.shown[0].caption, kTitle);
    // Nothing was locked, shown or relabelled.
    EXPECT_EQ(Snapshot(*form), before);
}

// clang-format off
const ValidatorCase kValidatorCases[] = {
    // Rejections, one per test, in the order the fields are read.
    {"ThicknessBelowMinimum", 1, {{"EditS", "0.09"}}, Outcome::Rejected, kThickness, "EditS",
     {{Input::S, 0.09}}},
    {"PointAloneIsZeroThickness", 1, {{"EditS", "."}}, Outcome::Rejected, kThickness, "EditS",
     {{Input::S, 0}}},
    {"WidthBelowTenThicknesses", 1, {{"EditL1", "4.99"}}, Outcome::Rejected, kWidth, "EditL1",
     {{Input::S, 0.5}, {Input::L1, 4.99}}},
    {"LengthBelowWidth", 1, {{"EditL2", "199"}}, Outcome::Rejected, kLength, "EditL2",
     {{Input::S, 0.5}, {Input::L1, 200}, {Input::L2, 199}}},
    {"HeightBelowTwoThicknesses", 1, {{"EditH", "0.99"}}, Outcome::Rejected, kHeight, "EditH",
     With(kMain, {{Input::H, 0.99}})},
    {"WidthAboveMaximum", 1, {{"EditL1", "100001"}, {"EditL2", "200000"}}, Outcome::Rejected,
     kMaxWidth, "EditL1", {{Input::S, 0.5}, {Input::L1, 100001}}},
    {"LengthAboveMaximum", 1, {{"EditL2", "100000.01"}}, Outcome::Rejected, kMaxLength, "EditL2",
     {{Input::S, 0.5}, {Input::L1, 200}, {Input::L2, 100000.01}}},
    {"HeightAboveMaximum", 1, {{"EditH", "1000000000000"}}, Outcome::Rejected, kMaxHeight, "EditH",
     With(kMain, {{Input::H, 1e12}})},
    {"SeamP2BelowTwo", 2, {{"LEditFalthP2", "1.5"}}, Outcome::Rejected, kAllowance, "LEditFalthP2",
     With(kMain, {{Input::FalthP2, 1.5}})},
    {"SeamP1BelowP2", 2, {{"LEditFalthP1", "2.5"}, {"LEditFalthP2", "3"}}, Outcome::Rejected, kAllowance,
     "LEditFalthP1", With(kMain, {{Input::FalthP2, 3}, {Input::FalthP1, 2.5}})},
    {"WireP2BelowTwo", 3, {{"LEditAllP2", "1.5"}}, Outcome::Rejected, kAllowance, "LEditAllP2",
     With(kMain, {{Input::AllP2, 1.5}})},
    {"WireP1BelowP2", 3, {{"LEditAllP1", "2.5"}, {"LEditAllP2", "3"}}, Outcome::Rejected, kAllowance,
     "LEditAllP1", With(kMain, {{Input::AllP2, 3}, {Input::AllP1, 2.5}})},
    {"SeamP2AboveMaximum", 2, {{"LEditFalthP2", "150"}, {"LEditFalthP1", "200"}}, Outcome::Rejected,
     kMaxAllowance, "LEditFalthP2", With(kMain, {{Input::FalthP2, 150}})},
    {"SeamP1AboveMaximum", 2, {{"LEditFalthP1", "100.5"}}, Outcome::Rejected, kMaxAllowance, "LEditFalthP1",
     With(kMain, {{Input::FalthP2, 2}, {Input::FalthP1, 100.5}})},
    {"WireP1AboveMaximum", 3, {{"LEditAllP1", "250"}}, Outcome::Rejected, kMaxAllowance, "LEditAllP1",
     With(kMain, {{Input::AllP2, 2}, {Input::AllP1, 250}})},
    {"WireBelowOne", 3, {{"LEditAllD", "0.5"}}, Outcome::Rejected, kMinWire, "LEditAllD",
     With(kMain, {{Input::AllP2, 2}, {Input::AllP1, 3}, {Input::AllD, 0.5}})},
    {"WireAboveTen", 3, {{"LEditAllD", "10.5"}}, Outcome::Rejected, kMaxWire, "LEditAllD",
     With(kMain, {{Input::AllP2, 2}, {Input::AllP1, 3}, {Input::AllD, 10.5}})},

    // Two faults at once: the field read first wins.
    {"ThicknessBeforeWidth", 1, {{"EditS", "0.09"}, {"EditL1", "0.5"}}, Outcome::Rejected,
     kThickness, "EditS", {{Input::S, 0.09}}},
    {"LengthBeforeHeight", 1, {{"EditL2", "100"}, {"EditH", "0.1"}}, Outcome::Rejected, kLength,
     "EditL2", {{Input::S, 0.5}, {Input::L1, 200}, {Input::L2, 100}}},
    {"SeamP2BeforeP1", 2, {{"LEditFalthP1", "1"}, {"LEditFalthP2", "1.5"}}, Outcome::Rejected, kAllowance,
     "LEditFalthP2", With(kMain, {{Input::FalthP2, 1.5}})},
    {"MainFieldsBeforeWire", 3, {{"EditH", "0.5"}, {"LEditAllD", "20"}}, Outcome::Rejected, kHeight,
     "EditH", With(kMain, {{Input::H, 0.5}})},
    {"RangeFaultBeforeLaterBadText", 1, {{"EditL2", "199"}, {"EditH", ""}}, Outcome::Rejected,
     kLength, "EditL2", {{Input::S, 0.5}, {Input::L1, 200}, {Input::L2, 199}}},

    // Texts that are no numbers: the error box, nothing stored for that field.
    {"EmptyThickness", 1, {{"EditS", ""}}, Outcome::NotANumber,
     "'' is not a valid floating point value.", nullptr, {}},
    {"TwoPointsInLength", 1, {{"EditL2", "1.2.3"}}, Outcome::NotANumber,
     "'1.2.3' is not a valid floating point value.", nullptr, {{Input::S, 0.5}, {Input::L1, 200}}},
    {"EmptySeamP1", 2, {{"LEditFalthP1", ""}}, Outcome::NotANumber,
     "'' is not a valid floating point value.", nullptr, With(kMain, {{Input::FalthP2, 2}})},
    {"PointsOnlyWire", 3, {{"LEditAllD", ".."}}, Outcome::NotANumber,
     "'..' is not a valid floating point value.", nullptr,
     With(kMain, {{Input::AllP2, 2}, {Input::AllP1, 3}})},

    // Every limit belongs to the accepted side.
    {"ThicknessAtMinimum", 1, {{"EditS", "0.1"}}, Outcome::Accepted, nullptr, nullptr,
     With(kMain, {{Input::S, 0.1}})},
    {"WidthAtTenThicknesses", 1, {{"EditL1", "5"}}, Outcome::Accepted, nullptr, nullptr,
     With(kMain, {{Input::L1, 5}})},
    {"SquareHood", 1, {{"EditL2", "200"}}, Outcome::Accepted, nullptr, nullptr,
     With(kMain, {{Input::L2, 200}})},
    {"HeightAtTwoThicknesses", 1, {{"EditH", "1"}}, Outcome::Accepted, nullptr, nullptr,
     With(kMain, {{Input::H, 1}})},
    {"LargestHood", 3, {{"EditL1", "100000"}, {"EditL2", "100000"}, {"EditH", "100000"}},
     Outcome::Accepted, nullptr, nullptr,
     {{Input::S, 0.5}, {Input::L1, 1e5}, {Input::L2, 1e5}, {Input::H, 1e5}, {Input::AllP2, 2},
      {Input::AllP1, 3}, {Input::AllD, 2}}},
    {"LeadingAndTrailingPoints", 1, {{"EditS", ".5"}, {"EditL1", "200."}, {"EditH", "007"}},
     Outcome::Accepted, nullptr, nullptr, With(kMain, {{Input::H, 7}})},
    {"SeamAllowancesAtMinimum", 2, {{"LEditFalthP1", "2"}, {"LEditFalthP2", "2"}}, Outcome::Accepted,
     nullptr, nullptr, With(kMain, {{Input::FalthP1, 2}, {Input::FalthP2, 2}})},
    {"WireAtOne", 3, {{"LEditAllD", "1"}}, Outcome::Accepted, nullptr, nullptr,
     With(kMain, {{Input::AllP2, 2}, {Input::AllP1, 3}, {Input::AllD, 1}})},
    {"WireAtTen", 3, {{"LEditAllD", "10"}}, Outcome::Accepted, nullptr, nullptr,
     With(kMain, {{Input::AllP2, 2}, {Input::AllP1, 3}, {Input::AllD, 10}})},
    {"WireP1EqualsP2", 3, {{"LEditAllP1", "2"}, {"LEditAllP2", "2"}}, Outcome::Accepted, nullptr,
     nullptr, With(kMain, {{Input::AllP2, 2}, {Input::AllP1, 2}, {Input::AllD, 2}})},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Window, Validation, ::testing::ValuesIn(kValidatorCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A rejected thickness on the wire page changes nothing the confirmation
// would have changed, the wire allowance label included.
TEST_F(OpenWindowTest, RejectedConfirmationCanBeRepairedAndRepeated) {
    clickTab(2);
    retype("EditS", "0.09");
    retype("LEditAllD", "4");
    doubleClickPicture("ImageAll");
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_EQ(form->LabelAllP->text(), "5.0");
    ASSERT_EQ(QApplication::focusWidget(), form->EditS);
    // The user corrects the field where the focus was put and confirms again.
    QTest::keyClick(form->EditS, Qt::Key_Backspace);
    QTest::keyClick(form->EditS, Qt::Key_Backspace);
    QTest::keyClicks(form->EditS, "5");
    ASSERT_EQ(form->EditS->text(), "0.5");
    doubleClickPicture("ImageAll");
    EXPECT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_EQ(form->LabelAllP->text(), "10.0");
    EXPECT_TRUE(form->PageControl1->testAttribute(Qt::WA_ForceDisabled));
}

} // namespace
