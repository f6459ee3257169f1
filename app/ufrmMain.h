#pragma once

#include <functional>
#include <optional>

#include <QMainWindow>
#include <QSize>
#include <QString>

#include "data/uCommonScripts.h"
#include "processing/uGridProcessor.h"

class HelpWindow;
class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTableView;
class QVBoxLayout;
class TfrmChooseSheet;
class TfrmConditions;
class TfrmShowFieldsList;
class QTableWidget;
class QToolBar;
class QToolButton;
class ResultGridModel;
class TFrmAbout;
class TfrmFileList;

// The looks of the Run picture, the values of TfrmMain::RunPictureState.
enum class RunPicture {
    NoLook = -1,  // transient: lets the next SetRunPicture take effect
    Disabled = 0,
    Normal = 1,
    Hover = 2,
    Pressed = 3,
};

// The main window: menus, tool bar, the two file rows, the condition list with the Run picture,
// and the result area. Its commands are switched on and off as the files are loaded; see
// EnableFileCommands. Layouts place the controls, so that the window grows with its font.
class TfrmMain : public QMainWindow, public FileSlotView, public ResultAreaView {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The client area as designed at the default font: the tool bar, the file rows and both
    // groups. The window opens this large, or larger where its font needs it.
    static constexpr QSize ClientSize{761, 661};

    // The drop-down of recent files and the About box; created after the main window, owned by
    // it (they are its children). Either may be null: its command then does nothing.
    void setDialogs(TfrmFileList* fileList, TFrmAbout* about);
    // The help window, made once with the other windows and owned by this one; null: Help does
    // nothing.
    void setHelpWindow(HelpWindow* help) { m_help = help; }

    // Window state.
    RunPicture RunPictureState = RunPicture::Disabled;

    // Controls, in the order they stand on the window.
    QToolBar* ElToolBar1 = nullptr;
    QToolButton* btnTBOpenFile1 = nullptr;
    QToolButton* btnTBOpenFile2 = nullptr;
    QToolButton* btnSaveFile = nullptr;
    QToolButton* btnTBConditions = nullptr;
    QToolButton* btnTBRun = nullptr;
    QToolButton* btnShowHelp = nullptr;
    QPushButton* btnOpenFile1 = nullptr;
    QToolButton* btnShowHistory1 = nullptr;
    QLineEdit* fldFile1 = nullptr;
    QPushButton* btnOpenFile2 = nullptr;
    QToolButton* btnShowHistory2 = nullptr;
    QLineEdit* fldFile2 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QTableWidget* fldConditions = nullptr;
    QPushButton* btnConditions = nullptr;
    QPushButton* btnClearAllFields = nullptr;
    QLabel* ImageRun = nullptr;
    QLabel* ImageRunDisabled = nullptr;  // the four looks; never shown
    QLabel* ImageRunNormal = nullptr;
    QLabel* imageRunOver = nullptr;
    QLabel* ImageRunPressed = nullptr;
    QGroupBox* grpboxResult = nullptr;
    QToolButton* SpeedButton1 = nullptr;  // enlarge the result area
    QToolButton* SpeedButton2 = nullptr;  // restore it
    QFrame* Panel1 = nullptr;
    QTableView* MSFlexGrid1 = nullptr;
    QListWidget* ListBox1 = nullptr;  // hidden scratch list of the open command

    // Menu items and pop-up menus.
    QAction* mnuOpenFile1 = nullptr;
    QAction* mnuOpenFile2 = nullptr;
    QAction* mnuUnloadFile2 = nullptr;
    QAction* mnuSaveFile = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuConditions = nullptr;
    QAction* mnuClearAllFields = nullptr;
    QAction* mnuRun = nullptr;
    QAction* Contens1 = nullptr;
    QAction* QuarixHomePage2 = nullptr;
    QAction* AboutQuarix2 = nullptr;
    QMenu* PopupList = nullptr;
    QAction* ClearAllFields1 = nullptr;  // the pop-up item of the condition list
    QMenu* PopupGrid = nullptr;
    QAction* Copy1 = nullptr;  // also Ctrl+Shift+C and Ctrl+Insert while the grid has the focus
    QAction* Sortbyascending1 = nullptr;
    QAction* Sortbydescending1 = nullptr;

    // Command states.
    void DisableFileCommands(CommandGroup group) override;
    // "Save" and "Save File" together; on while the grid holds a result or the loaded data.
    void SetSaveEnabled(bool enabled);
    void SetRunPicture(RunPicture look);

