#include "app/ufrmMain.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>

#include "app/HelpWindow.h"
#include "app/uFrmAbout.h"
#include "app/ufrmFileList.h"
#include "app/widgets/Pictures.h"
#include "app/widgets/ResultGridModel.h"
#include "app/widgets/WindowPlacement.h"
#include "conditions/ConditionList.h"
#include "conditions/FunctionWizard.h"
#include "conditions/forms/uFrmConditions.h"
#include "data/ResultSaving.h"
#include "data/forms/ufrmChooseSheet.h"
#include "data/forms/ufrmShowFieldsList.h"
#include "data/seams/MessageSeam.h"
#include "data/uGlobalData.h"
#include "processing/GridCopy.h"
#include "processing/RunCommand.h"

namespace {

const QColor kGridLineColour(0xC0, 0xC0, 0xC0);

}  // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quarix"));
    setWindowIcon(ProgramIcon());

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    m_client->setMouseTracking(true);
    setCentralWidget(m_client);
    // The tool bar spans the whole width; the rest stands a little in from the edges.
    auto* outer = new QVBoxLayout(m_client);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    m_clientLayout = new QVBoxLayout;
    m_clientLayout->setContentsMargins(4, 3, 3, 5);
    m_clientLayout->setSpacing(7);

    createToolBar();
    outer->addWidget(ElToolBar1);
    outer->addLayout(m_clientLayout, 1);
    createFileRows();
    createParameters();
    createResultArea();
    // Until there is a result, the room it will take stays empty below the parameters.
    m_clientLayout->addStretch(0);
    createMenus();

    // The designed client area, or more where the font needs it. The smallest size is the one the
    // layouts need; the window's frame is the desktop's.
    const QSize client = m_client->sizeHint().expandedTo(ClientSize);
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->availableGeometry();
        move(desktop.center() - QPoint(width() / 2, height() / 2));
    }

    // Key preview, the wheel and the mouse moves that switch the Run picture: the window sees
    // these before its controls do.
    qApp->installEventFilter(this);
    setAcceptDrops(true);

    FormCreate();
}

TfrmMain::~TfrmMain() {
    qApp->removeEventFilter(this);
    setFileSlotView(nullptr);
    setResultAreaView(nullptr);
}

void TfrmMain::setDialogs(TfrmFileList* fileList, TFrmAbout* about) {
    m_fileList = fileList;
    m_about = about;
    if (m_fileList) {
        connect(m_fileList, &TfrmFileList::recentFileChosen, this, &TfrmMain::OpenRecentFile);
    }
}

// ---- state -------------------------------------------------------------------------------------

void TfrmMain::FormCreate() {
    // The two file slots and their recent-file lists start empty. (A slot's contents go before
    // its connection: the data set reads through it.)
    for (clFile* slot : {&File1, &File2}) {
        slot->Contents.reset();
        *slot = clFile();
    }
    File1History.clear();
    File2History.clear();
    LastOpenedFile.clear();
    setFileSlotView(this);
    setResultAreaView(this);
    // The wizard's settings start with no function configured; they live with the conditions.

    setGroupEnabled(CommandGroup::NeedsFile1, false);
    grpboxResult->hide();
    setGroupEnabled(CommandGroup::NeedsFile2, false);
    SetSaveEnabled(false);

    RunPictureState = RunPicture::Disabled;
    ImageRun->setPixmap(ImageRunDisabled->pixmap());

    // The grid: no border, silver grid lines.
    MSFlexGrid1->setFrameShape(QFrame::NoFrame);
    MSFlexGrid1->setStyleSheet(
        QStringLiteral("QTableView { gridline-color: %1; }").arg(kGridLineColour.name()));
}

