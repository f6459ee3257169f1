// The seven functions against literal (quadratic) versions of their rules on generated sheets,
// for each target, so the hashed versions cannot drift; then the edge cases and the mended
// faults, and a cancel in the middle.
#include <QRandomGenerator>
#include <QTest>

#include "conditions/ConditionPanels.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "processing/DecimalNumber.h"
#include "processing/ResultFunctions.h"
#include "processing/RunCommand.h"
#include "processing/Totals.h"
#include "processing/uGridProcessor.h"
#include "support/SeamFakes.h"

namespace {

using Rows = std::vector<QStringList>;  // a sheet's rows, or a result's rows as the grid holds them

const std::vector<QString> kNames{"K", "N", "F", "T"};
const std::vector<FieldType> kTypes{FieldType::String, FieldType::Integer, FieldType::Float,
                                    FieldType::String};

Rows generated(quint32 seed, int count) {
    QRandomGenerator random(seed);
    static const QStringList keys{"a", "A", "b", "", "c ", "c"};
    static const QStringList words{"abc", "ABC", "Abc", "xab", "", "b", "abc "};
    static const QStringList fractions{"12.5", "0.25", "-3", "", "40.5", "7.75", "0.1", "0.2"};
    Rows rows;
    for (int r = 0; r < count; ++r) {
        const int number = random.bounded(-50, 51);
        rows.push_back({keys[random.bounded(int(keys.size()))],
                        random.bounded(8) == 0 ? QString() : QString::number(number),
                        fractions[random.bounded(int(fractions.size()))],
                        words[random.bounded(int(words.size()))]});
    }
    return rows;
}

void load(clFile& file, const QString& name, const Rows& rows,
          const std::vector<FieldType>& types = kTypes) {
    file.FileName = name;
    file.Connection = std::make_unique<DbConnection>();
    file.Contents = std::make_unique<clResult>(ContentsFromTexts(
        std::vector<QString>(kNames.begin(), kNames.begin() + qsizetype(types.size())), types,
        std::int32_t(rows.size()), [&](int r, int c) { return rows[std::size_t(r)][c]; }));
}

Rows sheetRows(const clFile& file) {
    Rows rows;
    const auto& fields = file.Contents->Fields;
    for (std::size_t r = 0; r < fields.front().Values.size(); ++r) {
        QStringList row;
        for (const clField& field : fields) row << field.Values[r].Value;
        rows.push_back(row);
    }
    return rows;
}

// The grid as the function left it, before the Run command trims and sorts it.
Rows g_written;
std::array<ResultFunction, 7> g_real;
template <int F>
void recordingFunction() {
    g_real[F]();
    g_written.clear();
    for (int r = 1; r <= ResultRowCount; ++r) {
        QStringList row;
        for (int c = 0; c < ResultGrid.columns(); ++c) row << ResultGrid.textMatrix(r, c);
        g_written.push_back(row);
    }
}

// A result row as the grid holds it: number, the row's cells, the file number when both files.
QStringList resultRow(int number, const QStringList& cells, int file) {
    QStringList row{QString::number(number)};
    row << cells;
    if (file > 0) row << QString::number(file);
    return row;
}

double number(const QString& text) {
    return std::llround(text.toDouble() * 10000) / 10000.0;
}

bool literalMatch(int op, const QString& operand, const QString& cell) {
    switch (op) {
        case 0:
            return cell.toLower() == operand.toLower();
        case 1:
            return cell.toLower() != operand.toLower();
        case 6:
            return !cell.isEmpty() && !operand.isEmpty() &&
                   cell.toLower().contains(operand.toLower());
        default:
            if (cell.isEmpty() || operand.isEmpty()) return false;
            const double a = number(cell), b = number(operand);
            return op == 2 ? a < b : op == 3 ? a <= b : op == 4 ? a > b : a >= b;
    }
}

}  // namespace

class TestFunctions : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MessageRecorder> messages;
    Rows sheet1, sheet2;

    void configure(int function, int target, int column) {
        load(File1, "a.xls", sheet1);
        load(File2, "b.xls", sheet2);
        FillColumnLists();
        FunctionIndex = function;
        FileToProcess = target;
        ColumnToProcess = column;
        ShowLoadedData = false;
    }
    Rows run() {
        g_written.clear();
        messages->boxes.clear();
        RunCommand();
        return g_written;
    }
    QStringList texts() const {
        QStringList shown;
        for (const auto& box : messages->boxes) shown << box.text;
        return shown;
    }

