#pragma once

#include <QString>
#include <QStringView>

// The sheet names both workbook writers accept: 1 to 31 characters, no quote at either end, none
// of : \ / ? * [ ] and no control character. Spreadsheet programs refuse a workbook whose sheet
// name breaks these rules, so a writer refuses the name before it writes anything.
namespace SheetNames {

inline constexpr int kMaxLength = 31;

inline bool isUsable(const QString& name) {
    if (name.isEmpty() || name.size() > kMaxLength) return false;
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\''))) return false;
    for (const QChar c : name) {
        if (QStringView(u":\\/?*[]").contains(c) || c.unicode() < 0x20) return false;
    }
    return true;
}

}  // namespace SheetNames