void TfrmMain::setGroupEnabled(CommandGroup group, bool enabled) {
    switch (group) {
        case CommandGroup::NeedsFile1:
            for (QWidget* control : std::initializer_list<QWidget*>{
                     btnOpenFile2, btnTBOpenFile2, btnShowHistory2, btnConditions, btnTBConditions,
                     btnClearAllFields, btnTBRun}) {
                control->setEnabled(enabled);
            }
            for (QAction* item : {mnuOpenFile2, mnuConditions, mnuClearAllFields, mnuRun}) {
                item->setEnabled(enabled);
            }
            break;
        case CommandGroup::NeedsFile2:
            mnuUnloadFile2->setEnabled(enabled);
            break;
    }
}

void TfrmMain::EnableFileCommands(CommandGroup group) {
    setGroupEnabled(group, true);
    if (group == CommandGroup::NeedsFile1) {
        RunPictureState = RunPicture::NoLook;
        SetRunPicture(RunPicture::Normal);
        grpboxResult->show();
    }
}

void TfrmMain::DisableFileCommands(CommandGroup group) {
    setGroupEnabled(group, false);
    if (group == CommandGroup::NeedsFile1) {
        RunPictureState = RunPicture::NoLook;
        SetRunPicture(RunPicture::Disabled);
        // An enlarged result area gives its room back as it goes: the controls it hid would
        // otherwise leave the window empty.
        if (SpeedButton2->isVisibleTo(grpboxResult)) ElGraphicButton9Click();
        grpboxResult->hide();
    }
}

void TfrmMain::SetSaveEnabled(bool enabled) {
    mnuSaveFile->setEnabled(enabled);
    btnSaveFile->setEnabled(enabled);
}

void TfrmMain::SetRunPicture(RunPicture look) {
    if (RunPictureState == RunPicture::Disabled || RunPictureState == look) return;
    const QLabel* source = nullptr;
    switch (look) {
        case RunPicture::Disabled:
            source = ImageRunDisabled;
            break;
        case RunPicture::Normal:
            source = ImageRunNormal;
            break;
        case RunPicture::Hover:
            source = imageRunOver;
            break;
        case RunPicture::Pressed:
            source = ImageRunPressed;
            break;
        case RunPicture::NoLook:
            break;
    }
    if (!source) return;  // nothing to show
    ImageRun->setPixmap(source->pixmap());
    RunPictureState = look;
}

void TfrmMain::clearFileField(FileSlot slot) {
    (slot == FileSlot::File2 ? fldFile2 : fldFile1)->clear();
}

// ---- handlers ----------------------------------------------------------------------------------

void TfrmMain::FormShow() {
    btnOpenFile1->setFocus(Qt::OtherFocusReason);
}

void TfrmMain::FormResize() {
    const int width = fldConditions->width();
    const int field = width / 5;
    const int properties = width / 2;
    fldConditions->setColumnWidth(0, field);
    fldConditions->setColumnWidth(1, properties);
    fldConditions->setColumnWidth(2, std::max(0, width - field - properties - 5));
    FitColumnWidths();
}

bool TfrmMain::FormKeyDown(int key) {
    if (key != Qt::Key_Escape) return false;
    close();
    return true;
}

void TfrmMain::FormMouseWheel(int angleDelta) {
    // A notch is 120; touchpads send small parts of one, and sideways or end-of-gesture events
    // none at all: only whole notches scroll. Turned away from the user: +3; towards: -3.
    m_wheelTurn += angleDelta;
    while (m_wheelTurn >= 120 || m_wheelTurn <= -120) {
        const int direction = m_wheelTurn > 0 ? 3 : -3;
        m_wheelTurn -= m_wheelTurn > 0 ? 120 : -120;
        ScrollGridByWheel(direction);
    }
}

bool TfrmMain::FormCloseQuery() {
    if (ShowMessageBox(QStringLiteral("Quarix"), QStringLiteral("Exit Application?"),
                       MessageStyle::YesNoQuestion) != MessageAnswer::Yes) {
        return false;
    }
    for (clFile* slot : {&File1, &File2}) {
        if (slot->isInUse()) UnloadFile(*slot);
    }
    return true;
}

