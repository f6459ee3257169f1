// The controls of the main window and their places: what the window looks like when it is
// created. Its behaviour is in ufrmMain.cpp.
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "app/ufrmMain.h"
#include "app/widgets/AnchoredLayout.h"
#include "app/widgets/CaptionColours.h"
#include "app/widgets/Pictures.h"
#include "app/widgets/ResultGridModel.h"

namespace {

constexpr int kToolBarHeight = 57;
constexpr QSize kToolButtonSize(58, 44);

// Group boxes with their caption in blue, standing on the frame's top line, so that the controls
// at their designed places (16 pixels down) sit inside the frame. They paint their background:
// the enlarged "Result" group covers the controls above it.
QGroupBox* blueCaptionGroup(const QString& caption, QWidget* parent, const char* name) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QLatin1String(name));
    const int lineAt = group->fontMetrics().height() / 2;
    group->setStyleSheet(
        QStringLiteral("QGroupBox#%1 { border: 1px solid palette(mid); border-radius: 3px;"
                       " margin-top: %2px; background-color: palette(window); }"
                       "QGroupBox#%1::title { subcontrol-origin: margin; left: 6px;"
                       " padding: 0px 2px; color: %3; }")
            .arg(QLatin1String(name))
            .arg(lineAt)
            .arg(CaptionColour(parent).name()));
    return group;
}

}  // namespace

void TfrmMain::createToolBar() {
    ElToolBar1 = new QToolBar(m_client);
    ElToolBar1->setObjectName(QStringLiteral("ElToolBar1"));
    ElToolBar1->setMovable(false);
    ElToolBar1->setFloatable(false);
    ElToolBar1->setIconSize(QSize(ToolImages::Size, ToolImages::Size));
    ElToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_clientLayout->addWidget(ElToolBar1, QRect(0, 0, ClientSize.width(), kToolBarHeight),
                              AnchoredLayout::Stretch);

    const auto addButton = [this](const char* name, const QString& caption, const QString& hint,
                                  int image, void (TfrmMain::*handler)()) {
        auto* button = new QToolButton(ElToolBar1);
        button->setObjectName(QLatin1String(name));
        button->setText(caption);
        button->setToolTip(hint);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);  // tool bars are for the mouse; the menus have keys
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIconSize(QSize(ToolImages::Size, ToolImages::Size));
        button->setIcon(ToolImages::icon(image));
        // At least the designed size, wider where the caption needs it.
        const int captionWidth = button->fontMetrics().horizontalAdvance(caption) + 10;
        button->setFixedSize(std::max(kToolButtonSize.width(), captionWidth),
                             kToolButtonSize.height());
        // While the mouse button is held down the button shows its pressed picture.
        const QIcon normal = ToolImages::icon(image);
        const QIcon pressed = ToolImages::icon(image + ToolImages::PressedOffset);
        connect(button, &QToolButton::pressed, button,
                [button, pressed] { button->setIcon(pressed); });
        connect(button, &QToolButton::released, button,
                [button, normal] { button->setIcon(normal); });
        connect(button, &QToolButton::clicked, this, handler);
        ElToolBar1->addWidget(button);
        return button;
    };
    btnTBOpenFile1 =
        addButton("btnTBOpenFile1", QStringLiteral("Open file 1"), QStringLiteral("Open file 1"),
                  ToolImages::Open, &TfrmMain::btnTBOpenFile1Click);
    btnTBOpenFile2 =
        addButton("btnTBOpenFile2", QStringLiteral("Open file 2"), QStringLiteral("Open file 2"),
                  ToolImages::Open, &TfrmMain::btnTBOpenFile2Click);
    ElToolBar1->addSeparator();
    btnSaveFile =
        addButton("btnSaveFile", QStringLiteral("Save File"), QStringLiteral("Save results"),
                  ToolImages::Save, &TfrmMain::mnuSaveFileClick);
    ElToolBar1->addSeparator();
    btnTBConditions =
        addButton("btnTBConditions", QStringLiteral("Conditions"), QStringLiteral("Conditions"),
                  ToolImages::Conditions, &TfrmMain::btnConditionsClick);
    ElToolBar1->addSeparator();
    btnTBRun = addButton("btnTBRun", QStringLiteral("Run"), QStringLiteral("Run"), ToolImages::Run,
                         &TfrmMain::btnTBRunClick);
    ElToolBar1->addSeparator();
    btnShowHelp = addButton("btnShowHelp", QStringLiteral("Help"), QStringLiteral("Help"),
                            ToolImages::Help, &TfrmMain::btnShowHelpClick);
}

