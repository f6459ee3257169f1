#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

// The blue of the captions that head a group of controls ("Functions :", "Description").
inline constexpr QColor CaptionBlue{0, 0, 255};

inline void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}