void TfrmMain::FormMouseMove() {
    SetRunPicture(RunPicture::Normal);
}

void TfrmMain::ImageRunMouseMove() {
    if (RunPictureState != RunPicture::Pressed) SetRunPicture(RunPicture::Hover);
}

void TfrmMain::ImageRunMouseDown() {
    SetRunPicture(RunPicture::Pressed);
}

void TfrmMain::ImageRunMouseUp() {
    SetRunPicture(RunPicture::Hover);
}

void TfrmMain::ImageRunClick() {
    // The picture is reached through an event filter, which a disabled client area does not stop.
    if (RunPictureState == RunPicture::Disabled || m_busy) return;
    btnTBRunClick();
}

void TfrmMain::showAboveResult(bool shown) {
    for (QWidget* widget :
         std::initializer_list<QWidget*>{ElToolBar1, btnOpenFile1, btnShowHistory1, fldFile1,
                                         btnOpenFile2, btnShowHistory2, fldFile2, GroupBox1}) {
        widget->setVisible(shown);
    }
    // The controls move at once, not when the event loop next lays the window out.
    m_client->layout()->activate();
}

void TfrmMain::ElGraphicButton8Click() {
    // The group keeps its bottom edge and reaches up over the file rows and the parameters: they
    // and the tool bar step aside while it is enlarged.
    showAboveResult(false);
    SpeedButton2->show();
    SpeedButton1->hide();
}

void TfrmMain::ElGraphicButton9Click() {
    showAboveResult(true);
    SpeedButton1->show();
    SpeedButton2->hide();
}

void TfrmMain::ElGraphicButton1Click() {
    close();
}

void TfrmMain::OpenHelp() {
    // The manual is built into the program: Help needs no browser and no file beside it.
    if (m_help) m_help->showContents();
}

void TfrmMain::Contens1Click() {
    OpenHelp();
}

void TfrmMain::btnShowHelpClick() {
    OpenHelp();
}

void TfrmMain::QuarixHomePage2Click() {
    // Quarix has no web page of its own: what would be told there, the About box tells.
    AboutQuarix1Click();
}

void TfrmMain::AboutQuarix1Click() {
    if (m_about) m_about->exec();
}

QPoint TfrmMain::HistoryListPosition(int slotNumber) const {
    // The list hangs from the arrow button, just right of the "File N" button's edge. It is placed
    // from the client area, not from the window's outer corner: the height of the caption and
    // the menu bar above the client area differs from desktop to desktop.
    const QToolButton* arrow = slotNumber == 2 ? btnShowHistory2 : btnShowHistory1;
    return arrow->mapToGlobal(QPoint(0, arrow->height()));
}

void TfrmMain::btnShowHistory1Click() {
    if (m_fileList) m_fileList->ShowFor(1, File1History, HistoryListPosition(1));
}

void TfrmMain::btnShowHistory2Click() {
    if (m_fileList) m_fileList->ShowFor(2, File2History, HistoryListPosition(2));
}

void TfrmMain::mnuUnloadFile21Click() {
    UnloadFile2();
}

void TfrmMain::setSourceDialogs(TfrmChooseSheet* chooser, TfrmShowFieldsList* fieldTypes) {
    m_chooser = chooser;
    m_fieldTypes = fieldTypes;
}

// The window's own controls and menus are disabled, not the window itself: the dialogs the
// command shows (the sheet chooser, the field types, messages) belong to it and would be
// disabled with it.
void TfrmMain::whileDisabled(const std::function<void()>& command) {
    m_busy = true;
    m_client->setEnabled(false);
    menuBar()->setEnabled(false);
    // Enabled again on every way out of the command.
    struct Enable {
        TfrmMain* window;
        ~Enable() {
            window->menuBar()->setEnabled(true);
            window->m_client->setEnabled(true);
            window->m_busy = false;
        }
    } enable{this};
    command();
}

