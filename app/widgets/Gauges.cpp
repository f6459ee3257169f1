#include "app/widgets/Gauges.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr std::int64_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kIntMax = std::numeric_limits<std::int32_t>::max();

EGaugeRangeError rangeError(std::int64_t low, std::int64_t high) {
    return EGaugeRangeError(
        QStringLiteral("Value must be between %1 and %2").arg(low).arg(high).toStdString());
}

}  // namespace

TGauge::TGauge(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int TGauge::PercentOf(int progress, int minValue, int maxValue) {
    // 64-bit: the differences of two 32-bit values, times 100, do not fit in 32 bits.
    const std::int64_t range = std::int64_t(maxValue) - minValue;
    if (range == 0) return 0;
    return static_cast<int>((std::int64_t(progress) - minValue) * 100 / range);
}

int TGauge::FilledExtent(int percent, int innerExtent) {
    const int filled = static_cast<int>(std::int64_t(percent) * innerExtent / 100);
    return std::clamp(filled, 0, std::max(0, innerExtent));
}

void TGauge::setMinValue(int value) {
    if (value == m_minValue) return;
    if (value > m_maxValue) throw rangeError(kIntMin + 1, std::int64_t(m_maxValue) - 1);
    m_minValue = value;
    if (m_progress < value) m_progress = value;
    update();
}

void TGauge::setMaxValue(int value) {
    if (value == m_maxValue) return;
    if (value < m_minValue) throw rangeError(std::int64_t(m_minValue) + 1, kIntMax);
    m_maxValue = value;
    if (m_progress > value) m_progress = value;
    update();
}

void TGauge::setProgress(int value) {
    const int clamped = std::clamp(value, m_minValue, m_maxValue);
    if (clamped == m_progress) return;
    const int before = PercentDone();
    m_progress = clamped;
    if (PercentDone() != before) update();
}

void TGauge::addProgress(int delta) {
    const std::int64_t sum = std::int64_t(m_progress) + delta;
    setProgress(static_cast<int>(std::clamp<std::int64_t>(sum, m_minValue, m_maxValue)));
}

void TGauge::setKind(TGaugeKind kind) {
    if (kind == m_kind) return;
    m_kind = kind;
    update();
}

void TGauge::setShowText(bool show) {
    if (show == m_showText) return;
    m_showText = show;
    update();
}

void TGauge::setBorderStyle(TGaugeBorderStyle style) {
    if (style == m_borderStyle) return;
    m_borderStyle = style;
    update();
}

void TGauge::setForeColor(const QColor& color) {
    if (color == m_foreColor) return;
    m_foreColor = color;
    update();
}

void TGauge::setBackColor(const QColor& color) {
    if (color == m_backColor) return;
    m_backColor = color;
    update();
}

QRect TGauge::innerRect() const {
    const int frame = m_borderStyle == TGaugeBorderStyle::bsSingle ? 1 : 0;
    return rect().adjusted(frame, frame, -frame, -frame);
}

QImage TGauge::render() const {
    QImage image(size(), QImage::Format_RGB32);
    QPainter painter(&image);
    if (m_borderStyle == TGaugeBorderStyle::bsSingle) {
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    const QRect inner = innerRect();
    const int percent = PercentDone();
    painter.fillRect(inner, m_kind == TGaugeKind::gkText ? QColor(Qt::white) : m_backColor);

    switch (m_kind) {
        case TGaugeKind::gkText:
            break;
        case TGaugeKind::gkHorizontalBar: {
            const int filled = FilledExtent(percent, inner.width());
            if (filled >= 1)
                painter.fillRect(inner.left(), inner.top(), filled, inner.height(), m_foreColor);
            break;
        }
        case TGaugeKind::gkVerticalBar: {
            const int filled = FilledExtent(percent, inner.height());
            if (filled >= 1)
                painter.fillRect(inner.left(), inner.bottom() + 1 - filled, inner.width(), filled,
                                 m_foreColor);
            break;
        }
        case TGaugeKind::gkPie: {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::black);
            painter.setBrush(m_backColor);
            const QRect circle = inner.adjusted(1, 1, -2, -2);
            painter.drawEllipse(circle);
            painter.setBrush(m_foreColor);
            // Qt counts angles in 1/16 degree, anticlockwise from three o'clock.
            if (percent > 0) painter.drawPie(circle, 90 * 16, -percent * 360 * 16 / 100);
            break;
        }
        case TGaugeKind::gkNeedle: {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::black);
            painter.setBrush(m_backColor);
            const QRect circle(inner.left() + 1, inner.top() + 1, inner.width() - 2,
                               2 * inner.height() - 4);
            painter.drawPie(circle, 0, 180 * 16);
            const QPointF hub(circle.center().x(), inner.bottom() - 1);
            const double angle = M_PI * (1.0 - percent / 100.0);
            const QPointF tip(hub.x() + std::cos(angle) * circle.width() / 2.0,
                              hub.y() - std::sin(angle) * (circle.height() / 2.0));
            painter.setPen(QPen(m_foreColor, 2));
            painter.drawLine(hub, tip);
            break;
        }
    }

    if (m_showText && m_kind != TGaugeKind::gkNeedle) {
        // Exclusive-or with white inverts what lies beneath, so the digits stay readable on the
        // bar and on the background alike. Smoothed edges would not invert cleanly.
        QFont textFont = font();
        textFont.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(textFont);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(Qt::white);
        painter.drawText(inner, Qt::AlignCenter, QStringLiteral("%1%").arg(percent));
    }
    return image;
}

void TGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, render());
}
