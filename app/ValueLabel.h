#pragma once

#include <QLabel>

// A label that shows a value (a blank size, the radii, the summary): a screen
// reader reads exactly what it shows as its name, at every change of its
// text; what the value is goes to its accessible description. Every label of
// the window that shows a value is one of these.
class ValueLabel : public QLabel {
    Q_OBJECT

public:
    ValueLabel(const QString& text, const QString& explanation, QWidget* parent);
};