void TfrmMain::btnTBOpenFile1Click() {
    whileDisabled([] { OpenFileFromDialog(FileSlot::File1); });
}

void TfrmMain::btnTBOpenFile2Click() {
    whileDisabled([] { OpenFileFromDialog(FileSlot::File2); });
}

void TfrmMain::OpenRecentFile(int slotNumber, const QString& path) {
    whileDisabled(
        [&] { ::OpenRecentFile(slotNumber == 2 ? FileSlot::File2 : FileSlot::File1, path); });
}

bool TfrmMain::OpenNamedFileIfIdle(FileSlot slot, const QString& path) {
    if (m_busy || QApplication::activeModalWidget()) return false;
    whileDisabled([&] { OpenNamedFile(slot, path); });
    return true;
}

void TfrmMain::showFilePath(FileSlot slot, const QString& path) {
    (slot == FileSlot::File2 ? fldFile2 : fldFile1)->setText(path);
}

void TfrmMain::chooseSheet(FileSlot slot) {
    if (!m_chooser) {
        FileSlotView::chooseSheet(slot);
        return;
    }
    m_chooser->TargetFile = slot;
    m_chooser->ListBox1->clear();
    for (const clValues& sheet : SlotOf(slot).Sheets) m_chooser->ListBox1->addItem(sheet.Value);
    m_chooser->exec();
}

void TfrmMain::ShowFieldTypes(FileSlot slot) {
    const clFile& file = SlotOf(slot);
    if (!m_fieldTypes || !file.Contents) return;
    m_fieldTypes->fill(*file.Contents);
    if (m_fieldTypes->isVisible()) m_fieldTypes->close();
    m_fieldTypes->exec();
}

void TfrmMain::conditionListChanged() {
    fldConditions->setRowCount(0);
    for (const ConditionRow& row : ConditionRows) {
        const int at = fldConditions->rowCount();
        fldConditions->insertRow(at);
        fldConditions->setItem(at, 0, new QTableWidgetItem(row.field));
        fldConditions->setItem(at, 1, new QTableWidgetItem(row.description));
        fldConditions->setItem(at, 2, new QTableWidgetItem(row.file));
    }
}

void TfrmMain::mnuSaveFileClick() {
    if (m_busy) return;
    whileDisabled([] { SaveResults(); });
}
void TfrmMain::btnConditionsClick() {
    if (m_busy || !m_conditions) return;
    m_conditions->exec();
    ConditionsChanged();
}

void TfrmMain::btnClearAllFieldsClick() {
    if (m_busy) return;
    ClearAllFields();
}
void TfrmMain::btnTBRunClick() {
    if (m_busy) return;
    whileDisabled([] { RunCommand(); });
}

void TfrmMain::Sortbyascending1Click() {
    sortGrid(true);
}

void TfrmMain::Sortbydescending1Click() {
    sortGrid(false);
}

void TfrmMain::sortGrid(bool ascending) {
    if (m_busy) return;
    storeGridSelection();
    const int left = MSFlexGrid1->horizontalScrollBar()->value();
    SortResultGrid(ascending);
    // Showing the selection again scrolls to its current cell; the user's place is kept instead.
    showGridTopRow();
    MSFlexGrid1->horizontalScrollBar()->setValue(left);
}

void TfrmMain::Copy1Click() {
    if (m_busy) return;
    std::vector<GridCellRange> ranges;
    for (const QItemSelectionRange& range : MSFlexGrid1->selectionModel()->selection()) {
        ranges.push_back(
            {range.top() + 1, range.left() + 1, range.bottom() + 1, range.right() + 1});
    }
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (ranges.empty() && current.isValid()) {
        ranges.push_back(
            {current.row() + 1, current.column() + 1, current.row() + 1, current.column() + 1});
    }
    const GridClipboardText clip = CopyGridCells(ResultGrid, ranges);
    if (clip.html.isEmpty()) return;  // nothing selected
    auto* data = new QMimeData;
    data->setText(clip.tsv);
    data->setHtml(clip.html);
    QGuiApplication::clipboard()->setMimeData(data);
}

