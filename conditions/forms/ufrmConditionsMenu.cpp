#include "conditions/forms/ufrmConditionsMenu.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

#include "app/widgets/CaptionColours.h"

namespace {

constexpr QSize PanelSize{437, 133};
constexpr QRect InnerBoxPlace{4, 28, 425, 101};

}  // namespace

TfrmConditionsMenu::TfrmConditionsMenu(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmConditionsMenu"));
    setWindowTitle(QStringLiteral("conditions"));

    // Unique values and Duplicates.
    CUniqValues = addPanel("CUniqValues");
    fldColToProcess = addColumnRow(CUniqValues, "fldColToProcess", {8, 8},
                                   PanelControl::ColToProcess);

    // Filter. Tab order inside the box: first operator, first value, "And", "Or", second
    // operator, second value (the order of creation).
    ElPanel2 = addPanel("ElPanel2");
    fldColToProcessSelect = addColumnRow(ElPanel2, "fldColToProcessSelect", {8, 8},
                                         PanelControl::ColToProcessSelect);
    QFrame* filterBox = addInnerBox(ElPanel2);
    fldSel1Select = addList(filterBox, "fldSel1Select", {4, 21, 185, 21}, PanelControl::Sel1Select);
    fldData1Select =
        addField(filterBox, "fldData1Select", {240, 20, 181, 21}, PanelControl::Data1Select);
    fldANDSelect = new QRadioButton(QStringLiteral("And"), filterBox);
    fldANDSelect->setObjectName(QStringLiteral("fldANDSelect"));
    fldANDSelect->setGeometry(148, 48, 45, 17);
    connect(fldANDSelect, &QRadioButton::clicked, this, [this] {
        PickInPanel(PanelControl::AndSelect, 0);
        userChanged();
    });
    // The grey line between "And" and "Or" fills the gap between them, in a smaller font when
    // the desktop's is wider than the design.
    QLabel* line = addLabel(filterBox, QStringLiteral("_______"), {193, 44});
    line->setObjectName(QStringLiteral("AndOrLine"));
    UseQuietColour(line);
    QFont lineFont = line->font();
    while (QFontMetrics(lineFont).horizontalAdvance(line->text()) > 46 && lineFont.pointSizeF() > 4)
        lineFont.setPointSizeF(lineFont.pointSizeF() - 0.5);
    line->setFont(lineFont);
    line->adjustSize();
    fldORSelect = new QRadioButton(QStringLiteral("Or"), filterBox);
    fldORSelect->setObjectName(QStringLiteral("fldORSelect"));
    fldORSelect->setGeometry(240, 48, 45, 17);
    connect(fldORSelect, &QRadioButton::clicked, this, [this] {
        PickInPanel(PanelControl::OrSelect, 0);
        userChanged();
    });
    fldSel2Select = addList(filterBox, "fldSel2Select", {4, 68, 185, 21}, PanelControl::Sel2Select);
    fldData2Select =
        addField(filterBox, "fldData2Select", {240, 68, 181, 21}, PanelControl::Data2Select);

    // Multi-Filter: no column list on top; its top 28 pixels stay empty.
    ElPanel5 = addPanel("ElPanel5");
    QFrame* multiBox = addInnerBox(ElPanel5);
    fldCol1MultiSelect = addList(multiBox, "fldCol1MultiSelect", {4, 21, 153, 21},
                                 PanelControl::Col1MultiSelect);
    fldSel1MultiSelect = addList(multiBox, "fldSel1MultiSelect", {164, 21, 125, 21},
                                 PanelControl::Sel1MultiSelect);
    fldData1MultiSelect = addField(multiBox, "fldData1MultiSelect", {296, 21, 125, 21},
                                   PanelControl::Data1MultiSelect);
    fldCol2MultiSelect = addList(multiBox, "fldCol2MultiSelect", {4, 57, 153, 21},
                                 PanelControl::Col2MultiSelect);
    fldSel2MultiSelect = addList(multiBox, "fldSel2MultiSelect", {164, 57, 125, 21},
                                 PanelControl::Sel2MultiSelect);
    fldData2MultiSelect = addField(multiBox, "fldData2MultiSelect", {296, 57, 125, 21},
                                   PanelControl::Data2MultiSelect);

    // Totals.
    CTotals = addPanel("CTotals");
    fldColToProcessTotals = addColumnRow(CTotals, "fldColToProcessTotals", {4, 10},
                                         PanelControl::ColToProcessTotals);
    QFrame* totalsBox = addInnerBox(CTotals);
    fldSelTotals = addList(totalsBox, "fldSelTotals", {4, 21, 185, 21}, PanelControl::SelTotals);
    fldDataTotals =
        addList(totalsBox, "fldDataTotals", {200, 21, 221, 21}, PanelControl::DataTotals);

    // Data modify.
    CDataModify = addPanel("CDataModify");
    fldColToProcessDataModify = addColumnRow(CDataModify, "fldColToProcessDataModify", {4, 10},
                                             PanelControl::ColToProcessDataModify);
    QFrame* modifyBox = addInnerBox(CDataModify);
    fldSelDataModify =
        addList(modifyBox, "fldSelDataModify", {4, 22, 209, 21}, PanelControl::SelDataModify);
    fldSrcDataModify =
        addField(modifyBox, "fldSrcDataModify", {220, 22, 201, 21}, PanelControl::SrcDataModify);

    // Sorting: nothing to choose.
    CSorting = addPanel("CSorting");
    addLabel(CSorting, QStringLiteral("Sorting ( Press OK )"), {8, 6});

    showState();
}

