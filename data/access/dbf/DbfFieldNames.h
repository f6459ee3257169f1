#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "data/access/dbf/DbfText.h"

// dBase field names: at most 10 bytes in the table's code page, which shapelib would otherwise
// cut silently, turning two long names into one.
namespace DbfFieldNames {

constexpr int kMaxBytes = 10;

// The part of a column name a field name can hold: blanks become "_", letters (of any script,
// with their accents), digits and "_" are kept, and every other sign is dropped, since dBase
// programs take field names for identifiers. Empty when nothing usable is left; such a column
// cannot be written to a dBase table.
QString usablePart(const QString& name);

// Field names for the columns `names`, in their order, in `encoding`. Each is the usable part
// cut to 10 bytes, on a character boundary. A name that equals an earlier one, ignoring case
// (dBase programs look fields up without regard to case), gets the suffix "_1", or "_2" and so
// on, the first one free, after its usable part cut short to leave room for it:
// "Description1", "Description2" become "Descriptio", "Descript_1". Every name must have a
// usable part.
std::vector<QByteArray> assign(const QStringList& names, DbfEncoding encoding);

}  // namespace DbfFieldNames
