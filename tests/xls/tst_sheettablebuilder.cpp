// The sheet builder lays out the same table whatever order the cells come in, and holds each
// distinct text once.
#include <QTest>
#include <algorithm>
#include <random>

#include "data/access/CellText.h"
#include "data/access/SheetTableBuilder.h"

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

const CellTextFormat kFormat{QLocale::c()};

}  // namespace

class TestSheetTableBuilder : public QObject {
    Q_OBJECT
private slots:
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
        SheetTable table = builder.finish(kFormat);
        QCOMPARE(table.columnCount(), 4);
        QCOMPARE(table.rowCount, 4);
        QCOMPARE(table.headings, (std::vector<QString>{"h3", "h4", "h5", "h6"}));
        for (int r = 3; r <= 6; ++r) {
            for (int c = 3; c <= 6; ++c) {
                QCOMPARE(table.text(r - 3, c - 3),
                         (r + c) % 3 == 0 ? QString() : QString::number(r * 10 + c));
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
        auto shared = std::make_shared<TextList>();
        for (const char* text : {"zero", "12", "own"}) shared->append(QString::fromLatin1(text));
        SheetTableBuilder builder(shared);
        if (sharedFirst) builder.addSharedText(1, 0, 1);
        builder.addText(1, 1, QStringLiteral("own"));
        builder.addError(1, 2, QStringLiteral("#N/A"));
        if (!sharedFirst) builder.addSharedText(1, 0, 1);
        builder.addSharedText(1, 3, 99);           // outside the shared texts: no text
        builder.addSharedText(1, 4, 0x80000001u);  // looks like a cell id of another kind
        builder.addNumber(2, 0, 12);               // a number in a text column
        builder.addSharedText(2, 1, 2);            // the same text as an own one
        builder.addNumber(0, 0, 1);
        SheetTable table = builder.finish(kFormat);
        QCOMPARE(table.text(0, 0), QStringLiteral("12"));
        QCOMPARE(table.text(0, 1), QStringLiteral("own"));
        QCOMPARE(table.text(0, 2), QStringLiteral("#N/A"));
        QCOMPARE(table.text(0, 3), QString());
        QCOMPARE(table.text(0, 4), QString());
        // Equal texts are one entry of the pool, whatever kind of cell they came from.
        QCOMPARE(table.textId(1, 0), table.textId(0, 0));
        QCOMPARE(table.textId(1, 1), table.textId(0, 1));
        QCOMPARE(table.textId(0, 3), 0u);
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
        SheetTable table = builder.finish(kFormat);
        QVERIFY(table.isTooWide());
        QCOMPARE(table.columnCount(), 301);
        QVERIFY(table.takeColumns().empty());
    }

    // A sheet whose few cells reach far: each cell of its range costs one 32-bit id, and rows
    // that come upwards do not make the columns grow past the range.
    void sparseRangeCostsAnIdACell() {
        SheetTableBuilder builder;
        builder.addText(65535, 249, QStringLiteral("corner"));
        for (int r = 65534; r >= 0; r -= 997) builder.addNumber(r, 100, r);
        builder.addText(0, 0, QStringLiteral("heading"));
        SheetTable table = builder.finish(kFormat);
        QCOMPARE(table.rowCount, 65535);
        QCOMPARE(table.columnCount(), 250);
        QCOMPARE(table.text(65534, 249), QStringLiteral("corner"));
        QCOMPARE(table.text(65533 - 997, 100), QStringLiteral("64537"));
        std::size_t held = 0;
        for (const auto& column : table.takeColumns()) held += column.capacity();
        QVERIFY2(held <= std::size_t(65535) * 250 * 5 / 4, qPrintable(QString::number(held)));
    }
};

QTEST_GUILESS_MAIN(TestSheetTableBuilder)
#include "tst_sheettablebuilder.moc"