std::vector<QFrame*> TfrmConditionsMenu::panels() const {
    return {CUniqValues, ElPanel2, ElPanel5, CTotals, CDataModify, CSorting};
}

QFrame* TfrmConditionsMenu::addPanel(const char* name) {
    auto* panel = new QFrame(this);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::NoFrame);
    panel->setGeometry(QRect(QPoint(0, 0), PanelSize));
    return panel;
}

QFrame* TfrmConditionsMenu::addInnerBox(QFrame* panel) {
    auto* box = new QFrame(panel);
    box->setFrameShape(QFrame::Panel);
    box->setFrameShadow(QFrame::Sunken);
    box->setGeometry(InnerBoxPlace);
    addLabel(box, QStringLiteral("Specify selection properties :"), {4, 5});
    return box;
}

QLabel* TfrmConditionsMenu::addLabel(QWidget* parent, const QString& text, QPoint place,
                                     bool blue) {
    auto* label = new QLabel(text, parent);
    if (blue) UseCaptionColour(label);
    label->move(place);
    label->adjustSize();
    return label;
}

QComboBox* TfrmConditionsMenu::addList(QWidget* parent, const char* name, const QRect& place,
                                       PanelControl control) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(place);
    box->setMaxVisibleItems(12);
    const std::size_t index = m_lists.size();
    m_lists.push_back({box, control, {}});
    // `activated` comes from the user only; the program's selections run no handler.
    connect(box, &QComboBox::activated, this, [this, index](int position) {
        PickInPanel(m_lists[index].control, position);
        userChanged();
    });
    return box;
}

QLineEdit* TfrmConditionsMenu::addField(QWidget* parent, const char* name, const QRect& place,
                                        PanelControl control) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(place);
    m_fields.push_back({edit, control});
    // Enter reaches the wizard's default button "Ok"; Esc closes the wizard.
    connect(edit, &QLineEdit::textEdited, this, [this, control](const QString& text) {
        TypeInPanel(control, text);
        userChanged();
    });
    return edit;
}

QComboBox* TfrmConditionsMenu::addColumnRow(QFrame* panel, const char* name, QPoint labelPlace,
                                            PanelControl control) {
    QLabel* caption =
        addLabel(panel, QStringLiteral("Column for processing :"), labelPlace, true);
    constexpr int designedLeft = 124;
    constexpr int right = 124 + 173;
    const int left = std::max(designedLeft, caption->geometry().right() + 6);
    return addList(panel, name, QRect(left, 4, right - left, 21), control);
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