private slots:
    void initTestCase() {
        g_real = ResultFunctionTable;
        ResultFunctionTable = {recordingFunction<0>, recordingFunction<1>, recordingFunction<2>,
                               recordingFunction<3>, recordingFunction<4>, recordingFunction<5>,
                               recordingFunction<6>};
    }
    void init() {
        messages = std::make_unique<MessageRecorder>();
        sheet1 = generated(1, 300);
        sheet2 = generated(2, 240);
    }
    void cleanup() {
        messages.reset();
        UnloadFile(File1);
        UnloadFile(File2);
        ResetConditionSettings();
        ResetPanels();
        ShowLoadedData = true;
    }

    void uniqueValuesAgainstTheLiteralRule() {
        for (int target : {0, 1, 2}) {
            for (int column : {0, 2, 3}) {
                configure(0, target, column);
                const Rows& mine = target == 1 ? sheet2 : sheet1;
                const Rows& other = target == 1 ? sheet1 : sheet2;
                Rows expected;
                const auto pass = [&](const Rows& rows, const Rows& against, int file) {
                    for (const QStringList& row : rows) {
                        bool found = false;
                        for (const QStringList& o : against)
                            found = found || o[column] == row[column];
                        if (!found)
                            expected.push_back(resultRow(int(expected.size()) + 1, row, file));
                    }
                };
                pass(mine, other, target == 2 ? 1 : 0);
                if (target == 2) pass(other, mine, 2);
                QCOMPARE(run(), expected);
            }
        }
    }

    void duplicatesAgainstTheLiteralRule() {
        for (int target : {0, 1}) {
            for (int column : {0, 1, 3}) {
                configure(1, target, column);
                const Rows& rows = target == 1 ? sheet2 : sheet1;
                Rows expected;
                QStringList seen;
                for (std::size_t r = 0; r < rows.size(); ++r) {
                    const QString value = rows[r][column];
                    if (value.isEmpty() || seen.contains(value)) continue;
                    seen << value;
                    bool written = false;
                    for (std::size_t j = 0; j < rows.size(); ++j) {
                        if (j == r || rows[j][column] != value) continue;
                        if (!written)
                            expected.push_back(resultRow(int(expected.size()) + 1, rows[r], 0));
                        written = true;
                        expected.push_back(resultRow(int(expected.size()) + 1, rows[j], 0));
                    }
                }
                QCOMPARE(run(), expected);
                // The Run command then sorts the groups by the column, ascending.
                for (int r = 2; r < ResultGrid.rows(); ++r) {
                    const QString a = ResultGrid.textMatrix(r - 1, column + 1);
                    const QString b = ResultGrid.textMatrix(r, column + 1);
                    QVERIFY(column == 1 ? a.toInt() <= b.toInt() : QString::compare(a, b) <= 0);
                }
            }
        }
    }

    void filtersAgainstTheLiteralRule() {
        struct Setting {
            int column, op1;
            QString value1;
            int op2;  // the second list's position: 0 None
            QString value2;
            bool andJoin;
        };
        const std::vector<Setting> settings = {
            {3, 0, "abc", 7, "b", false},  {3, 1, "", 0, "x", true},
            {2, 4, "10", 4, "40.5", true}, {2, 3, "0.25", 1, "", false},
            {1, 5, "-10", 3, "10", true},  {0, 6, "", 1, "c ", false},
        };
        for (int target : {0, 1, 2}) {
            for (const Setting& s : settings) {
                configure(2, target, s.column);
                SelectOperator1 = s.op1;
                Panels.fldData1Select = s.value1;
                SelectOperator2 = s.op2;
                Panels.fldSel2Select.position = s.op2;
                Panels.fldData2Select = s.value2;
                SelectAnd = s.andJoin;
                Rows expected;
                const auto pass = [&](const Rows& rows, int file) {
                    for (const QStringList& row : rows) {
                        const bool a = literalMatch(s.op1, s.value1, row[s.column]);
                        const bool b =
                            s.op2 > 0 && literalMatch(s.op2 - 1, s.value2, row[s.column]);
                        if (s.op2 == 0 ? a : (s.andJoin ? a && b : a || b))
                            expected.push_back(resultRow(int(expected.size()) + 1, row, file));
                    }
                };
                pass(target == 1 ? sheet2 : sheet1, target == 2 ? 1 : 0);
                if (target == 2) pass(sheet2, 2);
                QCOMPARE(run(), expected);
            }
        }
    }

    void multiFilterAgainstTheLiteralRule() {
        for (int target : {0, 1, 2}) {
            configure(3, target, 0);
            MultiColumn1 = 3;
            MultiOperator1 = 6;
            Panels.fldData1MultiSelect = "ab";
            MultiColumn2 = 3;  // F, the column at 3 - 1
            Panels.fldCol2MultiSelect.position = 3;
            MultiOperator2 = 2;
            Panels.fldData2MultiSelect = "20";
            const auto selected = [](const QStringList& row) {
                return literalMatch(6, "ab", row[3]) && literalMatch(2, "20", row[2]);
            };
            Rows expected;
            const Rows& mine = target == 1 ? sheet2 : sheet1;
            for (std::size_t r = 0; r < std::max(sheet1.size(), sheet2.size()); ++r) {
                if (r < mine.size() && selected(mine[r]))
                    expected.push_back(
                        resultRow(int(expected.size()) + 1, mine[r], target == 2 ? 1 : 0));
                if (target == 2 && r < sheet2.size() && selected(sheet2[r]))
                    expected.push_back(resultRow(int(expected.size()) + 1, sheet2[r], 2));
            }
            QCOMPARE(run(), expected);
        }
    }

    void totalsAgainstTheLiteralRule() {
        for (int target : {0, 1, 2}) {
            for (int kind : {0, 1, 2}) {
                for (int valueColumn : {1, 2}) {
                    configure(4, target, 0);
                    TotalsKind = kind;
                    TotalsColumn = valueColumn;
                    // Literal groups of each file, then rows alternating between the files.
                    const auto groupsOf = [&](const Rows& rows) {
                        std::vector<QStringList> groups;  // key, total, count, others...
                        QStringList keys;
                        for (const QStringList& first : rows) {
                            if (keys.contains(first[0])) continue;
                            keys << first[0];
                            QStringList values = first;
                            int count = 0;
                            bool any = false;
                            double best = 0;
                            qint64 cents = 0;
                            QString bestText;
                            for (const QStringList& row : rows) {
                                if (row[0] != first[0]) continue;
                                ++count;
                                for (int c = 0; c < 4; ++c)
                                    if (row[c] != first[c]) values[c] = "-";
                                const QString v = row[valueColumn];
                                if (v.isEmpty()) continue;
                                const double x = v.toDouble();
                                if (!any || (kind == 1 ? x < best : x > best)) {
                                    best = x;
                                    bestText = v;
                                }
                                cents += std::llround(x * 100);
                                any = true;
                            }
                            QString total;
                            if (any && kind != 0) total = bestText;
                            if (any && kind == 0)
                                total = valueColumn == 1 ? QString::number(cents / 100)
                                                         : QString::number(cents / 100.0, 'g', 15);
                            QStringList group{first[0], total, QString::number(count)};
                            for (int c = 0; c < 4; ++c)
                                if (c != 0 && c != valueColumn) group << values[c];
                            groups.push_back(group);
                        }
                        return groups;
                    };
                    const auto g1 = groupsOf(target == 1 ? sheet2 : sheet1);
                    const auto g2 = target == 2 ? groupsOf(sheet2) : std::vector<QStringList>{};
                    Rows expected;
                    for (std::size_t k = 0; k < std::max(g1.size(), g2.size()); ++k) {
                        if (k < g1.size())
                            expected.push_back(
                                resultRow(int(expected.size()) + 1, g1[k], target == 2 ? 1 : 0));
                        if (k < g2.size())
                            expected.push_back(resultRow(int(expected.size()) + 1, g2[k], 2));
                    }
                    QCOMPARE(run(), expected);
                    const QStringList suffixes{",Sum", ",Min", ",Max"};
                    QCOMPARE(ResultGrid.textMatrix(0, 2),
                             kNames[std::size_t(valueColumn)] + suffixes[kind]);
                }
            }
        }
    }

    void modifyAndSortAgainstTheLiteralRule() {
        for (int target : {0, 1}) {
            const Rows& rows = target == 1 ? sheet2 : sheet1;
            configure(6, target, 0);
            Rows expected;
            for (std::size_t i = 0; i < rows.size(); ++i)
                expected.push_back(resultRow(int(i) + 1, rows[rows.size() - 1 - i], 0));
            QCOMPARE(run(), expected);

            configure(5, target, 3);
            ModifyOperation = 0;
            ModifyText = "AB";
            expected.clear();
            int changed = 0;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                QStringList row = rows[i];
                if (row[3].toLower().startsWith("ab")) {
                    row[3] = row[3].mid(2);
                    ++changed;
                }
                expected.push_back(resultRow(int(i) + 1, row, 0));
            }
            QCOMPARE(run(), expected);
            QCOMPARE(texts(), QStringList{QString::number(changed) + " records are changed!"});
        }
    }

    void edgeCasesOfTheFunctions() {
        // Unique values, both files: a, b, b against b, c.
        sheet1 = {{"a", "1", "1", "x"}, {"b", "2", "2", "x"}, {"b", "3", "3", "x"}};
        sheet2 = {{"b", "1", "1", "y"}, {"c", "2", "2", "y"}};
        configure(0, 2, 0);
        QCOMPARE(run(), (Rows{{"1", "a", "1", "1", "x", "1"}, {"2", "c", "2", "2", "y", "2"}}));
        // File 2 unloaded after "Ok": the function's own message, then nothing found.
        configure(0, 0, 0);
        UnloadFile(File2);
        run();
        QCOMPARE(texts(),
                 (QStringList{"Please select file 2", "No data matching your query found!"}));

        // Duplicates of x, y, x, z, x, y: the x group, then the y group, numbered as written.
        sheet1 = {{"x"}, {"y"}, {"x"}, {"z"}, {"x"}, {"y"}, {""}, {""}};
        for (QStringList& row : sheet1)
            row << QString::number(&row - &sheet1[0]) << "1"
                << "t";
        configure(1, 0, 0);
        QCOMPARE(run().size(), std::size_t(5));
        QCOMPARE(g_written[3][2], QString("1"));
        QCOMPARE(ResultGrid.textMatrix(1, 1), QString("x"));
        QCOMPARE(ResultGrid.textMatrix(4, 1), QString("y"));
        QCOMPARE(ResultGrid.textMatrix(4, 0), QString("4"));

        // Data modify: cuts that match in another letter case, and an empty sequence changes
        // nothing.
        sheet1 = {{"abc", "1", "1", "a.TXT"}, {"ABX", "1", "1", "txt"}, {"xab", "1", "1", ""}};
        configure(5, 0, 0);
        ModifyText = "AB";
        QCOMPARE(run()[1][1], QString("X"));
        QCOMPARE(texts(), QStringList{"2 records are changed!"});
        ColumnToProcess = 3;
        ModifyOperation = 1;
        ModifyText = ".txt";
        const Rows cut = run();
        QCOMPARE(cut[0][4] + "|" + cut[1][4], QString("a|txt"));
        ModifyOperation = 2;
        ModifyText = "X-";
        QCOMPARE(run()[2][4], QString("X-"));
        for (int operation : {0, 1, 2, 3}) {
            ModifyOperation = operation;
            ModifyText.clear();
            run();
            QCOMPARE(texts(), QStringList{"Sequence '' in field 'T' was not found"});
        }

        // Multi-Filter: a second column of "None", or none picked (after "Clear"), is no second
        // condition, whatever the setting behind the list still holds.
        sheet1 = {{"a", "1", "5", "t"}, {"b", "2", "6", "t"}};
        configure(3, 0, 0);
        MultiColumn1 = 0;
        MultiOperator1 = 1;
        Panels.fldData1MultiSelect = "x";
        MultiColumn2 = 3;
        MultiOperator2 = 0;
        for (int position : {0, -1}) {
            Panels.fldCol2MultiSelect.position = position;
            QCOMPARE(run().size(), std::size_t(2));
        }

        // Filter: letter case, blanks, the fixed-point comparison.
        sheet1 = {{"abc", "1", "2.00004", "t"}, {"ABC", "1", "2", "t"}, {"abc ", "1", "", "t"}};
        configure(2, 0, 0);
        SelectOperator1 = 0;
        Panels.fldData1Select = "abc";
        QCOMPARE(run().size(), std::size_t(2));
        ColumnToProcess = 2;
        SelectOperator1 = 3;
        Panels.fldData1Select = "2";
        QCOMPARE(run().size(), std::size_t(2));  // 2.00004 counts as 2; the empty cell never
    }

    // Numbers too large for four decimals in 64 bits (a 16-digit card number) are compared by
    // their value, as cells and as operands, in Filter and Multi-Filter alike.
    void filtersOnLargeNumbers() {
        const QStringList values{"4111111111111111", "1.5e15", "12.5", "-2e15", "", "1.5E+15"};
        sheet1.clear();
        for (const QString& value : values) sheet1.push_back({"k", "1", value, "t"});
        sheet2 = sheet1;
        struct Case {
            int op;
            QString operand;
            QString rows;  // the values of the rows passing, joined by " "
        };
        const std::vector<Case> cases = {
            {4, "10", "4111111111111111 1.5e15 12.5 1.5E+15"},
            {2, "2e15", "1.5e15 12.5 -2e15 1.5E+15"},
            {5, "4111111111111111", "4111111111111111"},
            {3, "4111111111111110", "1.5e15 12.5 -2e15 1.5E+15"},
            {3, "1500000000000000", "1.5e15 12.5 -2e15 1.5E+15"},
            {4, "-1e16", "4111111111111111 1.5e15 12.5 -2e15 1.5E+15"},
            {2, "-1999999999999999.99995", "-2e15"},
            {0, "4111111111111111", "4111111111111111"},
            {0, "1500000000000000", ""},  // "Equal To" compares the texts
        };
        for (const Case& c : cases) {
            for (const bool multi : {false, true}) {
                configure(multi ? 3 : 2, 0, 2);
                SelectOperator1 = MultiOperator1 = c.op;
                Panels.fldData1Select = Panels.fldData1MultiSelect = c.operand;
                MultiColumn1 = 2;
                QStringList passed;
                for (const QStringList& row : run()) passed << row[3];
                const QString name = QString("%1 %2 %3").arg(multi).arg(c.op).arg(c.operand);
                QVERIFY2(passed.join(' ') == c.rows, qPrintable(name + ": " + passed.join(' ')));
                QVERIFY2(texts().isEmpty() || c.rows.isEmpty(), qPrintable(name));
            }
        }
    }

    void mendedTotals() {
        const std::vector<FieldType> floats{FieldType::String, FieldType::Integer, FieldType::Float,
                                            FieldType::String};
        struct Case {
            int kind, column;
            QStringList values;
            QString total;
        };
        const std::vector<Case> cases = {
            {1, 1, {"1500000000", "2000000000"}, "1500000000"},
            {2, 1, {"-1500000000", "-2000000000"}, "-1500000000"},
            {0, 1, {"2000000000", "2000000000"}, "4000000000"},
            {0, 2, {"1234567.89", "0.01"}, "1234567.9"},
            {0, 2, {"1.25", "2.5"}, "3.75"},
            {0, 2, {"10.5", "2.5"}, "13"},
            {0, 2, {"0.1", "0.2"}, "0.3"},
            {0, 2, {"-999.997", "999"}, "-0.997"},
            {0, 2, {"1e-05", "1.5e+20"}, "1.5e+20"},
            {0, 2, {"1e-05", "2e-05"}, "3e-05"},
            {1, 2, {"1234567.89", "1234567.9"}, "1234567.89"},
            {2, 2, {"98765432.1", "98765432"}, "98765432.1"},
            {0, 2, {"2.5", ""}, "2.5"},  // the last value empty, an earlier one not
        };
        for (const Case& c : cases) {
            sheet1.clear();
            for (const QString& value : c.values) sheet1.push_back({"g", "", "", "t"});
            for (std::size_t i = 0; i < sheet1.size(); ++i)
                sheet1[i][c.column] = c.values[qsizetype(i)];
            sheet2 = sheet1;
            configure(4, 0, 0);
            load(File1, "a.xls", sheet1, floats);
            TotalsKind = c.kind;
            TotalsColumn = c.column;
            run();
            QCOMPARE(ResultGrid.textMatrix(1, 2), c.total);
        }
        // Both files: 2 groups and 3 groups make 5 rows, alternating.
        sheet1 = {{"p", "1", "1", "t"}, {"q", "1", "1", "t"}};
        sheet2 = {{"p", "1", "1", "u"}, {"q", "1", "1", "u"}, {"r", "1", "1", "u"}};
        configure(4, 2, 0);
        TotalsColumn = 1;
        QCOMPARE(run().size(), std::size_t(5));
        QCOMPARE(ResultGrid.textMatrix(5, 1) + ResultGrid.textMatrix(5, 6), QString("r2"));
        QCOMPARE(TotalsResultColumns, (std::vector<std::int32_t>{0, 1}));
        QCOMPARE(TotalsDifferMarks.back().Value, QString("u"));
    }

    void numberHelpers() {
        QCOMPARE(DecimalDigitCount("1.5e-05", '.'), 6);
        QCOMPARE(DecimalDigitCount("1,50", ','), 1);
        QCOMPARE(DecimalDigitCount("1.5e+20", '.'), 0);
        QCOMPARE(RoundNumberText(2, "-2,345", ','), QString("-2,35"));
        QCOMPARE(RoundNumberText(2, "2.345", '.'), QString("2.35"));
        QCOMPARE(RoundNumberText(6, "1.23456789", '.'), QString("1.234568"));
        QCOMPARE(RoundNumberText(2, "9.999", '.'), QString("10"));
        QCOMPARE(RoundNumberText(2, "-0.001", '.'), QString("0"));
        QCOMPARE(RoundNumberText(3, "2.5", '.'), QString("2.5"));
        QCOMPARE(RoundNumberText(0, "2.5", '.'), QString("2.5"));  // whole numbers' totals
        std::int64_t fixed = 0;
        QVERIFY(ReadFixedPoint4("0.0000" + QString(38, '9'), '.', fixed));
        QCOMPARE(fixed, std::int64_t(1));
        QVERIFY(ReadFixedPoint4("-0.00005", '.', fixed));
        QCOMPARE(fixed, std::int64_t(-1));
        QVERIFY(!ReadFixedPoint4("1e15", '.', fixed));
        // Exact comparisons: the place of the leading digit, then the digits.
        const auto compare = [](const QString& a, const QString& b) {
            DecimalText x, y;
            return ReadDecimal(a, '.', x) && ReadDecimal(b, '.', y) ? CompareDecimals(x, y) : 9;
        };
        QCOMPARE(compare("4111111111111111", "4111111111111112"), -1);
        QCOMPARE(compare("1.5e15", "1500000000000000.0"), 0);
        QCOMPARE(compare("12.5", "12.45"), 1);
        QCOMPARE(compare("-2e15", "-1.5e15"), -1);
        QCOMPARE(compare("0", "-0.0"), 0);
        QCOMPARE(compare("2" + QString(40, '0'), QString(40, '9')), 1);  // approximate
    }

    void cancelInTheMiddle() {
        for (int function = 0; function < 7; ++function) {
            configure(function, 0, 1);
            if (function == 2) Panels.fldData1Select = "";
            if (function == 3) MultiColumn1 = 3;
            if (function == 4) TotalsColumn = 2;
            if (function == 5) ModifyText = "1";
            ScriptedProgress progress(100);
            run();
            QVERIFY2(ResultGrid.rows() == 2 && !ResultFound, qPrintable(QString::number(function)));
            QCOMPARE(texts(), QStringList{"No data matching your query found!"});
            QVERIFY(!progress.visible);
        }
    }
};

QTEST_GUILESS_MAIN(TestFunctions)
#include "tst_functions.moc"