void TfrmMain::createFileRows() {
    const QPixmap arrow = RenderPicture(QStringLiteral(":/icons/arrow-down.svg"), QSize(8, 5));
    const auto addRow = [this, &arrow](int top, const char* buttonName, const QString& caption,
                                       const char* historyName, const char* fieldName,
                                       QPushButton*& button, QToolButton*& history,
                                       QLineEdit*& field) {
        button = new QPushButton(caption, m_client);
        button->setObjectName(QLatin1String(buttonName));
        m_clientLayout->addWidget(button, QRect(4, top, 81, 21), AnchoredLayout::TopLeft);

        history = new QToolButton(m_client);
        history->setObjectName(QLatin1String(historyName));
        history->setAutoRaise(true);
        history->setFocusPolicy(Qt::NoFocus);  // a flat picture button, like the tool bar's
        history->setIcon(QIcon(arrow));
        history->setIconSize(QSize(8, 5));
        m_clientLayout->addWidget(history, QRect(85, top, 13, 21), AnchoredLayout::TopLeft);

        field = new QLineEdit(m_client);
        field->setObjectName(QLatin1String(fieldName));
        field->setReadOnly(true);
        field->setAcceptDrops(false);  // a dropped file goes to the window, which opens it
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        field->setPalette(palette);
        m_clientLayout->addWidget(field, QRect(104, top, 653, 21), AnchoredLayout::Stretch);
    };
    addRow(60, "btnOpenFile1", QStringLiteral("File 1"), "btnShowHistory1", "fldFile1",
           btnOpenFile1, btnShowHistory1, fldFile1);
    addRow(84, "btnOpenFile2", QStringLiteral("File 2"), "btnShowHistory2", "fldFile2",
           btnOpenFile2, btnShowHistory2, fldFile2);

    connect(btnOpenFile1, &QPushButton::clicked, this, &TfrmMain::btnTBOpenFile1Click);
    connect(btnOpenFile2, &QPushButton::clicked, this, &TfrmMain::btnTBOpenFile2Click);
    connect(btnShowHistory1, &QToolButton::clicked, this, &TfrmMain::btnShowHistory1Click);
    connect(btnShowHistory2, &QToolButton::clicked, this, &TfrmMain::btnShowHistory2Click);
}

