// The statements the layer executes: what it reads from each, and what it refuses.
#include <QTest>

#include "data/access/StatementParser.h"

Q_DECLARE_METATYPE(ParsedStatement::Kind)

namespace {

// "name:TYPE" per column; TYPE one of T, I, R, or nothing for an untyped column.
QStringList describe(const std::vector<ColumnDefinition>& columns) {
    QStringList out;
    for (const ColumnDefinition& column : columns) {
        const char* type = column.type == ColumnType::Text      ? "T"
                           : column.type == ColumnType::Integer ? "I"
                           : column.type == ColumnType::Real    ? "R"
                                                                : "";
        out << column.name + ":" + type;
    }
    return out;
}

}  // namespace

class TestStatementParser : public QObject {
    Q_OBJECT
private slots:
    void createTable_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("as the program writes it")
            << "CREATE TABLE Result([Name] TEXT ,[Amount] REAL )"
            << "Result" << QStringList{"Name:T", "Amount:R"};
        QTest::newRow("extra columns end in a bare type word")
            << "CREATE TABLE Result([City] TEXT ,[Sales,totals] REAL ,[Records] REAL,"
               "[File number] REAL)"
            << "Result" << QStringList{"City:T", "Sales,totals:R", "Records:R", "File number:R"};
        QTest::newRow("a column without a type word")
            << "CREATE TABLE Result([Price],[Count] INTEGER )"
            << "Result" << QStringList{"Price:", "Count:I"};
        QTest::newRow("blanks, commas, quotes and parentheses in names")
            << "CREATE TABLE Result([ a, b ] TEXT ,[O'Brien \"x\"] TEXT ,[f(x) = y] REAL )"
            << "Result" << QStringList{" a, b :T", "O'Brien \"x\":T", "f(x) = y:R"};
        QTest::newRow("letters of other scripts")
            << QString::fromUtf8("CREATE TABLE Result([Größe] REAL ,[Доход] TEXT ,[名前 😀] TEXT )")
            << "Result"
            << QStringList{QString::fromUtf8("Größe:R"), QString::fromUtf8("Доход:T"),
                           QString::fromUtf8("名前 😀:T")};
        QTest::newRow("a dBase table named after a file with blanks and brackets")
            << "CREATE TABLE Sales (2024) [final]([Region] TEXT )"
            << "Sales (2024) [final]" << QStringList{"Region:T"};
        QTest::newRow("keywords in any case, blanks between the parts")
            << "  create   table  Out ( [a]  text , [b] Integer ,[c]real ) "
            << "Out" << QStringList{"a:T", "b:I", "c:R"};
    }
    void createTable() {
        QFETCH(QString, statement);
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        const ParsedStatement parsed = parseStatement(statement);
        QCOMPARE(parsed.kind, ParsedStatement::Kind::CreateTable);
        QCOMPARE(parsed.table, table);
        QCOMPARE(describe(parsed.columns), columns);
    }

    void insert_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("as the program writes it")
            << "INSERT INTO Result ([Name],[Amount]) VALUES ('Smith','12.5')"
            << "Result" << QStringList{"Name", "Amount"} << QStringList{"Smith", "12.5"};
        QTest::newRow("two quotes stand for one")
            << "INSERT INTO Result ([a],[b]) VALUES ('O''Brien','''quoted''')"
            << "Result" << QStringList{"a", "b"} << QStringList{"O'Brien", "'quoted'"};
        QTest::newRow("empty values and a blank")
            << "INSERT INTO Result ([a],[b],[c]) VALUES ('',' ','')"
            << "Result" << QStringList{"a", "b", "c"} << QStringList{"", " ", ""};
        QTest::newRow("values that look like the statement's own parts")
            << "INSERT INTO Result ([a],[b]) VALUES ('x'',''y','1) VALUES (''2')"
            << "Result" << QStringList{"a", "b"} << QStringList{"x','y", "1) VALUES ('2"};
        QTest::newRow("a value of quotes only")
            << "INSERT INTO Result ([a],[b]) VALUES ('''''',''''"
               ")"
            << "Result" << QStringList{"a", "b"} << QStringList{"''", "'"};
        QTest::newRow("brackets, new lines and other scripts inside values")
            << QString::fromUtf8("INSERT INTO Result ([a],[b]) VALUES ('[x]\nline 2','日本 😀')")
            << "Result" << QStringList{"a", "b"}
            << QStringList{"[x]\nline 2", QString::fromUtf8("日本 😀")};
        QTest::newRow("a table name with blanks and parentheses")
            << "INSERT INTO my table (1) ([a b]) VALUES ('1')"
            << "my table (1)" << QStringList{"a b"} << QStringList{"1"};
        QTest::newRow("keywords in any case, blanks between the parts")
            << "insert into Result( [a] , [b] )values( 'x' , 'y' )"
            << "Result" << QStringList{"a", "b"} << QStringList{"x", "y"};
    }
    void insert() {
        QFETCH(QString, statement);
        QFETCH(QString, table);
        QFETCH(QStringList, names);
        QFETCH(QStringList, values);
        const ParsedStatement parsed = parseStatement(statement);
        QCOMPARE(parsed.kind, ParsedStatement::Kind::Insert);
        QCOMPARE(parsed.table, table);
        QCOMPARE(parsed.insertColumns, names);
        QCOMPARE(parsed.values, values);
    }

    void refused_data() {
        QTest::addColumn<QString>("statement");
        QTest::newRow("empty") << "";
        QTest::newRow("a query") << "SELECT * FROM Result";
        QTest::newRow("another statement") << "DROP TABLE Result";
        QTest::newRow("an unknown type word") << "CREATE TABLE Result([a] VARCHAR(20) )";
        QTest::newRow("two type words") << "CREATE TABLE Result([a] TEXT REAL)";
        QTest::newRow("a name without brackets") << "CREATE TABLE Result(a TEXT )";
        QTest::newRow("a bracket inside a name") << "CREATE TABLE Result([a]b] TEXT )";
        QTest::newRow("an opening bracket inside a name") << "CREATE TABLE Result([a[b] TEXT )";
        QTest::newRow("no columns") << "CREATE TABLE Result()";
        QTest::newRow("no table name") << "CREATE TABLE ([a] TEXT )";
        QTest::newRow("text after the column list") << "CREATE TABLE Result([a] TEXT ) x";
        QTest::newRow("a trailing comma") << "CREATE TABLE Result([a] TEXT ,)";
        QTest::newRow("an unquoted value") << "INSERT INTO Result ([a]) VALUES (1)";
        QTest::newRow("an unterminated value") << "INSERT INTO Result ([a]) VALUES ('x)";
        QTest::newRow("a lone quote inside a value") << "INSERT INTO Result ([a]) VALUES ('a'b')";
        QTest::newRow("more values than names") << "INSERT INTO Result ([a]) VALUES ('1','2')";
        QTest::newRow("more names than values") << "INSERT INTO Result ([a],[b]) VALUES ('1')";
        QTest::newRow("no VALUES") << "INSERT INTO Result ([a]) ('1')";
        QTest::newRow("no table name") << "INSERT INTO ([a]) VALUES ('1')";
        QTest::newRow("a second statement after it")
            << "INSERT INTO Result ([a]) VALUES ('1'); DROP TABLE Result";
    }
    void refused() {
        QFETCH(QString, statement);
        QCOMPARE(parseStatement(statement).kind, ParsedStatement::Kind::Invalid);
    }

    // The values of the INSERTs that follow the first with the same head.
    void valueLists() {
        std::vector<QStringView> values;
        QString unquoted;
        QVERIFY(parseValueList(u" ('a', 'it''s' ,'' , '''', 'x''''y'  ) ", values, unquoted));
        QStringList texts;
        for (const QStringView value : values) texts << value.toString();
        QCOMPARE(texts, (QStringList{"a", "it's", "", "'", "x''y"}));
        QVERIFY(!parseValueList(u"('a'", values, unquoted));
        QVERIFY(!parseValueList(u"('a''", values, unquoted));
        QVERIFY(!parseValueList(u"('a') x", values, unquoted));
        QVERIFY(!parseValueList(u"('a' 'b')", values, unquoted));
    }
};

QTEST_GUILESS_MAIN(TestStatementParser)
#include "tst_statementparser.moc"
