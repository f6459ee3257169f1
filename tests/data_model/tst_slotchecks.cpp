// The checks a loaded sheet passes before it is kept, and the result grid's text store.
#include <QTest>

#include "conditions/ConditionList.h"
#include "data/SlotChecks.h"
#include "data/uGlobalData.h"
#include "processing/uGridProcessor.h"

namespace {

clResult contentsWith(const QStringList& names, const std::vector<FieldType>& types) {
    return ContentsFromTexts(std::vector<QString>(names.begin(), names.end()), types, 1,
                             [](std::int32_t, std::int32_t) { return QStringLiteral("x"); });
}

class RecordingResultArea : public ResultAreaView {
public:
    QStringList calls;
    void resultGridReset() override { calls << "grid"; }
    void conditionListChanged() override { calls << "conditions"; }
};

}  // namespace

class TestSlotChecks : public QObject {
    Q_OBJECT
private slots:
    void headings_data() {
        QTest::addColumn<QString>("heading");
        QTest::addColumn<bool>("refused");
        QTest::newRow("plain") << "Amount (EUR) - 2024" << false;
        QTest::newRow("blank and dot") << "First name. Last" << false;
        for (const QChar c : RefusedHeadingCharacters) {
            QTest::addRow("holds %c", c.toLatin1()) << QString("a%1b").arg(c) << true;
        }
    }
    void headings() {
        QFETCH(QString, heading);
        QFETCH(bool, refused);
        const clResult contents =
            contentsWith({"Id", heading}, {FieldType::Integer, FieldType::String});
        QCOMPARE(HasRefusedHeading(contents), refused);
    }

    void file2AgainstFile1_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("secondType");
        QTest::addColumn<int>("mismatch");
        QTest::addColumn<QString>("message");
        const int text = int(FieldType::String), integer = int(FieldType::Integer);
        QTest::newRow("same") << QStringList{"Name", "Count"} << integer
                              << int(ColumnMismatch::None) << "";
        QTest::newRow("one column more")
            << QStringList{"Name", "Count", "Extra"} << integer << int(ColumnMismatch::Count)
            << "Number of columns does not match";
        QTest::newRow("other order")
            << QStringList{"Count", "Name"} << integer << int(ColumnMismatch::Headings)
            << "Can't proceed. Column headings in File 1 and  File 2 mismatch!";
        QTest::newRow("letter case")
            << QStringList{"name", "Count"} << integer << int(ColumnMismatch::Headings)
            << "Can't proceed. Column headings in File 1 and  File 2 mismatch!";
        QTest::newRow("text against integer")
            << QStringList{"Name", "Count"} << text << int(ColumnMismatch::Types)
            << "Can't proceed.  Column types in File 1 and File 2 mismatch!";
        QTest::newRow("float against integer")
            << QStringList{"Name", "Count"} << int(FieldType::Float) << int(ColumnMismatch::Types)
            << "Can't proceed.  Column types in File 1 and File 2 mismatch!";
    }
    void file2AgainstFile1() {
        QFETCH(QStringList, names);
        QFETCH(int, secondType);
        QFETCH(int, mismatch);
        QFETCH(QString, message);
        const clResult file1 =
            contentsWith({"Name", "Count"}, {FieldType::String, FieldType::Integer});
        std::vector<FieldType> types(static_cast<std::size_t>(names.size()), FieldType::String);
        types[1] = static_cast<FieldType>(secondType);
        if (names.first() == "Count") std::swap(types[0], types[1]);
        const ColumnMismatch found = CompareColumns(file1, contentsWith(names, types));
        QCOMPARE(int(found), mismatch);
        QCOMPARE(ColumnMismatchMessage(found), message);
    }

    void gridKeepsItsCellsAndResets() {
        RecordingResultArea view;
        setResultAreaView(&view);
        ResultGrid.setRows(3);
        ResultGrid.setColumns(3);
        ResultGrid.setTextMatrix(2, 2, "kept");
        ResultGrid.setTextMatrix(7, 1, "outside");  // past the last row: ignored
        ResultGrid.setColumns(5);
        ResultGrid.setRows(40);
        QCOMPARE(ResultGrid.textMatrix(2, 2), QString("kept"));
        QCOMPARE(ResultGrid.textMatrix(39, 4), QString());
        ResultGrid.clear();
        QCOMPARE(ResultGrid.rows(), 40);
        QCOMPARE(ResultGrid.textMatrix(2, 2), QString());
        ResultGrid.setTextMatrix(1, 1, "gone");
        ConditionRows.push_back({"f", "d", "file"});
        ClearFlexGrid();
        setResultAreaView(nullptr);
        QCOMPARE(ResultGrid.rows(), 2);
        QCOMPARE(ResultGrid.columns(), 2);
        QCOMPARE(ResultGrid.textMatrix(1, 1), QString());
        // The condition list is shown anew by the command that cleared it, not by the grid.
        QCOMPARE(view.calls, QStringList{"grid"});
        QVERIFY(ConditionRows.empty());
    }
};

QTEST_GUILESS_MAIN(TestSlotChecks)
#include "tst_slotchecks.moc"
