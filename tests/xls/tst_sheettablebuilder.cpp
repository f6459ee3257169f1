// The sheet builder lays out the same table whatever order the cells come in.
#include <QTest>
#include <algorithm>
#include <random>

#include "data/access/CellText.h"
#include "data/access/SheetTable.h"

namespace {

struct Placement {
    int row;
    int column;
};

// A 5 x 4 range starting at row 2, column 3, with holes.
std::vector<Placement> cellsOfTheRange() {
    std::vector<Placement> cells;
    for (int r = 2; r <= 6; ++r) {
        for (int c = 3; c <= 6; ++c) {
            if ((r + c) % 3 != 0 || r == 2) cells.push_back({r, c});
        }
    }
    return cells;
}

}  // namespace

class TestSheetTableBuilder : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { CellTextFormat::setCurrentLocale(QLocale::c()); }

    void anyOrderGivesOneLayout_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<bool>("hint");
        for (const char* order : {"rows", "reversed", "columns", "shuffled"}) {
            QTest::addRow("%s", order) << QString::fromLatin1(order) << false;
            QTest::addRow("%s, hint too small", order) << QString::fromLatin1(order) << true;
        }
    }
    void anyOrderGivesOneLayout() {
        QFETCH(QString, order);
        QFETCH(bool, hint);
        std::vector<Placement> cells = cellsOfTheRange();
        if (order == QLatin1String("reversed")) std::reverse(cells.begin(), cells.end());
        if (order == QLatin1String("columns")) {
            std::stable_sort(
                cells.begin(), cells.end(),
                [](const Placement& a, const Placement& b) { return a.column < b.column; });
        }
        if (order == QLatin1String("shuffled"))
            std::shuffle(cells.begin(), cells.end(), std::mt19937(7));

        SheetTableBuilder builder;
        if (hint) builder.expectRange(4, 5, 4, 5);  // a reader's guess that misses cells
        for (const Placement& p : cells) {
            if (p.row == 2) {
                builder.addText(p.row, p.column, QStringLiteral("h%1").arg(p.column));
            } else {
                builder.addNumber(p.row, p.column, p.row * 10 + p.column);
            }
        }
        const SheetTable table = builder.finish();
        QCOMPARE(table.columnCount(), 4);
        QCOMPARE(table.rowCount, 4);
        QCOMPARE(table.headings, (std::vector<QString>{"h3", "h4", "h5", "h6"}));
        for (int r = 3; r <= 6; ++r) {
            for (int c = 3; c <= 6; ++c) {
                const Cell& cell = table.at(r - 3, c - 3);
                if ((r + c) % 3 == 0) {
                    QCOMPARE(int(cell.kind), int(CellKind::Empty));
                } else {
                    QCOMPARE(cell.number, double(r * 10 + c));
                }
            }
        }
    }

    void texts_data() {
        QTest::addColumn<bool>("sharedFirst");
        QTest::newRow("shared texts first") << true;
        QTest::newRow("own texts first") << false;
    }
    void texts() {
        QFETCH(bool, sharedFirst);
        SheetTableBuilder builder;
        if (sharedFirst) builder.addSharedText(1, 0, 1);
        builder.addText(1, 1, QStringLiteral("own"));
        builder.addError(1, 2, QStringLiteral("#N/A"));
        if (!sharedFirst) builder.addSharedText(1, 0, 1);
        builder.addSharedText(1, 3, 99);           // outside the pool: no text
        builder.addSharedText(1, 4, 0x80000001u);  // looks like an own text: still outside
        builder.addNumber(0, 0, 1);
        const SheetTable table = builder.finish({QStringLiteral("zero"), QStringLiteral("one")});
        const CellTextFormat& format = CellTextFormat::current();
        const auto text = [&](int column) {
            return format.render(table.at(0, column), fieldTypeCode(FieldType::String), table);
        };
        QCOMPARE(text(0), QStringLiteral("one"));
        QCOMPARE(text(1), QStringLiteral("own"));
        QCOMPARE(text(2), QStringLiteral("#N/A"));
        QCOMPARE(int(table.at(0, 3).kind), int(CellKind::Empty));
        QCOMPARE(int(table.at(0, 4).kind), int(CellKind::Empty));
    }

    void tooWideInAnyOrder_data() {
        QTest::addColumn<bool>("leftward");
        QTest::newRow("growing right") << false;
        QTest::newRow("growing left") << true;
    }
    void tooWideInAnyOrder() {
        QFETCH(bool, leftward);
        SheetTableBuilder builder;
        builder.addNumber(5000, leftward ? 300 : 0, 1);  // a tall grid before it widens
        for (int c = 0; c <= 300; ++c) builder.addNumber(0, leftward ? 300 - c : c, c);
        const SheetTable table = builder.finish();
        QVERIFY(table.isTooWide());
        QCOMPARE(table.columnCount(), 301);
        QVERIFY(table.cells.empty());
    }
};

QTEST_GUILESS_MAIN(TestSheetTableBuilder)
#include "tst_sheettablebuilder.moc"
