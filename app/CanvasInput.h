#pragma once

#include <QKeyEvent>
#include <QLabel>
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

// A view canvas: the shared sheet, dragging with the left button, and Home
// for the first view. What a drag and Home do is the canvas's own.
class ViewCanvas : public QWidget {
public:
    explicit ViewCanvas(QWidget* parent) : QWidget(parent) {}

protected:
    // The pointer's travel while dragging, in pixels.
    virtual void dragged(QPoint by) = 0;
    // Home: back to the first view.
    virtual void home() = 0;

    void mousePressEvent(QMouseEvent* e) override { drag_.press(this, e); }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (const QPoint d = drag_.step(e); !d.isNull())
            dragged(d);
    }
    void mouseReleaseEvent(QMouseEvent* e) override { drag_.release(this, e); }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Home) {
            home();
            return;
        }
        QWidget::keyPressEvent(e);
    }

private:
    Drag drag_;
};

// The line a view window shows in place of its canvas while there is no
// confirmed pattern.
inline QLabel* NoPatternNotice(QWidget* window, const QString& objectName) {
    auto* notice = new QLabel(window);
    notice->setObjectName(objectName);
    notice->setAlignment(Qt::AlignCenter);
    const QString text = QString::fromUtf8("Нет подтвержденной развертки");
    notice->setText(text);
    notice->setAccessibleName(text);
    return notice;
}
