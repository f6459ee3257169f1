#pragma once

#include <QByteArray>
#include <QString>

// The workbook stream of an .xls file. Excel 5 and later keep it in a compound file (stream
// "Workbook" for Excel 97 and later, "Book" before); Excel 2 to 4 worksheets are the stream
// itself, stored as a plain file.
struct WorkbookStream {
    enum class Source { Workbook, Book, PlainFile };
    QByteArray bytes;
    Source source = Source::PlainFile;
};

namespace CompoundFile {

// Whether `head` starts like a compound file.
bool hasSignature(const QByteArray& head);

// Reads the workbook stream from a file or from the bytes of one. Returns 0, -5005 for a
// compound file that holds only an encrypted package, or -5015 for anything that is neither a
// readable compound file with a workbook stream nor a plain BIFF stream.
int readFromFile(const QString& path, WorkbookStream& out);
int readFromBytes(const QByteArray& bytes, WorkbookStream& out);

}  // namespace CompoundFile