void TfrmMain::FitColumnWidths() {
    ::FitColumnWidths();
    applyGridWidths();
}

// The wheel scrolls by about two thirds of the rows in view: step := grid height x 10 div the
// heading row's height in twips, less while the row that many below the top is out of view.
void TfrmMain::ScrollGridByWheel(int direction) {
    const int headingTwips = MSFlexGrid1->horizontalHeader()->height() * 15;
    if (headingTwips <= 0) return;
    int step = MSFlexGrid1->height() * 10 / headingTwips;
    if (ResultGrid.rows() < step) return;
    const int topRow = std::max(1, MSFlexGrid1->rowAt(0) + 1);
    const auto visible = [this](int row) {
        if (row < 1 || row > m_gridModel->rowCount()) return false;
        const int top = MSFlexGrid1->rowViewportPosition(row - 1);
        return top >= 0 &&
               top + MSFlexGrid1->rowHeight(row - 1) <= MSFlexGrid1->viewport()->height();
    };
    while (step > 0 && !visible(topRow + step)) --step;
    const int target = direction <= 0 ? std::min(topRow + step, ResultGrid.rows() - 1)
                                      : std::max(topRow - step, 1);
    ResultGrid.TopRow = target;
    MSFlexGrid1->verticalScrollBar()->setValue(target - 1);
}

void TfrmMain::resultGridReset() {
    m_gridModel->reload();
    applyGridWidths();
    showGridSelection();
}

void TfrmMain::applyGridWidths() {
    QHeaderView* header = MSFlexGrid1->horizontalHeader();
    for (int column = 1; column < ResultGrid.columns(); ++column) {
        header->resizeSection(column - 1, ResultGrid.columnWidth(column) / 15);
    }
    // Column 0 as set, or wider where the row numbers need it (a view of two full files counts
    // past 100,000).
    const int numbers = MSFlexGrid1->verticalHeader()->fontMetrics().horizontalAdvance(
                            QString::number(ResultGrid.rows() - 1)) +
                        10;
    MSFlexGrid1->verticalHeader()->setFixedWidth(std::max(ResultGrid.columnWidth(0) / 15, numbers));
}

// The sort takes the rows and columns of the selected block that holds the current cell (the
// view may put the current cell anywhere inside it: a right click, a heading click, Ctrl+A); the
// store counts the heading row and the row-number column, the view does not.
void TfrmMain::storeGridSelection() {
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (!current.isValid()) return;
    QRect block(current.column(), current.row(), 1, 1);
    const QItemSelection selection = MSFlexGrid1->selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        if (range.contains(current)) {
            block = QRect(QPoint(range.left(), range.top()), QPoint(range.right(), range.bottom()));
            break;
        }
    }
    ResultGrid.Row = block.top() + 1;
    ResultGrid.RowSel = block.bottom() + 1;
    ResultGrid.Col = block.left() + 1;
    ResultGrid.ColSel = block.right() + 1;
    ResultGrid.TopRow = std::max(1, MSFlexGrid1->rowAt(0) + 1);
}

void TfrmMain::showGridTopRow() {
    // Rows scroll one at a time: the scroll bar's value is the first row in view.
    MSFlexGrid1->verticalScrollBar()->setValue(ResultGrid.TopRow - 1);
}

