#pragma once

#include <QPixmap>
#include <QWidget>

class QSvgRenderer;

// One of the window's line drawings: the SVG scaled to the width of the box
// with its aspect ratio kept and placed at the top-left corner. A double-click
// is the picture's only event; a disabled picture gets no mouse events and so
// ignores double-clicks. It never takes the focus.
class PictureWidget : public QWidget {
    Q_OBJECT

public:
    explicit PictureWidget(const QString& svgPath, QWidget* parent = nullptr);

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    QString svgPath_;
    // Read at the first paint: the pictures of the pages not shown at start
    // cost nothing until the user opens them.
    QSvgRenderer* renderer_ = nullptr;
    // The drawing rendered once for the current size: SVG rendering is far
    // slower than blitting, and the box is repainted whenever a field over it
    // changes.
    QPixmap cache_;
};
