#include "app/ufrmFileList.h"

#include <QEvent>
#include <QListWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "data/uGlobalData.h"

namespace {

constexpr int kPixelsPerCharacter = 6;
constexpr int kOnePathHeight = 18;
constexpr int kRowHeight = 15;

}  // namespace

TfrmFileList::TfrmFileList(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmFileList"));
    resize(140, 174);

    List = new QListWidget(this);
    List->setObjectName(QStringLiteral("List"));
    List->setFrameShape(QFrame::Box);
    List->setLineWidth(1);
    List->setUniformItemSizes(true);
    List->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List->setTextElideMode(Qt::ElideMiddle);
    // The list fills the drop-down, whose size and place the recent-file rules compute.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(List);
    List->setMinimumSize(1, 1);  // as small as the computed size, whatever the list's own hint
    connect(List, &QListWidget::itemDoubleClicked, this, &TfrmFileList::ListDblClick);
}

bool TfrmFileList::Fill(const std::vector<clValues>& history) {
    if (history.empty()) return false;
    // A row as designed, taller where the desktop's font needs it.
    const int line = List->fontMetrics().height();
    const int rowHeight0 = std::max(kRowHeight, line);
    const int count = static_cast<int>(std::min<std::size_t>(history.size(), INT_MAX / rowHeight0));
    const int height = count == 1 ? std::max(kOnePathHeight, line + 3) : rowHeight0 * count;
    // The rows share what the list's frame leaves, so that every path is in view.
    const int frame = 2 * List->frameWidth();
    const int rowHeight = std::max(1, (height - frame) / count);

    List->clear();
    for (const clValues& entry : history) {
        auto* item = new QListWidgetItem(entry.Value, List);
        item->setToolTip(entry.Value);  // the whole path, should the list be too narrow
        item->setSizeHint(QSize(0, rowHeight));
        const qsizetype wanted = kPixelsPerCharacter * entry.Value.size();
        m_width = static_cast<int>(std::clamp<qsizetype>(wanted, m_width, QWIDGETSIZE_MAX));
    }
    resize(m_width, height);
    layout()->activate();  // the list takes the new size now, even while hidden
    return true;
}

void TfrmFileList::ShowFor(int targetFile, const std::vector<clValues>& history, QPoint topLeft) {
    if (!Fill(history)) return;
    move(topLeft);
    TargetFile = targetFile;
    show();
    raise();
    activateWindow();
}

void TfrmFileList::ListDblClick() {
    const QListWidgetItem* item = List->currentItem();
    if (!item || !item->isSelected()) return;
    const QString path = item->text();
    const int slot = TargetFile;
    hide();
    emit recentFileChosen(slot, path);
}

void TfrmFileList::FormDeactivate() {
    hide();
}

void TfrmFileList::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow()) {
        FormDeactivate();
    }
    QWidget::changeEvent(event);
}
