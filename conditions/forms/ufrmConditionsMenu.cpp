#include "conditions/forms/ufrmConditionsMenu.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/widgets/CaptionColours.h"

namespace {

// The grid of the box "Specify selection properties :".
QGridLayout* gridOf(QFrame* box) {
    return static_cast<QGridLayout*>(box->layout());
}

// The box's columns share its width in the given proportions (the widths of the lists and
// fields at the default font).
void shareColumns(QFrame* box, std::initializer_list<int> parts) {
    int column = 0;
    for (int part : parts) gridOf(box)->setColumnStretch(column++, part);
}

}  // namespace

TfrmConditionsMenu::TfrmConditionsMenu(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmConditionsMenu"));
    setWindowTitle(QStringLiteral("conditions"));

    // Unique values and Duplicates.
    CUniqValues = addPanel("CUniqValues");
    fldColToProcess = addColumnRow(CUniqValues, "fldColToProcess", PanelControl::ColToProcess);
    static_cast<QVBoxLayout*>(CUniqValues->layout())->addStretch(1);

    // Filter: the operators on the left, the values on the right, "And" and "Or" between the
    // rows on either side of a grey line. Tab order inside the box: first operator, first value,
    // "And", "Or", second operator, second value (the order of creation).
    ElPanel2 = addPanel("ElPanel2");
    fldColToProcessSelect =
        addColumnRow(ElPanel2, "fldColToProcessSelect", PanelControl::ColToProcessSelect);
    QFrame* filterBox = addInnerBox(ElPanel2);
    fldSel1Select = addList(filterBox, "fldSel1Select", 21, PanelControl::Sel1Select);
    fldData1Select = addField(filterBox, "fldData1Select", PanelControl::Data1Select);
    fldANDSelect = new QRadioButton(QStringLiteral("And"), filterBox);
    fldANDSelect->setObjectName(QStringLiteral("fldANDSelect"));
    connect(fldANDSelect, &QRadioButton::clicked, this, [this] {
        PickInPanel(PanelControl::AndSelect, 0);
        userChanged();
    });
    QLabel* line = addLabel(filterBox, QStringLiteral("_______"));
    line->setObjectName(QStringLiteral("AndOrLine"));
    UseQuietColour(line);
    fldORSelect = new QRadioButton(QStringLiteral("Or"), filterBox);
    fldORSelect->setObjectName(QStringLiteral("fldORSelect"));
    connect(fldORSelect, &QRadioButton::clicked, this, [this] {
        PickInPanel(PanelControl::OrSelect, 0);
        userChanged();
    });
    fldSel2Select = addList(filterBox, "fldSel2Select", 21, PanelControl::Sel2Select);
    fldData2Select = addField(filterBox, "fldData2Select", PanelControl::Data2Select);
    QGridLayout* filterGrid = gridOf(filterBox);
    filterGrid->addWidget(fldSel1Select, 1, 0);
    filterGrid->addWidget(fldData1Select, 1, 2);
    filterGrid->addWidget(fldANDSelect, 2, 0, Qt::AlignRight);
    filterGrid->addWidget(line, 2, 1, Qt::AlignCenter);
    filterGrid->addWidget(fldORSelect, 2, 2, Qt::AlignLeft);
    filterGrid->addWidget(fldSel2Select, 3, 0);
    filterGrid->addWidget(fldData2Select, 3, 2);
    shareColumns(filterBox, {185, 0, 181});

    // Multi-Filter: two rows of column, operator and value. There is no column list on top;
    // its place stays empty, so the box stands where it does on the other panels.
    ElPanel5 = addPanel("ElPanel5");
    QFrame* multiBox = addInnerBox(ElPanel5);
    fldCol1MultiSelect = addList(multiBox, "fldCol1MultiSelect", 17, PanelControl::Col1MultiSelect);
    fldSel1MultiSelect = addList(multiBox, "fldSel1MultiSelect", 13, PanelControl::Sel1MultiSelect);
    fldData1MultiSelect = addField(multiBox, "fldData1MultiSelect", PanelControl::Data1MultiSelect);
    fldCol2MultiSelect = addList(multiBox, "fldCol2MultiSelect", 17, PanelControl::Col2MultiSelect);
    fldSel2MultiSelect = addList(multiBox, "fldSel2MultiSelect", 13, PanelControl::Sel2MultiSelect);
    fldData2MultiSelect = addField(multiBox, "fldData2MultiSelect", PanelControl::Data2MultiSelect);
    QGridLayout* multiGrid = gridOf(multiBox);
    multiGrid->addWidget(fldCol1MultiSelect, 1, 0);
    multiGrid->addWidget(fldSel1MultiSelect, 1, 1);
    multiGrid->addWidget(fldData1MultiSelect, 1, 2);
    multiGrid->setRowMinimumHeight(2, fldCol1MultiSelect->fontMetrics().height() / 2);
    multiGrid->addWidget(fldCol2MultiSelect, 3, 0);
    multiGrid->addWidget(fldSel2MultiSelect, 3, 1);
    multiGrid->addWidget(fldData2MultiSelect, 3, 2);
    shareColumns(multiBox, {153, 125, 125});
    static_cast<QVBoxLayout*>(ElPanel5->layout())
        ->insertSpacing(0, fldCol1MultiSelect->sizeHint().height());

    // Totals.
    CTotals = addPanel("CTotals");
    fldColToProcessTotals =
        addColumnRow(CTotals, "fldColToProcessTotals", PanelControl::ColToProcessTotals);
    QFrame* totalsBox = addInnerBox(CTotals);
    fldSelTotals = addList(totalsBox, "fldSelTotals", 21, PanelControl::SelTotals);
    fldDataTotals = addList(totalsBox, "fldDataTotals", 25, PanelControl::DataTotals);
    gridOf(totalsBox)->addWidget(fldSelTotals, 1, 0);
    gridOf(totalsBox)->addWidget(fldDataTotals, 1, 1);
    shareColumns(totalsBox, {185, 221});

    // Data modify.
    CDataModify = addPanel("CDataModify");
    fldColToProcessDataModify = addColumnRow(CDataModify, "fldColToProcessDataModify",
                                             PanelControl::ColToProcessDataModify);
    QFrame* modifyBox = addInnerBox(CDataModify);
    fldSelDataModify = addList(modifyBox, "fldSelDataModify", 24, PanelControl::SelDataModify);
    fldSrcDataModify = addField(modifyBox, "fldSrcDataModify", PanelControl::SrcDataModify);
    gridOf(modifyBox)->addWidget(fldSelDataModify, 1, 0);
    gridOf(modifyBox)->addWidget(fldSrcDataModify, 1, 1);
    shareColumns(modifyBox, {209, 201});

    // Sorting: nothing to choose.
    CSorting = addPanel("CSorting");
    auto* sortingLayout = static_cast<QVBoxLayout*>(CSorting->layout());
    sortingLayout->addWidget(addLabel(CSorting, QStringLiteral("Sorting ( Press OK )")));
    sortingLayout->addStretch(1);

    showState();
}

