// The controls of the main window and their layouts: what the window looks like when it is
// created. Its behaviour is in ufrmMain.cpp.
#include <QAction>
#include <QBoxLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "app/ufrmMain.h"
#include "app/widgets/CaptionColours.h"
#include "app/widgets/Pictures.h"
#include "app/widgets/ResultGridModel.h"

namespace {

constexpr int kToolBarHeight = 57;
constexpr QSize kToolButtonSize(58, 44);
constexpr int kSideButtonWidth = 105;  // "Conditions" and "Clear All Fields", at least
constexpr int kRunPictureGap = 15;     // between "Clear All Fields" and the Run picture

// A group box whose caption is blue: the palette's caption colour, taken at each paint so that it
// follows a palette change. Only the caption: the colour must not pass to the controls inside, as
// a colour set on the group's palette would.
class CaptionGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        // Some styles paint the caption in the option's text colour, others in its window text.
        option.textColor = CaptionColour(this);
        option.palette.setColor(QPalette::WindowText, option.textColor);
        painter.drawComplexControl(QStyle::CC_GroupBox, option);
    }
};

// A button at least as wide as designed, and never narrower than its caption needs: a minimum
// width set on a widget replaces the one its size hint gives.
void setDesignedWidth(QPushButton* button, int width) {
    button->setMinimumWidth(std::max(width, button->sizeHint().width()));
}

QGroupBox* blueCaptionGroup(const QString& caption, QWidget* parent, const char* name) {
    auto* group = new CaptionGroupBox(caption, parent);
    group->setObjectName(QLatin1String(name));
    group->setMouseTracking(true);
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
    ElToolBar1->setMinimumHeight(kToolBarHeight);

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
        // At least the designed size, larger where the caption and its font need it. All have
        // one height, so that the pictures stand in a line.
        const int captionWidth = button->fontMetrics().horizontalAdvance(caption) + 10;
        button->setFixedSize(
            std::max({kToolButtonSize.width(), captionWidth, button->sizeHint().width()}),
            std::max(kToolButtonSize.height(), button->sizeHint().height()));
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
    // The rows stand one under the other; in each, the button, the arrow right beside it, and the
    // field, which takes the rest of the width.
    auto* rows = new QVBoxLayout;
    rows->setSpacing(3);
    m_clientLayout->addLayout(rows);
    const auto addRow = [this, rows](const char* buttonName, const QString& caption,
                                     const char* historyName, const char* fieldName,
                                     QPushButton*& button, QToolButton*& history,
                                     QLineEdit*& field) {
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        rows->addLayout(row);

        button = new QPushButton(caption, m_client);
        button->setObjectName(QLatin1String(buttonName));
        setDesignedWidth(button, 81);
        button->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
        row->addWidget(button);

        history = new QToolButton(m_client);
        history->setObjectName(QLatin1String(historyName));
        history->setAutoRaise(true);
        history->setFocusPolicy(Qt::NoFocus);  // a flat picture button, like the tool bar's
        // The style's own arrow, in the palette's button text colour: readable on any scheme.
        history->setArrowType(Qt::DownArrow);
        history->setIconSize(QSize(8, 5));
        history->setMinimumWidth(13);
        history->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        row->addWidget(history);
        row->addSpacing(6);

        field = new QLineEdit(m_client);
        field->setObjectName(QLatin1String(fieldName));
        field->setReadOnly(true);
        field->setAcceptDrops(false);  // a dropped file goes to the window, which opens it
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        field->setPalette(palette);
        field->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        row->addWidget(field, 1);
    };
    addRow("btnOpenFile1", QStringLiteral("File 1"), "btnShowHistory1", "fldFile1", btnOpenFile1,
           btnShowHistory1, fldFile1);
    addRow("btnOpenFile2", QStringLiteral("File 2"), "btnShowHistory2", "fldFile2", btnOpenFile2,
           btnShowHistory2, fldFile2);

    connect(btnOpenFile1, &QPushButton::clicked, this, &TfrmMain::btnTBOpenFile1Click);
    connect(btnOpenFile2, &QPushButton::clicked, this, &TfrmMain::btnTBOpenFile2Click);
    connect(btnShowHistory1, &QToolButton::clicked, this, &TfrmMain::btnShowHistory1Click);
    connect(btnShowHistory2, &QToolButton::clicked, this, &TfrmMain::btnShowHistory2Click);
}

void TfrmMain::createParameters() {
    GroupBox1 = blueCaptionGroup(QStringLiteral("Parameters"), m_client, "GroupBox1");
    // As high as the buttons and the Run picture beside the list need; it widens with the window.
    GroupBox1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_clientLayout->addWidget(GroupBox1);
    auto* layout = new QHBoxLayout(GroupBox1);
    layout->setContentsMargins(4, 2, 8, 4);
    layout->setSpacing(9);
    auto* side = new QVBoxLayout;
    side->setSpacing(7);

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
    // The list takes the width the buttons leave and the height they and the picture need.
    fldConditions->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    layout->addWidget(fldConditions, 1);
    layout->addLayout(side);

    btnConditions = new QPushButton(QStringLiteral("Conditions"), GroupBox1);
    btnConditions->setObjectName(QStringLiteral("btnConditions"));
    btnConditions->setMouseTracking(true);
    setDesignedWidth(btnConditions, kSideButtonWidth);
    side->addWidget(btnConditions);
    connect(btnConditions, &QPushButton::clicked, this, &TfrmMain::btnConditionsClick);

    btnClearAllFields = new QPushButton(QStringLiteral("Clear All Fields"), GroupBox1);
    btnClearAllFields->setObjectName(QStringLiteral("btnClearAllFields"));
    btnClearAllFields->setMouseTracking(true);
    setDesignedWidth(btnClearAllFields, kSideButtonWidth);
    side->addWidget(btnClearAllFields);
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
    side->addSpacing(kRunPictureGap - side->spacing());
    side->addWidget(ImageRun, 0, Qt::AlignHCenter);
    side->addStretch(1);

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
    // The result takes all the height the controls above it leave.
    m_clientLayout->addWidget(grpboxResult, 1);
    auto* layout = new QVBoxLayout(grpboxResult);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setSpacing(2);
    // Enlarge and restore stand at the top right, over the grid.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(0);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    const auto speedButton = [this, buttons](const char* name, const char* picture,
                                             const QString& hint) {
        auto* button = new QToolButton(grpboxResult);
        button->setObjectName(QLatin1String(name));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(hint);
        button->setIcon(QIcon(RenderPicture(QLatin1String(picture), QSize(53, 13))));
        button->setIconSize(QSize(53, 13));
        buttons->addWidget(button);
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
    layout->addWidget(Panel1, 1);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);

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
    panelLayout->addWidget(MSFlexGrid1);

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
