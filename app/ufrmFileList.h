#pragma once

#include <QString>
#include <QWidget>
#include <vector>

class QListWidget;
struct clValues;

// The recent-file drop-down beside the "File 1" and "File 2" buttons: a window without border or
// caption, filled by a list of the paths opened in this run. A double click opens the path in the
// slot the list belongs to; the list closes when the user clicks elsewhere.
class TfrmFileList : public QWidget {
    Q_OBJECT
public:
    // `parent` is the main window; the drop-down is a tool window of its own above it.
    explicit TfrmFileList(QWidget* parent = nullptr);

    QListWidget* List = nullptr;
    int TargetFile = 1;  // 1: the list shows File1History, 2: File2History

    // Fills the list from `history` (oldest first) and sizes the window: at least 140 wide, and
    // 6 pixels for each character of the longest path seen in this run; 18 high for one path,
    // 15 per path for more. Does nothing for an empty history.
    bool Fill(const std::vector<clValues>& history);
    // Fills, places at `topLeft` (screen pixels) and shows the drop-down for slot `targetFile`.
    void ShowFor(int targetFile, const std::vector<clValues>& history, QPoint topLeft);

    void ListDblClick();
    void FormDeactivate();

signals:
    // A path was chosen for slot 1 or 2.
    void recentFileChosen(int slotNumber, const QString& path);

protected:
    void changeEvent(QEvent* event) override;

private:
    int m_width = 140;  // never reduced during the run
};
