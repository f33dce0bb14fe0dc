#pragma once

#include "app/CanvasInput.h"
#include "app/ConfirmedPattern.h"
#include "export/ShopDrawing.h"

#include <QLineF>
#include <QRectF>
#include <QWidget>

#include <optional>
#include <vector>

class QCheckBox;
class QLabel;

// The pattern at true shape, painted as vectors: wheel zooms round the
// cursor, dragging pans, Home fits it into the view, as does every resize.
class PatternCanvas : public ViewCanvas {
    Q_OBJECT

public:
    enum Layer { Cut, Fold, Seam, Wire, Names, Dimensions, LayerCount };

    explicit PatternCanvas(QWidget* parent = nullptr);

    void setPattern(const std::optional<ConfirmedPattern>& pattern);
    void setLayer(Layer layer, bool on);
    bool layer(Layer layer) const { return layers_[layer]; }

    // The view: pixels per millimetre and where a pattern point is drawn.
    double scale() const { return scale_; }
    QPointF toScreen(kiv::Point p) const;
    kiv::Point toPattern(QPointF s) const;
    // The pattern's box with the blank's dimension lines, in millimetres.
    QRectF extents() const;
    void fit();
    // Each point's name and the box it is written in, as now painted.
    struct PlacedName {
        QString name;
        QPointF point;
        QRectF box;
    };
    std::vector<PlacedName> placedNames() const;
    std::vector<QLineF>
    shownLines() const; // on screen, of the layers switched on
                        // What the pointer is over, as the hover line shows it; empty over nothing.
    QString hoverText() const { return hover_; }

signals:
    void hoverChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void dragged(QPoint by) override;
    void home() override { fit(); }

private:
    struct Line {
        kiv::Segment at;
        Layer layer;
        QString name; // "4-1"
    };
    void setHover(const QString& text);
    QString hoverAt(QPointF s) const;
    void paintScaleBar(QPainter& p) const;
    double scaleBarLength() const; // mm
    QString scaleBarText() const;
    void describe();
    void paintDimensions(QPainter& p) const;

    bool has_ = false;
    kiv::ShopDrawing drawing_;
    double b1_ = 0, b2_ = 0;
    std::vector<Line> lines_;
    bool layers_[LayerCount] = {true, true, true, true, true, true};
    double scale_ = 1;
    kiv::Point centre_;
    QString hover_;
};

// The window round the canvas: layer switches, the hover line, and the
// checks that tie the pattern to the hood, each with its figure and mark.
class PatternWindow : public QWidget {
    Q_OBJECT

public:
    explicit PatternWindow(QWidget* parent = nullptr);
    void setPattern(const std::optional<ConfirmedPattern>& pattern);

    PatternCanvas* canvas() const { return canvas_; }
    QLabel* notice() const { return notice_; }
    QLabel* hoverLine() const { return hover_; }
    const std::vector<QLabel*>& checkLines() const { return checks_; }

private:
    PatternCanvas* canvas_;
    QLabel* notice_;
    QLabel* hover_;
    QWidget* checkBox_;
    std::vector<QLabel*> checks_;
};

// A label whose accessible name is always what it shows.
void ShowText(QLabel* label, const QString& text);
