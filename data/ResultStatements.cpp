#include "data/ResultStatements.h"

#include "data/FilePaths.h"
#include "data/access/FieldType.h"

QString ColumnTypeWord(FieldType type) {
    switch (type) {
        case FieldType::String:
        case FieldType::Boolean:
        case FieldType::Date:
        case FieldType::DateTime:
        case FieldType::Memo:
            return QStringLiteral(" TEXT ");
        case FieldType::Integer:
            return QStringLiteral(" INTEGER ");
        case FieldType::Float:
            return QStringLiteral(" REAL ");
    }
    return {};
}

QString ColumnTypeWord(FieldType type, ResultFileType fileType) {
    if (fileType == ResultFileType::Csv && type == FieldType::Date) return QStringLiteral(" DATE ");
    if (fileType == ResultFileType::Csv && type == FieldType::DateTime)
        return QStringLiteral(" DATETIME ");
    return ColumnTypeWord(type);
}

QString ResultTableName(const QString& fileName, ResultFileType type) {
    return type == ResultFileType::Dbase ? TableNameOf(fileName) : QStringLiteral("Result");
}

QString ResultColumnName(const QString& name, ResultFileType type) {
    QString inner = name;
    if (type == ResultFileType::Dbase) inner.replace(QLatin1Char(' '), QLatin1Char('_'));
    return QLatin1Char('[') + inner + QLatin1Char(']');
}

QString composeCreateTable(const QString& tableName, const QStringList& definitions) {
    return QStringLiteral("CREATE TABLE ") + tableName + QLatin1Char('(') +
           definitions.join(QLatin1Char(',')) + QLatin1Char(')');
}

void AppendResultValue(QString& statement, const QString& cellText) {
    statement += QLatin1Char('\'');
    // Texts are mostly short and hold no quote: one plain pass finds out.
    const QChar* data = cellText.constData();  // utf16() would copy a text made from raw data
    qsizetype from = 0;
    for (qsizetype i = 0; i < cellText.size(); ++i) {
        if (data[i] != QLatin1Char('\'')) continue;
        statement += QStringView(cellText).mid(from, i + 1 - from);
        statement += QLatin1Char('\'');  // a quote inside the value is written twice
        from = i + 1;
    }
    statement += QStringView(cellText).mid(from);
    statement += QLatin1Char('\'');
}

QString ResultValue(const QString& cellText) {
    QString value;
    value.reserve(cellText.size() + 2);
    AppendResultValue(value, cellText);
    return value;
}

QString composeInsertHead(const QString& tableName, const QStringList& insertNames) {
    return QStringLiteral("INSERT INTO ") + tableName + QStringLiteral(" (") +
           insertNames.join(QLatin1Char(',')) + QStringLiteral(") VALUES (");
}

QString composeInsert(const QString& tableName, const QStringList& insertNames,
                      const QStringList& values) {
    return composeInsertHead(tableName, insertNames) + values.join(QLatin1Char(',')) +
           QLatin1Char(')');
}