void TfrmMain::createParameters() {
    GroupBox1 = blueCaptionGroup(QStringLiteral("Parameters"), m_client, "GroupBox1");
    GroupBox1->setMouseTracking(true);
    m_clientLayout->addWidget(GroupBox1, QRect(4, 112, 755, 153), AnchoredLayout::Stretch);
    auto* layout = new AnchoredLayout(GroupBox1, QSize(755, 153));

    fldConditions = new QTableWidget(0, 3, GroupBox1);
    fldConditions->setObjectName(QStringLiteral("fldConditions"));
    fldConditions->setHorizontalHeaderLabels(
        {QStringLiteral("Field"), QStringLiteral("Selection properties"), QStringLiteral("File")});
    fldConditions->verticalHeader()->hide();
    fldConditions->horizontalHeader()->setSectionsClickable(false);
    fldConditions->horizontalHeader()->setStretchLastSection(false);
    fldConditions->horizontalHeader()->setHighlightSections(false);
    fldConditions->setShowGrid(true);
    fldConditions->setSelectionBehavior(QAbstractItemView::SelectRows);
    fldConditions->setSelectionMode(QAbstractItemView::SingleSelection);
    fldConditions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fldConditions->setWordWrap(false);
    fldConditions->verticalHeader()->setDefaultSectionSize(fldConditions->fontMetrics().height() +
                                                           4);
    // The selection stays visible when the list loses the focus.
    QPalette palette = fldConditions->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    }
    fldConditions->setPalette(palette);
    fldConditions->setContextMenuPolicy(Qt::CustomContextMenu);
    fldConditions->viewport()->setMouseTracking(true);
    layout->addWidget(fldConditions, QRect(4, 16, 629, 133), AnchoredLayout::Fill);

    btnConditions = new QPushButton(QStringLiteral("Conditions"), GroupBox1);
    btnConditions->setObjectName(QStringLiteral("btnConditions"));
    btnConditions->setMouseTracking(true);
    layout->addWidget(btnConditions, QRect(642, 16, 105, 21), AnchoredLayout::TopRight);
    connect(btnConditions, &QPushButton::clicked, this, &TfrmMain::btnConditionsClick);

    btnClearAllFields = new QPushButton(QStringLiteral("Clear All Fields"), GroupBox1);
    btnClearAllFields->setObjectName(QStringLiteral("btnClearAllFields"));
    btnClearAllFields->setMouseTracking(true);
    layout->addWidget(btnClearAllFields, QRect(642, 44, 105, 21), AnchoredLayout::TopRight);
    connect(btnClearAllFields, &QPushButton::clicked, this, &TfrmMain::btnClearAllFieldsClick);

    const auto look = [this](const char* name, const char* picture) {
        auto* label = new QLabel(GroupBox1);
        label->setObjectName(QLatin1String(name));
        label->setPixmap(RenderPicture(QLatin1String(picture), QSize(65, 65)));
        label->hide();
        return label;
    };
    ImageRunDisabled = look("ImageRunDisabled", ":/icons/run-disabled.svg");
    ImageRunNormal = look("ImageRunNormal", ":/icons/run-normal.svg");
    imageRunOver = look("imageRunOver", ":/icons/run-over.svg");
    ImageRunPressed = look("ImageRunPressed", ":/icons/run-pressed.svg");

    ImageRun = new QLabel(GroupBox1);
    ImageRun->setObjectName(QStringLiteral("ImageRun"));
    ImageRun->setAlignment(Qt::AlignCenter);
    ImageRun->setAttribute(Qt::WA_TranslucentBackground);
    ImageRun->setPixmap(ImageRunDisabled->pixmap());
    ImageRun->setMouseTracking(true);
    layout->addWidget(ImageRun, QRect(664, 80, 65, 65), AnchoredLayout::TopRight);

    PopupList = new QMenu(fldConditions);
    PopupList->setObjectName(QStringLiteral("PopupList"));
    ClearAllFields1 = PopupList->addAction(QStringLiteral("Clear All Fields"));
    ClearAllFields1->setObjectName(QStringLiteral("ClearAllFields1"));
    connect(ClearAllFields1, &QAction::triggered, this, &TfrmMain::btnClearAllFieldsClick);
    connect(fldConditions, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupList->popup(fldConditions->viewport()->mapToGlobal(at)); });
}

void TfrmMain::createResultArea() {
    grpboxResult = blueCaptionGroup(QStringLiteral("Result"), m_client, "grpboxResult");
    grpboxResult->setMouseTracking(true);
    m_clientLayout->addWidget(grpboxResult, QRect(4, 272, 754, 384), AnchoredLayout::Fill);
    auto* layout = new AnchoredLayout(grpboxResult, QSize(754, 384));

    const auto speedButton = [this, layout](const char* name, const char* picture,
                                            const QString& hint) {
        auto* button = new QToolButton(grpboxResult);
        button->setObjectName(QLatin1String(name));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(hint);
        button->setIcon(QIcon(RenderPicture(QLatin1String(picture), QSize(53, 13))));
        button->setIconSize(QSize(53, 13));
        layout->addWidget(button, QRect(696, 8, 53, 13), AnchoredLayout::TopRight);
        return button;
    };
    SpeedButton1 = speedButton("SpeedButton1", ":/icons/enlarge.svg", tr("Enlarge"));
    SpeedButton2 = speedButton("SpeedButton2", ":/icons/restore.svg", tr("Restore"));
    SpeedButton2->hide();
    connect(SpeedButton1, &QToolButton::clicked, this, &TfrmMain::ElGraphicButton8Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TfrmMain::ElGraphicButton9Click);

    Panel1 = new QFrame(grpboxResult);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    layout->addWidget(Panel1, QRect(4, 22, 746, 358), AnchoredLayout::Fill);
    auto* panelLayout = new AnchoredLayout(Panel1, QSize(746, 358));

    MSFlexGrid1 = new QTableView(Panel1);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    // The store's heading row and row-number column are the view's headers, so they stay in
    // place. Rows have one height, which keeps 65,535 rows as cheap as 10.
    m_gridModel = new ResultGridModel(ResultGrid, MSFlexGrid1);
    MSFlexGrid1->setModel(m_gridModel);
    MSFlexGrid1->setCornerButtonEnabled(false);
    MSFlexGrid1->setWordWrap(false);
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    MSFlexGrid1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    MSFlexGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(MSFlexGrid1->fontMetrics().height() + 4);
    MSFlexGrid1->verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    MSFlexGrid1->verticalHeader()->setHighlightSections(false);
    MSFlexGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    MSFlexGrid1->horizontalHeader()->setHighlightSections(false);
    MSFlexGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panelLayout->addWidget(MSFlexGrid1, QRect(1, 1, 744, 356), AnchoredLayout::Fill);

    PopupGrid = new QMenu(MSFlexGrid1);
    PopupGrid->setObjectName(QStringLiteral("PopupGrid"));
    Copy1 = PopupGrid->addAction(QStringLiteral("Copy"));
    Copy1->setObjectName(QStringLiteral("Copy1"));
    // Ctrl+C stays "Conditions"; these are the other keys desktops copy with. They work while the
    // grid has the focus, where the menu's items belong.
    Copy1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    Copy1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    Copy1->setShortcutVisibleInContextMenu(true);
    MSFlexGrid1->addAction(Copy1);
    connect(Copy1, &QAction::triggered, this, &TfrmMain::Copy1Click);
    PopupGrid->addSeparator();
    Sortbyascending1 = PopupGrid->addAction(QStringLiteral("Sort by ascending"));
    Sortbyascending1->setObjectName(QStringLiteral("Sortbyascending1"));
    Sortbydescending1 = PopupGrid->addAction(QStringLiteral("Sort by descending"));
    Sortbydescending1->setObjectName(QStringLiteral("Sortbydescending1"));
    connect(Sortbyascending1, &QAction::triggered, this, &TfrmMain::Sortbyascending1Click);
    connect(Sortbydescending1, &QAction::triggered, this, &TfrmMain::Sortbydescending1Click);
    connect(MSFlexGrid1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupGrid->popup(MSFlexGrid1->viewport()->mapToGlobal(at)); });

    ListBox1 = new QListWidget(grpboxResult);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->hide();
}

