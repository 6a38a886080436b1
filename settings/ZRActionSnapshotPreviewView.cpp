#include "settings/ZRActionSnapshotPreviewView.h"

#include "actions/ZRSnapshotDrawing.h"
#include "toolkit/ViewExtensions.h"

#include <QEvent>
#include <QPainter>
#include <QToolButton>
#include <cmath>

namespace {

constexpr double WindowCornerRadius = 5;
constexpr double DarkWindowAlpha = 0.55;
constexpr double DarkTranslucentWindowAlpha = 0.4;
constexpr double LightWindowAlpha = 0.95;
constexpr double LightTranslucentWindowAlpha = 0.55;
// The grey of the labels: white on the dark windows, black on the light ones.
constexpr double DarkEmphasis = 1.0;
constexpr double LightEmphasis = 0.0;
constexpr int CycleButtonInset = 2;

} // namespace

ZRActionSnapshotPreviewView::ZRActionSnapshotPreviewView(QWidget* parent)
    : QWidget(parent), m_cycleButton(new QToolButton(this)) {
    m_cycleButton->setArrowType(Qt::RightArrow);
    m_cycleButton->setAutoRaise(true);
    m_cycleButton->hide();
    connect(m_cycleButton, &QToolButton::clicked, this, &ZRActionSnapshotPreviewView::cycleSnapshot);
}

void ZRActionSnapshotPreviewView::setIncreaseTranslucency(bool increase) {
    if (increase == m_increaseTranslucency)
        return;
    m_increaseTranslucency = increase;
    redraw();
}

void ZRActionSnapshotPreviewView::setLabelPriority(unsigned priority) {
    if (priority == m_labelPriority)
        return;
    m_labelPriority = priority;
    redraw();
}

void ZRActionSnapshotPreviewView::setSnapshot(const QVariantList& snapshot) {
    m_snapshot = snapshot;
    m_numberOfScreens = numberOfScreensInSnapshot(m_snapshot);
    m_screenIndex = 0;
    m_cycleButton->setVisible(m_numberOfScreens >= 2);
    redraw();
}

void ZRActionSnapshotPreviewView::cycleSnapshot() {
    if (m_numberOfScreens == 0)
        return;
    m_screenIndex = (m_screenIndex + 1) % m_numberOfScreens;
    redraw();
}

void ZRActionSnapshotPreviewView::redraw() {
    m_picture = QImage();
    update();
}

void ZRActionSnapshotPreviewView::paintEvent(QPaintEvent*) {
    const double ratio = devicePixelRatioF();
    const QSize pixels(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio)));
    if (m_picture.size() != pixels || m_picture.devicePixelRatio() != ratio) {
        // Labels cut through the windows, which needs a picture of its own with an alpha channel.
        m_picture = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_picture.setDevicePixelRatio(ratio);
        m_picture.fill(Qt::transparent);
        const bool dark = isInFullyInvertedDarkMode(this);
        QColor color = dark ? Qt::black : Qt::white;
        if (dark)
            color.setAlphaF(m_increaseTranslucency ? DarkTranslucentWindowAlpha : DarkWindowAlpha);
        else
            color.setAlphaF(m_increaseTranslucency ? LightTranslucentWindowAlpha : LightWindowAlpha);
        QPainter painter(&m_picture);
        numberOfScreensInSnapshot(
            m_snapshot, painter, m_screenIndex, QRectF(rect()),
            {color, true, m_labelPriority, dark ? DarkEmphasis : LightEmphasis, false, WindowCornerRadius});
    }
    QPainter painter(this);
    painter.drawImage(QRectF(rect()), m_picture);
}

void ZRActionSnapshotPreviewView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize button = m_cycleButton->sizeHint();
    m_cycleButton->setGeometry(width() - button.width() - CycleButtonInset,
                               height() - button.height() - CycleButtonInset, button.width(),
                               button.height());
    redraw();
}

void ZRActionSnapshotPreviewView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        redraw();
}