void TfrmMain::showGridSelection() {
    const int rows = m_gridModel->rowCount();
    const int columns = m_gridModel->columnCount();
    const auto inside = [&](int row, int column) {
        return row >= 1 && row <= rows && column >= 1 && column <= columns;
    };
    if (!inside(ResultGrid.Row, ResultGrid.Col) || !inside(ResultGrid.RowSel, ResultGrid.ColSel)) {
        return;
    }
    const QModelIndex anchor = m_gridModel->index(ResultGrid.Row - 1, ResultGrid.Col - 1);
    const QModelIndex end = m_gridModel->index(ResultGrid.RowSel - 1, ResultGrid.ColSel - 1);
    MSFlexGrid1->selectionModel()->setCurrentIndex(end, QItemSelectionModel::NoUpdate);
    MSFlexGrid1->selectionModel()->select(QItemSelection(anchor, end),
                                          QItemSelectionModel::ClearAndSelect);
}

// ---- events ------------------------------------------------------------------------------------

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
        FormResize();
    }
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    // The layouts have already moved and stretched the controls when this runs.
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    // While a command runs the window is disabled, and the files it works on must stay.
    if (!isEnabled() || m_busy || !FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
}

std::optional<FileSlot> TfrmMain::dropTarget(const QDropEvent& event) const {
    if (m_busy || QApplication::activeModalWidget() || !event.mimeData()->hasUrls()) return {};
    const QList<QUrl> urls = event.mimeData()->urls();
    // One file; a folder or anything else is refused while it is dragged.
    if (urls.size() != 1 || !QFileInfo(urls.front().toLocalFile()).isFile()) return {};
    const QWidget* over = childAt(event.position().toPoint());
    const bool overFile2 = over && (over == fldFile2 || over == btnOpenFile2 ||
                                    over == btnShowHistory2 || fldFile2->isAncestorOf(over));
    if (!overFile2) return FileSlot::File1;
    if (!btnOpenFile2->isEnabled()) return {};  // no File 2 before File 1
    return FileSlot::File2;
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (dropTarget(*event)) event->acceptProposedAction();
}

void TfrmMain::dragMoveEvent(QDragMoveEvent* event) {
    if (dropTarget(*event)) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TfrmMain::dropEvent(QDropEvent* event) {
    const std::optional<FileSlot> slot = dropTarget(*event);
    if (!slot) return;
    event->acceptProposedAction();
    const QString path = event->mimeData()->urls().front().toLocalFile();
    // The drag's source waits for the drop to end: open from the event loop, as the dialog does.
    QMetaObject::invokeMethod(
        this,
        [this, slot = *slot, path] {
            BringToFront(this);
            OpenNamedFileIfIdle(slot, path);
        },
        Qt::QueuedConnection);
}

bool TfrmMain::belongsToThisWindow(QObject* object) const {
    return object->isWidgetType() && static_cast<QWidget*>(object)->window() == this;
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (belongsToThisWindow(watched) &&
                FormKeyDown(static_cast<QKeyEvent*>(event)->key())) {
                return true;
            }
            break;
        case QEvent::Wheel:
            if (belongsToThisWindow(watched)) {
                FormMouseWheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
                event->accept();
                return true;
            }
            break;
        case QEvent::MouseMove:
            if (watched == ImageRun) {
                ImageRunMouseMove();
            } else if (watched == btnConditions || watched == btnClearAllFields ||
                       watched == fldConditions->viewport()) {
                FormMouseMove();
            } else if (watched == m_client || watched == GroupBox1 || watched == grpboxResult) {
                // A move that a control did not take is passed on to its container: only a move
                // over the container's own background counts.
                const auto* container = static_cast<QWidget*>(watched);
                const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
                if (!container->childAt(at)) FormMouseMove();
            }
            break;
        case QEvent::MouseButtonPress:
            if (watched == ImageRun) ImageRunMouseDown();
            break;
        case QEvent::MouseButtonRelease:
            if (watched == ImageRun) {
                ImageRunMouseUp();
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() == Qt::LeftButton &&
                    ImageRun->rect().contains(mouse->position().toPoint())) {
                    ImageRunClick();
                }
            }
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}
