#pragma once

#include <QColor>
#include <QWidget>
#include <stdexcept>

// A painted progress gauge: a bar (or text, a pie, a needle) with the percentage done written on
// it. The program uses the horizontal bar with text in the progress dialog.

enum class TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
enum class TGaugeBorderStyle { bsNone, bsSingle };

// Thrown when a range is set the wrong way round: the minimum above the maximum or the maximum
// below the minimum. what() is "Value must be between A and B" with the values allowed.
class EGaugeRangeError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

class TGauge : public QWidget {
    Q_OBJECT
public:
    explicit TGauge(QWidget* parent = nullptr);

    int MinValue() const { return m_minValue; }
    int MaxValue() const { return m_maxValue; }
    int Progress() const { return m_progress; }
    // Refused with EGaugeRangeError when above MaxValue; raises Progress to the new minimum.
    void setMinValue(int value);
    // Refused with EGaugeRangeError when below MinValue; lowers Progress to the new maximum.
    void setMaxValue(int value);
    // Kept within MinValue..MaxValue; repaints only when the whole percentage changes.
    void setProgress(int value);
    // Progress + delta, without overflowing at the ends of the 32-bit range.
    void addProgress(int delta);

    TGaugeKind Kind() const { return m_kind; }
    void setKind(TGaugeKind kind);
    bool ShowText() const { return m_showText; }
    void setShowText(bool show);
    TGaugeBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TGaugeBorderStyle style);
    QColor ForeColor() const { return m_foreColor; }
    void setForeColor(const QColor& color);
    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor& color);

    // (Progress - MinValue) * 100 / (MaxValue - MinValue), truncated; 0 for an empty range.
    int PercentDone() const { return PercentOf(m_progress, m_minValue, m_maxValue); }
    static int PercentOf(int progress, int minValue, int maxValue);
    // The filled part of a bar: percent * 0.01 * the inner extent, truncated, at most the extent.
    static int FilledExtent(int percent, int innerExtent);

    // The gauge as it is painted, on an off-screen image.
    QImage render() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect innerRect() const;

    int m_minValue = 0;
    int m_maxValue = 100;
    int m_progress = 0;
    TGaugeKind m_kind = TGaugeKind::gkHorizontalBar;
    bool m_showText = true;
    TGaugeBorderStyle m_borderStyle = TGaugeBorderStyle::bsSingle;
    QColor m_foreColor = Qt::black;
    QColor m_backColor = Qt::white;
};
