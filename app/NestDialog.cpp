#include "app/NestDialog.h"

#include "app/FileDialogs.h"
#include "input/Conversion.h"
#include "sheets/NestFiles.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// A number as the user types it: a decimal comma counts as the point.
bool Number(const QLineEdit* field, double& value) {
    const std::optional<double> number =
        kiv::TextToFloat(field->text().trimmed().toStdString(), kiv::DecimalSign::PointOrComma);
    value = number.value_or(0);
    return number.has_value();
}

constexpr int kMaxCopies = 9999;
constexpr double kMaxSeconds = 3600;

} // namespace

NestDialog::NestDialog(QWidget* parent, FileDialogs& dialogs, const QString& folder)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("NestDialog"));
    setWindowTitle(u("Раскрой на листах"));
    setAccessibleName(u("Раскрой на листах"));

    const auto field = [this](const char* name, const QString& text, const char* accessible) {
        auto* f = new QLineEdit(text, this);
        f->setObjectName(QString::fromLatin1(name));
        f->setAccessibleName(u(accessible));
        return f;
    };
    EditCopies = field("EditCopies", QStringLiteral("1"), "Число зонтов");
    ComboStock = new QComboBox(this);
    ComboStock->setObjectName(QStringLiteral("ComboStock"));
    ComboStock->setAccessibleName(u("Заготовка"));
    ComboStock->addItems({u("Лист 1250 × 2500 мм"), u("Лист 1000 × 2000 мм"),
                          u("Лист 1500 × 3000 мм"), u("Лист другого размера"),
                          u("Рулон")});
    EditStockSize = field("EditStockSize", QString(), "Размер листа или ширина рулона, мм");
    EditGap = field("EditGap", QStringLiteral("5"), "Зазор между деталями, мм");
    EditMargin = field("EditMargin", QStringLiteral("10"), "Поле до края листа, мм");
    ComboTurns = new QComboBox(this);
    ComboTurns->setObjectName(QStringLiteral("ComboTurns"));
    ComboTurns->setAccessibleName(u("Повороты деталей"));
    ComboTurns->addItems({u("0, 90, 180 и 270°"), u("только 0 и 180°")});
    EditTime = field("EditTime", QStringLiteral("5"), "Время поиска, с");
    EditFolder = field("EditFolder", folder, "Папка для файлов раскроя");
    ButtonFolder = new QPushButton(u("Выбрать…"), this);
    ButtonFolder->setObjectName(QStringLiteral("ButtonFolder"));
    ButtonFolder->setAccessibleName(u("Выбрать папку"));

    auto* form = new QFormLayout;
    form->addRow(u("Число зонтов:"), EditCopies);
    form->addRow(u("Заготовка:"), ComboStock);
    form->addRow(u("Размер листа (Ш×Д) или ширина рулона, мм:"), EditStockSize);
    form->addRow(u("Зазор между деталями, мм:"), EditGap);
    form->addRow(u("Поле до края листа, мм:"), EditMargin);
    form->addRow(u("Повороты:"), ComboTurns);
    form->addRow(u("Время поиска, с:"), EditTime);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(EditFolder, 1);
    folderRow->addWidget(ButtonFolder);
    form->addRow(u("Папка:"), folderRow);

    auto* buttons = new QDialogButtonBox(this);
    ButtonRun = buttons->addButton(u("Раскроить"), QDialogButtonBox::AcceptRole);
    ButtonRun->setObjectName(QStringLiteral("ButtonRun"));
    ButtonRun->setAccessibleName(u("Раскроить"));
    ButtonRun->setDefault(true);
    ButtonCancel = buttons->addButton(u("Отмена"), QDialogButtonBox::RejectRole);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setAccessibleName(u("Отмена"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    // "Раскроить" asks the window to run; the dialog closes only once the
    // files are written.
    connect(buttons, &QDialogButtonBox::accepted, this, &NestDialog::runRequested);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ComboStock, &QComboBox::currentIndexChanged, this, &NestDialog::syncStockSize);
    connect(ButtonFolder, &QPushButton::clicked, this, &NestDialog::pickFolder);
    syncStockSize();
}

void NestDialog::syncStockSize() {
    const int choice = ComboStock->currentIndex();
    EditStockSize->setEnabled(choice == OtherSheet || choice == Coil);
    if (choice == OtherSheet && EditStockSize->text().isEmpty())
        EditStockSize->setText(QStringLiteral("1250x2500"));
    else if (choice == Coil && EditStockSize->text().isEmpty())
        EditStockSize->setText(QStringLiteral("1250"));
}

void NestDialog::pickFolder() {
    const QString chosen = dialogs_.folderName(this, u("Папка для файлов раскроя"),
                                               EditFolder->text());
    if (!chosen.isEmpty())
        EditFolder->setText(chosen);
}

bool NestDialog::read(NestRequest& r, QString& error) const {
    bool ok = false;
    r.copies = EditCopies->text().trimmed().toInt(&ok);
    if (!ok || r.copies < 1 || r.copies > kMaxCopies) {
        error = u("Число зонтов должно быть целым числом от 1 до 9999.");
        return false;
    }
    switch (ComboStock->currentIndex()) {
    case Sheet1000:
        r.stock = {1000, 2000, false};
        break;
    case Sheet1500:
        r.stock = {1500, 3000, false};
        break;
    case OtherSheet: {
        r.stock.coil = false;
        QString size = EditStockSize->text().trimmed();
        size.replace(QLatin1Char(','), QLatin1Char('.'));
        if (!kiv::sheets::ParseSheetSize(size.toStdString(), r.stock.width, r.stock.length)) {
            error = u("Размер листа задается как ШИРИНАxДЛИНА в мм, например 1250x2500.");
            return false;
        }
        break;
    }
    case Coil:
        r.stock = {0, 0, true};
        if (!Number(EditStockSize, r.stock.width) || r.stock.width <= 0) {
            error = u("Ширина рулона должна быть положительным числом, мм.");
            return false;
        }
        break;
    default:
        r.stock = {1250, 2500, false};
        break;
    }
    if (!Number(EditGap, r.options.gap) || r.options.gap < 0 ||
        !Number(EditMargin, r.options.margin) || r.options.margin < 0) {
        error = u("Зазор и поле должны быть неотрицательными числами, мм.");
        return false;
    }
    r.options.rotations = ComboTurns->currentIndex() == 1 ? kiv::nest::HalfTurns()
                                                          : kiv::nest::QuarterTurns();
    if (!Number(EditTime, r.options.timeLimit) || r.options.timeLimit <= 0 ||
        r.options.timeLimit > kMaxSeconds) {
        error = u("Время поиска должно быть числом секунд больше нуля и не больше 3600.");
        return false;
    }
    r.folder = EditFolder->text().trimmed();
    if (r.folder.isEmpty()) {
        error = u("Укажите папку для файлов раскроя.");
        return false;
    }
    return true;
}