void TfrmMain::createMenus() {
    const auto item = [this](QMenu* menu, const char* name, const QString& caption,
                             const QKeySequence& shortcut, void (TfrmMain::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuOpenFile1 = item(file, "mnuOpenFile1", QStringLiteral("Open File 1"),
                        QKeySequence(Qt::CTRL | Qt::Key_O), &TfrmMain::btnTBOpenFile1Click);
    mnuOpenFile2 = item(file, "mnuOpenFile2", QStringLiteral("Open File 2"), {},
                        &TfrmMain::btnTBOpenFile2Click);
    file->addSeparator();
    mnuUnloadFile2 = item(file, "mnuUnloadFile2", QStringLiteral("Unload File 2"), {},
                          &TfrmMain::mnuUnloadFile21Click);
    file->addSeparator();
    mnuSaveFile = item(file, "mnuSaveFile", QStringLiteral("Save"),
                       QKeySequence(Qt::CTRL | Qt::Key_S), &TfrmMain::mnuSaveFileClick);
    file->addSeparator();
    mnuExit = item(file, "mnuExit", QStringLiteral("Exit"), QKeySequence(Qt::CTRL | Qt::Key_X),
                   &TfrmMain::ElGraphicButton1Click);

    QMenu* commands = menuBar()->addMenu(QStringLiteral("Commands"));
    commands->setObjectName(QStringLiteral("mnuCommands"));
    mnuConditions = item(commands, "mnuConditions", QStringLiteral("Conditions"),
                         QKeySequence(Qt::CTRL | Qt::Key_C), &TfrmMain::btnConditionsClick);
    commands->addSeparator();
    mnuClearAllFields = item(commands, "mnuClearAllFields", QStringLiteral("Clear All Fields"), {},
                             &TfrmMain::btnClearAllFieldsClick);

    QMenu* run = menuBar()->addMenu(QStringLiteral("Run"));
    run->setObjectName(QStringLiteral("mnuRunMenu"));
    mnuRun = item(run, "mnuRun", QStringLiteral("Run"), QKeySequence(Qt::Key_F9),
                  &TfrmMain::btnTBRunClick);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    Contens1 = item(help, "Contens1", QStringLiteral("Contents"), QKeySequence(Qt::Key_F1),
                    &TfrmMain::Contens1Click);
    help->addSeparator();
    QuarixHomePage2 = item(help, "QuarixHomePage2", QStringLiteral("Quarix Home Page"), {},
                           &TfrmMain::QuarixHomePage2Click);
    help->addSeparator();
    AboutQuarix2 = item(help, "AboutQuarix2", QStringLiteral("About Quarix"), {},
                        &TfrmMain::AboutQuarix1Click);
}
