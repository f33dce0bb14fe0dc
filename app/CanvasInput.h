#pragma once

#include <QMouseEvent>
#include <QPalette>
#include <QWheelEvent>
#include <QWidget>

#include <cmath>

// What the two view canvases share: a white sheet that takes the keyboard
// (for Home), a wheel step of a quarter, and dragging with the left button.

inline void SetUpCanvas(QWidget* w) {
    w->setFocusPolicy(Qt::StrongFocus);
    w->setMinimumSize(200, 150);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, Qt::white);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

// One notch of the wheel away from the user enlarges by a quarter.
inline double WheelFactor(const QWheelEvent* e) {
    return std::pow(1.25, e->angleDelta().y() / 120.0);
}

class Drag {
public:
    void press(QWidget* w, const QMouseEvent* e) {
        if (e->button() != Qt::LeftButton)
            return;
        on_ = true;
        from_ = e->position().toPoint();
        w->setCursor(Qt::ClosedHandCursor);
    }
    // The pointer's travel since the last step; nothing unless dragging.
    QPoint step(const QMouseEvent* e) {
        if (!on_)
            return {};
        const QPoint at = e->position().toPoint();
        const QPoint d = at - from_;
        from_ = at;
        return d;
    }
    void release(QWidget* w, const QMouseEvent* e) {
        if (e->button() != Qt::LeftButton)
            return;
        on_ = false;
        w->unsetCursor();
    }

private:
    bool on_ = false;
    QPoint from_;
};
