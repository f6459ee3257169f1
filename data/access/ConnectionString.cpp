#include "data/access/ConnectionString.h"

namespace {

const QString kExcelReadHead = QStringLiteral(
    "Provider=MSDASQL.1;Persist Security Info=False;Mode=Read;Extended Properties=\"DBQ=");
const QString kExcelReadWriteHead = QStringLiteral(
    "Provider=MSDASQL.1;Persist Security Info=False;Mode=ReadWrite;Extended Properties=\"DBQ=");
const QString kExcelSourceMiddle = QStringLiteral(
    ";Driver={Microsoft Excel Driver (*.xls)};DriverId=790;MaxBufferSize=2048;PageTimeout=5;\";"
    "Initial Catalog=");
const QString kSourceTail = QStringLiteral(";");

const QString kDbaseReadHead = QStringLiteral(
    "Provider=MSDASQL.1;Persist Security Info=False;Mode=Read;Extended Properties=\"DRIVER={"
    "MICROSOFT DBASE DRIVER (*.DBF)};DBQ=");
const QString kDbaseReadWriteHead = QStringLiteral(
    "Provider=MSDASQL.1;Persist Security Info=False;Mode=ReadWrite;Extended Properties=\"DRIVER={"
    "MICROSOFT DBASE DRIVER (*.DBF)};DBQ=");
const QString kDbaseSourceTail = QStringLiteral("\";");

const QString kExcelCreateHead = QStringLiteral(
    "Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"DRIVER={MICROSOFT "
    "EXCEL DRIVER (*.XLS)};DSN=';READONLY=FALSE;CREATE_DB=");
const QString kExcelCreateMiddle = QStringLiteral(";DBQ=");
const QString kCreateTail = QStringLiteral("\";");
const QString kDbaseCreateHead = QStringLiteral(
    "Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"DRIVER={MICROSOFT "
    "DBASE DRIVER (*.DBF)};DSN=';READONLY=FALSE;CREATE_DB=");

// head + P + middle + P + tail: the length of P follows from the total length, so a path that
// itself holds the middle text is still found; both copies must agree.
bool splitDoublePath(const QString& text, const QString& head, const QString& middle,
                     const QString& tail, QString& path) {
    if (!text.startsWith(head) || !text.endsWith(tail)) return false;
    const qsizetype fixed = head.size() + middle.size() + tail.size();
    const qsizetype twice = text.size() - fixed;
    if (twice < 2 || twice % 2 != 0) return false;
    const qsizetype length = twice / 2;
    const QString first = text.mid(head.size(), length);
    if (text.mid(head.size() + length, middle.size()) != middle) return false;
    const QString second = text.mid(head.size() + length + middle.size(), length);
    if (first != second) return false;
    path = first;
    return true;
}

bool splitSinglePath(const QString& text, const QString& head, const QString& tail, QString& path) {
    if (!text.startsWith(head) || !text.endsWith(tail)) return false;
    const qsizetype length = text.size() - head.size() - tail.size();
    if (length < 1) return false;
    path = text.mid(head.size(), length);
    return true;
}

}  // namespace

QString excelSourceConnectionString(const QString& path, bool readWrite) {
    return (readWrite ? kExcelReadWriteHead : kExcelReadHead) + path + kExcelSourceMiddle + path +
           kSourceTail;
}

QString dbaseSourceConnectionString(const QString& path, bool readWrite) {
    return (readWrite ? kDbaseReadWriteHead : kDbaseReadHead) + path + kDbaseSourceTail;
}

QString excelCreateConnectionString(const QString& fullFileName) {
    return kExcelCreateHead + fullFileName + kExcelCreateMiddle + fullFileName + kCreateTail;
}

QString dbaseCreateConnectionString(const QString& folder) {
    return kDbaseCreateHead + folder + kCreateTail;
}

ConnectionTarget parseConnectionString(const QString& text) {
    ConnectionTarget target;
    QString path;
    if (splitDoublePath(text, kExcelReadHead, kExcelSourceMiddle, kSourceTail, path)) {
        target = {ConnectionKind::ExcelRead, path};
    } else if (splitDoublePath(text, kExcelReadWriteHead, kExcelSourceMiddle, kSourceTail, path)) {
        target = {ConnectionKind::ExcelReadWrite, path};
    } else if (splitDoublePath(text, kExcelCreateHead, kExcelCreateMiddle, kCreateTail, path)) {
        target = {ConnectionKind::ExcelCreate, path};
    } else if (splitSinglePath(text, kDbaseReadHead, kDbaseSourceTail, path)) {
        target = {ConnectionKind::DbaseRead, path};
    } else if (splitSinglePath(text, kDbaseReadWriteHead, kDbaseSourceTail, path)) {
        target = {ConnectionKind::DbaseReadWrite, path};
    } else if (splitSinglePath(text, kDbaseCreateHead, kCreateTail, path)) {
        target = {ConnectionKind::DbaseCreate, path};
    }
    return target;
}
