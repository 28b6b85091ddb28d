#include "plot/qt/plot_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <cmath>

#include "graphs/plot_interface.h"
#include "plot/colour.h"
#include "plot/events.h"
#include "plot/qt/hairline.h"
#include "ui/text_encoding.h"

namespace vx::plot::qt {

PlotWindow::PlotWindow(const Scene& scene) : scene_(scene) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

PlotWindow::~PlotWindow() {
    endPicturePainter();
}

QPainter& PlotWindow::picturePainter() {
    if (!painter_.isActive()) {
        painter_.begin(&picture_);
        painter_.setTransform(transform_);
    }
    return painter_;
}

void PlotWindow::endPicturePainter() {
    if (painter_.isActive()) painter_.end();
}

void PlotWindow::paintOnPicture(const Primitive& p) {
    const bool line = p.kind == Kind::Polyline || p.kind == Kind::Lines;
    if (!line || p.style != LineStyle::Solid || !ScenePainter::isHairline(p, pixelsPerUnit_)) {
        QPainter& painter = picturePainter();
        if (p.curve) painter.setClipRect(transform_.inverted().mapRect(QRectF(inside(p.area))));
        scenePainter_.paint(painter, scene_, p, pixelsPerUnit_);
        painter.setClipping(false);
        return;
    }
    endPicturePainter();
    const QRect clip = p.curve ? inside(p.area) : picture_.rect();
    const QRgb colour = qRgb(redOf(p.colour), greenOf(p.colour), blueOf(p.colour));
    const auto pts = scene_.points(p);
    const size_t step = p.kind == Kind::Lines ? 2 : 1;
    const double s = transform_.m11(), dx = transform_.dx(), dy = transform_.dy();  // scale and move only
    auto device = [&](PointF q) { return QPointF(q.x * s + dx, q.y * s + dy); };
    for (size_t i = 1; i < pts.size(); i += step)
        drawHairline(picture_, clip, device(pts[i - 1]), device(pts[i]), colour);
}

// The pixels strictly inside the frame lines that fall on an axis area's edges.
QRect PlotWindow::inside(const Box& area) const {
    const QPoint topLeft = pixelOf(transform_.map(QPointF(area.left, area.top)));
    const QPoint bottomRight = pixelOf(transform_.map(QPointF(area.right, area.bottom)));
    return QRect(topLeft + QPoint(1, 1), bottomRight - QPoint(1, 1));
}

void PlotWindow::paintPrimitive(const Primitive& p) {
    if (picture_.isNull()) return;
    paintOnPicture(p);
    QWidget::update();
}

void PlotWindow::repaintPicture() {
    endPicturePainter();
    picture_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    picture_.fill(palette().color(QPalette::Window));
    transform_ = pageTransform(QSizeF(picture_.size()));
    pixelsPerUnit_ = transform_.m11();
    scene_.forEach([this](const Primitive& p) { paintOnPicture(p); });
    QWidget::update();
}

QPoint PlotWindow::toPage(QPointF widgetPos) const {
    const QPointF p = transform_.inverted().map(widgetPos);
    return QPoint(int(std::lround(p.x())), int(std::lround(p.y())));
}

QPointF PlotWindow::fromPage(int x, int y) const {
    return transform_.map(QPointF(x, y));
}

int32_t PlotWindow::keyCode(int key, const QString& text) {
    switch (key) {
        case Qt::Key_Left:
            return FRECCIA_LEFT_KEY;
        case Qt::Key_Up:
            return FRECCIA_UP_KEY;
        case Qt::Key_Right:
            return FRECCIA_RIGHT_KEY;
        case Qt::Key_Down:
            return FRECCIA_DOWN_KEY;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        default:
            break;
    }
    if (text.isEmpty()) return 0;
    const std::string bytes = vx::ui::utf8ToCp1252(text.left(1).toStdString());
    return bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]);
}

void PlotWindow::paintEvent(QPaintEvent*) {
    endPicturePainter();
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

void PlotWindow::resizeEvent(QResizeEvent*) {
    repaintPicture();
}

void PlotWindow::keyPressEvent(QKeyEvent* e) {
    const int32_t code = keyCode(e->key(), e->text());
    if (!code) return QWidget::keyPressEvent(e);
    int x, y;
    pointer(&x, &y);
    postEvent(code, x, y);
}

void PlotWindow::mousePressEvent(QMouseEvent* e) {
    const int32_t code = e->button() == Qt::LeftButton    ? PULSANTE_1_MOUSE
                         : e->button() == Qt::RightButton ? PULSANTE_2_MOUSE
                                                          : 0;
    const QPoint at = toPage(e->position());
    if (code) postEvent(code, at.x(), at.y());
}

void PlotWindow::mouseMoveEvent(QMouseEvent* e) {
    const QPoint at = toPage(e->position());
    setPointer(at.x(), at.y());
}

// Closing the window is the user's Escape: the program's event loop sees it and ends the
// plot as it would on the key.
void PlotWindow::closeEvent(QCloseEvent* e) {
    int x, y;
    pointer(&x, &y);
    postEvent(27, x, y);
    e->accept();
}

QtScreen::~QtScreen() {
    if (QCoreApplication::instance()) delete window_;  // after the application, widgets are gone
}

void QtScreen::open(const WindowRequest& w, const Scene& scene) {
    delete window_;
    window_ = new PlotWindow(scene);
    window_->setWindowTitle(QString::fromStdString(vx::ui::cp1252ToUtf8(w.title)));
    window_->move(w.x, w.y);
    window_->resize(std::max(1, w.width), std::max(1, w.height));
    window_->show();
}

void QtScreen::setTitle(const std::string& title) {
    if (window_) window_->setWindowTitle(QString::fromStdString(vx::ui::cp1252ToUtf8(title)));
}

void QtScreen::drawn(const Scene&, const Primitive& p) {
    if (window_) window_->paintPrimitive(p);
}

void QtScreen::update() {
    if (window_) window_->update();
}

void QtScreen::close() {
    delete window_;
}

void QtScreen::setCursorShape(CursorShape shape) {
    if (!window_) return;
    const Qt::CursorShape s = shape == CursorShape::Cross     ? Qt::CrossCursor
                              : shape == CursorShape::UpArrow ? Qt::UpArrowCursor
                                                              : Qt::ArrowCursor;
    if (window_->cursor().shape() != s) window_->setCursor(s);
}

void QtScreen::movePointer(int x, int y) {
    if (window_) QCursor::setPos(window_->mapToGlobal(window_->fromPage(x, y).toPoint()));
}

void QtScreen::waitForEvent(int ms) {
    QDeadlineTimer deadline(ms < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(ms));
    QTimer wake;  // wakes the wait now and then to look at the clock
    wake.start(50);
    while (!eventPending() && isOpen() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool QtScreen::isOpen() const {
    return window_ && window_->isVisible();
}

ScreenMetrics QtScreen::metrics() const {
    ScreenMetrics m;
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        m.width = s->geometry().width();
        m.height = s->geometry().height();
    }
    if (const QStyle* style = QApplication::style()) {
        m.frameWidth = m.frameHeight = style->pixelMetric(QStyle::PM_DefaultFrameWidth);
        m.captionHeight = style->pixelMetric(QStyle::PM_TitleBarHeight);
    }
    return m;
}

}  // namespace vx::plot::qt
