#pragma once

#include <QWidget>

namespace app {

/// The design's rectangle shape: an outline only. Its mask is the outline
/// itself, so the controls inside it stay reachable by the mouse.
class ShapeWidget : public QWidget {
public:
    ShapeWidget(QWidget *parent, const QString &name);

    /// Sets the mask to the outline. To be called after every placement: a
    /// hidden page gets its resize events only when shown, but the mouse test
    /// needs the mask at once.
    void UpdateMask();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace app