    // FileSlotView
    void clearFileField(FileSlot slot) override;
    void showFilePath(FileSlot slot, const QString& path) override;
    void EnableFileCommands(CommandGroup group) override;
    void setSaveEnabled(bool enabled) override { SetSaveEnabled(enabled); }
    void chooseSheet(FileSlot slot) override;
    void ShowFieldTypes(FileSlot slot) override;
    // ResultAreaView
    void resultGridReset() override;
    void conditionListChanged() override;
    int mainWindowWidth() const override { return width(); }
    // The sheet chooser and the field-type list, made once with the other windows.
    void setSourceDialogs(TfrmChooseSheet* chooser, TfrmShowFieldsList* fieldTypes);
    // The Function Wizard, made once with the other windows; owned by this window.
    void setConditionsWizard(TfrmConditions* wizard) { m_conditions = wizard; }
    TfrmConditions* conditionsWizard() const { return m_conditions; }

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormResize();
    bool FormKeyDown(int key);  // true when the key was used
    void FormMouseWheel(int angleDelta);
    bool FormCloseQuery();  // true when the window may close
    void FormMouseMove();   // over the background and the Parameters and Result groups
    void ImageRunMouseMove();
    void ImageRunMouseDown();
    void ImageRunMouseUp();
    void ImageRunClick();
    void ElGraphicButton8Click();  // enlarge the result area
    void ElGraphicButton9Click();  // restore it
    void ElGraphicButton1Click();  // "Exit"
    void OpenHelp();
    void Contens1Click();
    void btnShowHelpClick();
    void QuarixHomePage2Click();
    void AboutQuarix1Click();
    void btnShowHistory1Click();
    void btnShowHistory2Click();
    void mnuUnloadFile21Click();

    // Commands that the data, conditions and processing parts fill in.
    void btnTBOpenFile1Click();
    void btnTBOpenFile2Click();
    void OpenRecentFile(int slotNumber, const QString& path);
    // A file named on the command line, handed over by a later start or dropped on the window
    // opens as the open dialog's choice does, when the window is idle: no open, run or save in
    // progress and no modal window. False (nothing done) otherwise.
    bool OpenNamedFileIfIdle(FileSlot slot, const QString& path);
    void mnuSaveFileClick();
    void btnConditionsClick();
    void btnClearAllFieldsClick();
    void btnTBRunClick();
    void Copy1Click();
    void Sortbyascending1Click();
    void Sortbydescending1Click();
    void ScrollGridByWheel(int direction);
    void FitColumnWidths();

    // Where the drop-down of slot 1 or 2 opens, in screen pixels.
    QPoint HistoryListPosition(int slotNumber) const;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A file dropped from the file manager opens as File 2 over the File 2 row's field or
    // buttons, as File 1 anywhere else.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createToolBar();
    void createFileRows();
    void createParameters();
    void createResultArea();
    void createMenus();
    void setGroupEnabled(CommandGroup group, bool enabled);
    // Shows or hides the tool bar, the file rows and the parameters: hidden, the result area
    // takes their room.
    void showAboveResult(bool shown);
    bool belongsToThisWindow(QObject* object) const;
    // The slot a file dropped at `at` (window coordinates) would open as, or nothing while the
    // window is busy or that slot cannot be opened now.
    std::optional<FileSlot> dropTarget(const QDropEvent& event) const;

    QWidget* m_client = nullptr;            // the client area: everything below the menu bar
    QVBoxLayout* m_clientLayout = nullptr;  // below the tool bar: the file rows and both groups
    TfrmFileList* m_fileList = nullptr;
    TFrmAbout* m_about = nullptr;
    HelpWindow* m_help = nullptr;
    TfrmChooseSheet* m_chooser = nullptr;
    bool m_busy = false;  // an opening command runs
    TfrmShowFieldsList* m_fieldTypes = nullptr;
    TfrmConditions* m_conditions = nullptr;
    ResultGridModel* m_gridModel = nullptr;
    int m_wheelTurn = 0;  // eighths of a degree not yet scrolled
    // The grid's selection and first row into ResultGrid, and back.
    void storeGridSelection();
    void showGridSelection();
    void showGridTopRow();
    void applyGridWidths();
    void sortGrid(bool ascending);
    // Runs an opening command with the window's controls disabled, and enables them again.
    void whileDisabled(const std::function<void()>& command);
};
