#include "app/widgets/CaptionColours.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>

namespace {

// Sets the widget's text colour from one role of the application's palette whenever that palette
// changes: a colour set on the widget itself would otherwise stay the one of the old palette.
class PaletteRoleText : public QObject {
public:
    PaletteRoleText(QWidget* widget, QPalette::ColorRole role)
        : QObject(widget), m_widget(widget), m_role(role) {
        widget->installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject*, QEvent* event) override {
        // Only windows receive ApplicationPaletteChange; a control inside one learns of the new
        // palette by a PaletteChange, which its own setPalette also sends (apply stops there).
        if (event->type() == QEvent::ApplicationPaletteChange ||
            event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
            apply();
        }
        return false;
    }

private:
    void apply() {
        const QColor colour = QApplication::palette(m_widget).color(m_role);
        QPalette palette = m_widget->palette();
        if (palette.color(QPalette::WindowText) == colour) return;
        palette.setColor(QPalette::WindowText, colour);
        palette.setColor(QPalette::Text, colour);
        m_widget->setPalette(palette);
    }

    QWidget* m_widget;
    QPalette::ColorRole m_role;
};

}  // namespace

QColor CaptionColour(const QWidget* widget) {
    return QApplication::palette(widget).color(QPalette::Link);
}

void UseCaptionColour(QWidget* widget) {
    new PaletteRoleText(widget, QPalette::Link);
}

void UseQuietColour(QWidget* widget) {
    new PaletteRoleText(widget, QPalette::PlaceholderText);
}
