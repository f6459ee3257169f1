#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>
#include <vector>

#include "processing/DecimalNumber.h"

struct clField;
struct clResult;

// One condition of Filter or Multi-Filter: an operator code (0 "Equal To" .. 6 "Contains") and
// the operand as typed. Texts compare after lower-casing in the user's locale; the ordering
// operators compare numbers in ten-thousandths (or, where a number is too large for that, by its
// exact value) and never hold for an empty cell or operand.
class ConditionMatcher {
public:
    ConditionMatcher(int operatorCode, const QString& operand, const QString& columnName);
    // Throws RunError when an ordering operator meets a text that is not a number.
    bool matches(const QString& cell) const;

private:
    struct Number {
        DecimalText value;
        bool fixed = false;  // it fits in ten-thousandths
        std::int64_t tenThousandths = 0;
    };
    Number number(const QString& text) const;

    QLocale m_locale;  // the user's, for lower-casing
    QChar m_separator;
    int m_operator;
    QString m_operand;
    // The operand as a number, read at the first comparison that needs it.
    mutable Number m_operandNumber;
    mutable bool m_operandRead = false;
    QString m_loweredOperand;
    QString m_columnName;
};

// The same for every row of one column: each distinct text of the sheet is tested once.
class ColumnMatcher {
public:
    ColumnMatcher(const clResult& contents, const clField& column, ConditionMatcher matcher);
    bool matches(std::int32_t row);

private:
    const clResult& m_contents;
    const clField& m_column;
    ConditionMatcher m_matcher;
    std::vector<signed char> m_byId;  // -1 not tested yet
};

// Condition 0 or 1 of the Filter panel (or of the Multi-Filter panel) on one cell of `column`.
bool MatchFilterCondition(const clField& column, std::int32_t row, int which);
bool MatchMultiFilterCondition(const clField& column, std::int32_t row, int which);
