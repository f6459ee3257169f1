#include "app/widgets/Pictures.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <array>

// The pictures are compiled into the forms library; a static library's resources have to be
// registered by hand.
static void registerPictures() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(quarix);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace {

const std::array<QString, 5> kToolPictures = {
    QStringLiteral(":/icons/open.svg"), QStringLiteral(":/icons/save.svg"),
    QStringLiteral(":/icons/conditions.svg"), QStringLiteral(":/icons/run.svg"),
    QStringLiteral(":/icons/help.svg")};

QImage renderImage(const QString& resource, QSize size, qreal ratio) {
    registerPictures();
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    image.setDevicePixelRatio(ratio);
    return image;
}

qreal screenRatio() {
    return qApp ? qApp->devicePixelRatio() : 1.0;
}

int roleOf(int index) {
    return std::clamp(index % ToolImages::PressedOffset, 0, 4);
}

// Pressed: one pixel lower and to the right, and a little darker, as if pushed into the bar.
QImage pressedLook(const QImage& normal) {
    QImage pressed(normal.size(), normal.format());
    pressed.fill(Qt::transparent);
    pressed.setDevicePixelRatio(normal.devicePixelRatio());
    QPainter painter(&pressed);
    painter.drawImage(QPointF(1, 1), normal);
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.fillRect(pressed.rect(), QColor(0, 0, 0, 48));
    return pressed;
}

// Disabled: grey, pale and flat.
QImage disabledLook(const QImage& normal) {
    QImage grey = normal.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb pixel = line[x];
            const int level = 128 + qGray(pixel) / 2;
            line[x] = qRgba(level, level, level, qAlpha(pixel) * 3 / 5);
        }
    }
    return grey;
}

}  // namespace

QPixmap RenderPicture(const QString& resource, QSize size) {
    return QPixmap::fromImage(renderImage(resource, size, screenRatio()));
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(QPixmap::fromImage(
            renderImage(QStringLiteral(":/icons/quarix.svg"), QSize(side, side), 1.0)));
    }
    return icon;
}

namespace ToolImages {

QPixmap image(int index) {
    const QImage normal = renderImage(kToolPictures[static_cast<std::size_t>(roleOf(index))],
                                      QSize(Size, Size), screenRatio());
    return QPixmap::fromImage(index >= PressedOffset ? pressedLook(normal) : normal);
}

QPixmap disabledImage(int index) {
    const QImage normal = renderImage(kToolPictures[static_cast<std::size_t>(roleOf(index))],
                                      QSize(Size, Size), screenRatio());
    return QPixmap::fromImage(disabledLook(normal));
}

QIcon icon(int index) {
    QIcon result;
    result.addPixmap(image(index), QIcon::Normal);
    result.addPixmap(image(index), QIcon::Active);
    result.addPixmap(disabledImage(roleOf(index)), QIcon::Disabled);
    return result;
}

}  // namespace ToolImages
