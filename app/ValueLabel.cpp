#include "app/ValueLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

// The accessibility bus's view of a value label: its name is its text,
// exactly (Qt's own view of a label would drop a "&" as a mnemonic sign).
// The name is asked for afresh each time, and the label's own accessible
// name stays empty, so that QLabel::setText tells the bus of every change.
class ValueLabelAccessible : public QAccessibleWidget {
public:
    explicit ValueLabelAccessible(ValueLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return static_cast<const QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* ValueLabelFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(ValueLabel::staticMetaObject.className())) {
        if (auto* label = qobject_cast<ValueLabel*>(object))
            return new ValueLabelAccessible(label);
    }
    return nullptr;
}

} // namespace

ValueLabel::ValueLabel(const QString& text, const QString& explanation, QWidget* parent)
    : QLabel(text, parent) {
    static const bool installed = [] {
        QAccessible::installFactory(ValueLabelFactory);
        return true;
    }();
    (void)installed;
    setAccessibleDescription(explanation);
}
