#pragma once
// The screen window of the plotting library ("XWIN"): a top-level window that shows the
// page in its ratio, scaled to the window's size. It paints each primitive into its own
// picture as the library draws it, so the window shows exactly what was drawn, erasures
// included; after a resize it paints the scene again. Curves stay inside the pixels
// within the axis frame, so that erasing one never notches the frame. Key presses and
// clicks go to the library's event queue with the cursor position in page coordinates.

#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "plot/qt/scene_painter.h"
#include "plot/screen.h"

namespace vx::plot::qt {

class PlotWindow : public QWidget {
  public:
    explicit PlotWindow(const Scene& scene);
    ~PlotWindow() override;

    void paintPrimitive(const Primitive& p);
    QPoint toPage(QPointF widgetPos) const;
    QPointF fromPage(int x, int y) const;

    // The event code of a key (0 for keys that have none, such as Shift).
    static int32_t keyCode(int key, const QString& text);

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    QPainter& picturePainter();
    void endPicturePainter();
    void repaintPicture();
    void paintOnPicture(const Primitive& p);
    QRect inside(const Box& area) const;

    const Scene& scene_;
    QImage picture_;
    QPainter painter_;  // open on picture_ while primitives arrive
    QTransform transform_;
    double pixelsPerUnit_ = 1;
    ScenePainter scenePainter_;
};

// The screen of the desktop program: one window at a time.
class QtScreen final : public Screen {
  public:
    ~QtScreen() override;
    void open(const WindowRequest& w, const Scene& scene) override;
    void setTitle(const std::string& title) override;
    void drawn(const Scene& scene, const Primitive& p) override;
    void update() override;
    void close() override;
    void setCursorShape(CursorShape shape) override;
    void movePointer(int x, int y) override;
    void waitForEvent(int ms) override;
    bool isOpen() const override;
    ScreenMetrics metrics() const override;

    PlotWindow* window() const { return window_; }

  private:
    QPointer<PlotWindow> window_;
};

}  // namespace vx::plot::qt
