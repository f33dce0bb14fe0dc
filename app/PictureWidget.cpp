#include "app/PictureWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

PictureWidget::PictureWidget(const QString& svgPath, QWidget* parent)
    : QWidget(parent), svgPath_(svgPath) {
    setFocusPolicy(Qt::NoFocus);
}

void PictureWidget::paintEvent(QPaintEvent*) {
    if (renderer_ == nullptr)
        renderer_ = new QSvgRenderer(svgPath_, this);
    const QSizeF natural = renderer_->defaultSize();
    if (!renderer_->isValid() || natural.isEmpty() || width() <= 0)
        return;
    const qreal dpr = devicePixelRatioF();
    // Whole pixels, cut off like the design's own picture sizes (353 wide
    // gives 203 high, not 204).
    const int drawnHeight = static_cast<int>(width() * natural.height() / natural.width());
    const QSize drawn(width(), drawnHeight);
    if (cache_.isNull() || cache_.deviceIndependentSize().toSize() != drawn ||
        cache_.devicePixelRatio() != dpr) {
        cache_ = QPixmap((QSizeF(drawn) * dpr).toSize());
        cache_.setDevicePixelRatio(dpr);
        cache_.fill(Qt::transparent);
        QPainter p(&cache_);
        p.setRenderHint(QPainter::Antialiasing);
        renderer_->render(&p, QRectF(QPointF(0, 0), QSizeF(drawn)));
    }
    QPainter p(this);
    p.drawPixmap(0, 0, cache_);
}

void PictureWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        e->accept();
        emit doubleClicked();
        return;
    }
    QWidget::mouseDoubleClickEvent(e);
}
