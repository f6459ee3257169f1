#include "app/widgets/AnchoredLayout.h"

#include <QWidget>
#include <algorithm>

AnchoredLayout::AnchoredLayout(QWidget* container, QSize designedSize)
    : QLayout(container), m_designedSize(designedSize) {
    setContentsMargins(0, 0, 0, 0);
    setSizeConstraint(QLayout::SetNoConstraint);
}

AnchoredLayout::~AnchoredLayout() {
    for (Entry& entry : m_entries) delete entry.item;  // layout items are the layout's own
}

void AnchoredLayout::addWidget(QWidget* widget, const QRect& designed, Anchors anchors) {
    addChildWidget(widget);
    Entry entry;
    entry.item = new QWidgetItem(widget);
    entry.anchors = anchors;
    remember(entry, designed, m_designedSize);
    widget->setGeometry(placeOf(entry, containerSize()));
    m_entries.push_back(entry);
    invalidate();
}

void AnchoredLayout::setWidgetGeometry(QWidget* widget, const QRect& place) {
    for (Entry& entry : m_entries) {
        if (entry.item->widget() != widget) continue;
        remember(entry, place, containerSize());
        widget->setGeometry(placeOf(entry, containerSize()));
        return;
    }
}

void AnchoredLayout::addItem(QLayoutItem* item) {
    Entry entry;
    entry.item = item;
    entry.anchors = TopLeft;
    remember(entry, item->geometry(), m_designedSize);
    m_entries.push_back(entry);
}

int AnchoredLayout::count() const {
    return static_cast<int>(m_entries.size());
}

QLayoutItem* AnchoredLayout::itemAt(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return m_entries[static_cast<std::size_t>(index)].item;
}

QLayoutItem* AnchoredLayout::takeAt(int index) {
    if (index < 0 || index >= count()) return nullptr;
    QLayoutItem* item = m_entries[static_cast<std::size_t>(index)].item;
    m_entries.erase(m_entries.begin() + index);
    return item;
}

QSize AnchoredLayout::sizeHint() const {
    return m_designedSize;
}

QSize AnchoredLayout::minimumSize() const {
    return {0, 0};
}

void AnchoredLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    m_placed = true;
    const QSize size = containerSize();
    // Hidden widgets are placed too, so that they are right when they are shown.
    for (const Entry& entry : m_entries) {
        if (QWidget* widget = entry.item->widget()) {
            widget->setGeometry(placeOf(entry, size));
        } else {
            entry.item->setGeometry(placeOf(entry, size));
        }
    }
}

void AnchoredLayout::remember(Entry& entry, const QRect& place, QSize size) {
    entry.left = place.left();
    entry.top = place.top();
    entry.width = place.width();
    entry.height = place.height();
    entry.right = size.width() - (place.left() + place.width());
    entry.bottom = size.height() - (place.top() + place.height());
}

QRect AnchoredLayout::placeOf(const Entry& entry, QSize size) const {
    int x = entry.left;
    int width = entry.width;
    if (entry.anchors.testFlag(Anchor::Right)) {
        if (entry.anchors.testFlag(Anchor::Left)) {
            width = size.width() - entry.left - entry.right;
        } else {
            x = size.width() - entry.right - entry.width;
        }
    }
    int y = entry.top;
    int height = entry.height;
    if (entry.anchors.testFlag(Anchor::Bottom)) {
        if (entry.anchors.testFlag(Anchor::Top)) {
            height = size.height() - entry.top - entry.bottom;
        } else {
            y = size.height() - entry.bottom - entry.height;
        }
    }
    return {x, y, std::max(0, width), std::max(0, height)};
}

QSize AnchoredLayout::containerSize() const {
    // Before the container has been laid out its size means nothing yet: use the designed one.
    const QWidget* container = parentWidget();
    if (!m_placed || !container) return m_designedSize;
    return container->size();
}
