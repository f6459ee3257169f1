// The statements the Save command composes, and that the layer reads them back as sent.
#include <QTest>

#include "data/ResultSaving.h"
#include "data/ResultStatements.h"
#include "data/access/StatementParser.h"
#include "processing/uGridProcessor.h"

namespace {

ResultLayout::Field field(const QString& name, std::uint8_t code) {
    return {name, static_cast<FieldType>(code)};
}

// The columns Save writes for a result in the plain layout drawn from `fields`.
SavedColumns plainColumns(std::vector<ResultLayout::Field> fields, ResultFileType type,
                          bool fileNumberColumn) {
    ResultLayout layout;
    layout.valid = true;
    layout.fields = std::move(fields);
    layout.fileNumberColumn = fileNumberColumn;
    return composeSavedColumns(layout, type);
}

}  // namespace

class TestResultStatements : public QObject {
    Q_OBJECT
private slots:
    void typeWords_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("word");
        QTest::newRow("text") << 1 << " TEXT ";
        QTest::newRow("integer") << 3 << " INTEGER ";
        QTest::newRow("boolean") << 5 << " TEXT ";
        QTest::newRow("float") << 6 << " REAL ";
        QTest::newRow("date") << 9 << " TEXT ";
        QTest::newRow("date-time") << 11 << " TEXT ";
        QTest::newRow("memo") << 16 << " TEXT ";
        QTest::newRow("currency has none") << 7 << "";
        QTest::newRow("byte array has none") << 12 << "";
        QTest::newRow("unknown") << 0 << "";
    }
    void typeWords() {
        QFETCH(int, code);
        QFETCH(QString, word);
        QCOMPARE(ColumnTypeWord(static_cast<FieldType>(code)), word);
    }

    void aSheetOfNamesAndAmounts() {
        const SavedColumns columns =
            plainColumns({field("Name", 1), field("Amount", 6)}, ResultFileType::Excel, false);
        QCOMPARE(composeCreateTable("Result", columns.definitions),
                 QString("CREATE TABLE Result([Name] TEXT ,[Amount] REAL )"));
        QCOMPARE(composeInsert("Result", columns.insertNames,
                               {ResultValue("Smith"), ResultValue("12.5")}),
                 QString("INSERT INTO Result ([Name],[Amount]) VALUES ('Smith','12.5')"));
    }

    void values_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("value");
        QTest::newRow("a quote is doubled, so the file holds it") << "O'Brien"
                                                                  << "'O''Brien'";
        QTest::newRow("an empty cell is an empty value") << ""
                                                         << "''";
        QTest::newRow("a number as the grid shows it") << "12,5"
                                                       << "'12,5'";
    }
    void values() {
        QFETCH(QString, cell);
        QFETCH(QString, value);
        QCOMPARE(ResultValue(cell), value);
    }

    void dbaseNamesAndTheFileNumberColumn() {
        const SavedColumns columns =
            plainColumns({field("First name", 1), field("Born on", 9), field("Price", 7)},
                         ResultFileType::Dbase, true);
        QCOMPARE(ResultTableName("/home/ann/My results.dbf", ResultFileType::Dbase),
                 QString("My results"));
        QCOMPARE(ResultTableName("/home/ann/My results.xls", ResultFileType::Excel),
                 QString("Result"));
        QCOMPARE(composeCreateTable("My results", columns.definitions),
                 QString("CREATE TABLE My results([First_name] TEXT ,[Born_on] TEXT ,[Price],"
                         "[File number] REAL)"));
        QCOMPARE(columns.insertNames,
                 (QStringList{"[First_name]", "[Born_on]", "[Price]", "[File number]"}));
        QCOMPARE(columns.kinds, (std::vector<int>{2, 2, 2, 1}));
    }

    // What the program composes is what the layer reads: names and values come back intact.
    void composedStatementsReadBack_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("cell");
        QTest::newRow("commas and parentheses") << "a, (b)"
                                                << "1, 2) VALUES ('3";
        QTest::newRow("quotes") << "O'Brien \"x\""
                                << "It's '' here";
        QTest::newRow("other scripts") << "Größe 名前"
                                       << "Доход 😀";
        QTest::newRow("blanks around") << "  name  "
                                       << "  value  ";
    }
    void composedStatementsReadBack() {
        QFETCH(QString, name);
        QFETCH(QString, cell);
        const SavedColumns columns =
            plainColumns({field(name, 1), field("n", 3)}, ResultFileType::Excel, false);
        const ParsedStatement create =
            parseStatement(composeCreateTable("Result", columns.definitions));
        QCOMPARE(create.kind, ParsedStatement::Kind::CreateTable);
        QCOMPARE(create.columns.size(), std::size_t(2));
        QCOMPARE(create.columns[0].name, name);
        QCOMPARE(create.columns[0].type, ColumnType::Text);
        QCOMPARE(create.columns[1].type, ColumnType::Integer);
        const ParsedStatement insert = parseStatement(
            composeInsert("Result", columns.insertNames, {ResultValue(cell), ResultValue("")}));
        QCOMPARE(insert.kind, ParsedStatement::Kind::Insert);
        QCOMPARE(insert.insertColumns, (QStringList{name, "n"}));
        QCOMPARE(insert.values, (QStringList{cell, ""}));
    }
};

QTEST_GUILESS_MAIN(TestResultStatements)
#include "tst_resultstatements.moc"
