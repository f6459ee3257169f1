#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's pictures, drawn from the SVG files in the resources.

// The tool bar's image list: 0 open, 1 save, 2 conditions, 3 run, 4 help; 5 to 9 the same five
// drawn pressed. The disabled list holds the five disabled-looking pictures in the order 0 to 4.
namespace ToolImages {
inline constexpr int Open = 0;
inline constexpr int Save = 1;
inline constexpr int Conditions = 2;
inline constexpr int Run = 3;
inline constexpr int Help = 4;
inline constexpr int PressedOffset = 5;
inline constexpr int Size = 24;

QPixmap image(int index);          // 0 to 9
QPixmap disabledImage(int index);  // 0 to 4
// A tool button's icon: picture `index` of the image list, and for the disabled state the
// disabled picture of the same role.
QIcon icon(int index);
}  // namespace ToolImages

// Renders an SVG resource at `size` device-independent pixels, sharp on high-density screens.
QPixmap RenderPicture(const QString& resource, QSize size);

// The program's icon, the picture the desktop entry names, at the sizes title bars, task bars and
// switchers ask for.
QIcon ProgramIcon();