std::vector<QFrame*> TfrmConditionsMenu::panels() const {
    return {CUniqValues, ElPanel2, ElPanel5, CTotals, CDataModify, CSorting};
}

QFrame* TfrmConditionsMenu::addPanel(const char* name) {
    auto* panel = new QFrame(this);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::NoFrame);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 4, 8, 4);
    layout->setSpacing(4);
    return panel;
}

QFrame* TfrmConditionsMenu::addInnerBox(QFrame* panel) {
    auto* box = new QFrame(panel);
    box->setFrameShape(QFrame::Panel);
    box->setFrameShadow(QFrame::Sunken);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->addWidget(addLabel(box, QStringLiteral("Specify selection properties :")), 0, 0, 1, -1);
    // The rows keep to the top of the box, which fills the panel below the column list.
    grid->setRowStretch(4, 1);
    static_cast<QVBoxLayout*>(panel->layout())->addWidget(box, 1);
    return box;
}

QLabel* TfrmConditionsMenu::addLabel(QWidget* parent, const QString& text, bool blue) {
    auto* label = new QLabel(text, parent);
    if (blue) UseCaptionColour(label);
    return label;
}

QComboBox* TfrmConditionsMenu::addList(QWidget* parent, const char* name, int characters,
                                       PanelControl control) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaxVisibleItems(12);
    // The width follows the font, not the column names, so the wizard keeps its size when another
    // file's columns fill the lists.
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(characters);
    const std::size_t index = m_lists.size();
    m_lists.push_back({box, control, {}});
    // `activated` comes from the user only; the program's selections run no handler.
    connect(box, &QComboBox::activated, this, [this, index](int position) {
        PickInPanel(m_lists[index].control, position);
        userChanged();
    });
    return box;
}

QLineEdit* TfrmConditionsMenu::addField(QWidget* parent, const char* name, PanelControl control) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    m_fields.push_back({edit, control});
    // Enter reaches the wizard's default button "Ok"; Esc closes the wizard.
    connect(edit, &QLineEdit::textEdited, this, [this, control](const QString& text) {
        TypeInPanel(control, text);
        userChanged();
    });
    return edit;
}

QComboBox* TfrmConditionsMenu::addColumnRow(QFrame* panel, const char* name, PanelControl control) {
    QLabel* caption = addLabel(panel, QStringLiteral("Column for processing :"), true);
    QComboBox* list = addList(panel, name, 21, control);
    // The list follows its caption and takes a share of the row; the rest stays empty.
    auto* row = new QHBoxLayout;
    row->addWidget(caption);
    row->addWidget(list, 173);
    row->addStretch(140);
    static_cast<QVBoxLayout*>(panel->layout())->addLayout(row);
    return list;
}

void TfrmConditionsMenu::userChanged() {
    // The wizard shows everything anew, these panels included.
    if (onUserChange) {
        onUserChange();
    } else {
        showState();
    }
}

void TfrmConditionsMenu::showState() {
    for (BoundList& bound : m_lists) {
        const PanelList* list = Panels.list(bound.control);
        const QSignalBlocker blocker(bound.box);
        // Refilling a long column list on every change would be wasteful: only when it differs.
        if (bound.shownItems != list->items) {
            bound.box->clear();
            bound.box->addItems(list->items);
            bound.shownItems = list->items;
        }
        bound.box->setCurrentIndex(list->position);
    }
    for (BoundField& bound : m_fields) {
        const QString* text = Panels.field(bound.control);
        if (bound.edit->text() != *text) {
            const QSignalBlocker blocker(bound.edit);
            bound.edit->setText(*text);
        }
    }
    const QSignalBlocker andBlocker(fldANDSelect);
    const QSignalBlocker orBlocker(fldORSelect);
    fldANDSelect->setChecked(Panels.fldANDSelect);
    fldORSelect->setChecked(!Panels.fldANDSelect);
}
