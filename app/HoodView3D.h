#pragma once

#include "app/CanvasInput.h"
#include "app/ConfirmedPattern.h"
#include "shape/Fold.h"

#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QSlider;

// The pattern folded into the hood, painted with QPainter from its own
// orthographic projection: faces shaded by their angle to a light, far ones
// first, each with its edges. Dragging turns the hood, the wheel zooms, Home
// brings back the first view.
class HoodCanvas3D : public ViewCanvas {
    Q_OBJECT

public:
    explicit HoodCanvas3D(QWidget* parent = nullptr);

    void setPattern(const std::optional<ConfirmedPattern>& pattern);
    void setFold(double fraction); // 0 flat ... 1 the finished hood
    double fold() const { return fraction_; }
    double yaw() const { return yaw_; }
    double pitch() const { return pitch_; }
    double zoom() const { return zoom_; }
    void resetView();
    bool hasPattern() const { return plan_ != nullptr; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void dragged(QPoint by) override;
    void home() override { resetView(); }

private:
    std::unique_ptr<kiv::FoldPlan> plan_;
    double radius_ = 1; // mm: the flat pattern's reach, so the hood fits at every fold
    double fraction_ = 1;
    double yaw_ = 0, pitch_ = 0, zoom_ = 1;
};

class HoodWindow3D : public QWidget {
    Q_OBJECT

public:
    explicit HoodWindow3D(QWidget* parent = nullptr);
    void setPattern(const std::optional<ConfirmedPattern>& pattern);

    HoodCanvas3D* canvas() const { return canvas_; }
    QSlider* foldSlider() const { return slider_; }
    QLabel* foldLabel() const { return foldLabel_; }
    QLabel* notice() const { return notice_; }

private:
    HoodCanvas3D* canvas_;
    QSlider* slider_;
    QLabel* foldLabel_;
    QLabel* notice_;
};
