#pragma once

#include <QLayout>
#include <QRect>
#include <QSize>
#include <vector>

// Keeps child widgets at designed pixel positions and moves or stretches them with their
// container, as form anchors do: a widget anchored left and right keeps both distances and widens
// with the container; anchored right only, it keeps its width and its distance to the right edge;
// anchored on all four sides, it grows both ways. Positions are relative to the container's whole
// rectangle (a group box's caption included), as they were designed.
class AnchoredLayout : public QLayout {
public:
    enum class Anchor { Left = 1, Top = 2, Right = 4, Bottom = 8 };
    Q_DECLARE_FLAGS(Anchors, Anchor)

    static constexpr Anchors TopLeft{Anchors::fromInt(1 | 2)};
    static constexpr Anchors TopRight{Anchors::fromInt(2 | 4)};
    static constexpr Anchors Stretch{Anchors::fromInt(1 | 2 | 4)};  // widens with the container
    static constexpr Anchors Fill{Anchors::fromInt(1 | 2 | 4 | 8)};

    // `designedSize` is the size of `container` that the designed positions refer to.
    AnchoredLayout(QWidget* container, QSize designedSize);
    ~AnchoredLayout() override;

    void addWidget(QWidget* widget, const QRect& designed, Anchors anchors);
    // Moves a widget at run time. Its distances to the container's edges are taken anew from the
    // container's current size, so later resizes keep the new place.
    void setWidgetGeometry(QWidget* widget, const QRect& place);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    struct Entry {
        QLayoutItem* item = nullptr;
        Anchors anchors;
        int left = 0, top = 0, right = 0, bottom = 0;  // distances to the container's edges
        int width = 0, height = 0;
    };
    void remember(Entry& entry, const QRect& place, QSize containerSize);
    QRect placeOf(const Entry& entry, QSize containerSize) const;
    QSize containerSize() const;

    std::vector<Entry> m_entries;
    QSize m_designedSize;
    bool m_placed = false;  // the container has been laid out at least once
};

Q_DECLARE_OPERATORS_FOR_FLAGS(AnchoredLayout::Anchors)
