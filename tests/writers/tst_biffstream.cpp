// The workbook stream read record by record, against the rules every reader relies on: record
// sizes, the sheet's position, and shared strings continued across records without splitting a
// header or a character.
#include <QTest>
#include <QtEndian>

#include "data/access/xls/BiffWorkbookWriter.h"

namespace {

constexpr int kMaxData = 8224;

struct Record {
    quint16 id = 0;
    qsizetype position = 0;  // of the record header in the stream
    QByteArray data;
};

quint16 u16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 u32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

// The records of the globals and of the sheet: up to the second EOF.
QList<Record> recordsOf(const QByteArray& stream) {
    QList<Record> records;
    int eofs = 0;
    for (qsizetype at = 0; at + 4 <= stream.size() && eofs < 2;) {
        Record record{u16(stream, at), at, stream.mid(at + 4, u16(stream, at + 2))};
        at += 4 + record.data.size();
        if (record.id == 0x000A) ++eofs;
        records << record;
    }
    return records;
}

// Reads the shared strings the way a strict reader does. Fails the test on any rule broken.
struct SharedStrings {
    QStringList texts;
    QList<qsizetype> headerPositions;  // absolute, per string
    QList<qsizetype> recordStarts;     // the header position of the record each string starts in
    quint32 total = 0;
};

bool readSharedStrings(const QList<Record>& records, SharedStrings& out, QString& error) {
    qsizetype first = -1;
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records[i].id == 0x00FC) first = i;
    }
    if (first < 0) return (error = "no SST"), false;
    QList<const Record*> parts{&records[first]};
    for (qsizetype i = first + 1; i < records.size() && records[i].id == 0x003C; ++i)
        parts << &records[i];

    int part = 0;
    qsizetype at = 8;
    out.total = u32(parts[0]->data, 0);
    const quint32 unique = u32(parts[0]->data, 4);
    const auto left = [&] { return parts[part]->data.size() - at; };
    for (quint32 s = 0; s < unique; ++s) {
        if (left() == 0 && part + 1 < parts.size()) {
            ++part;
            at = 0;  // a string that starts a CONTINUE record has no extra flag byte
        }
        if (left() < 3) return (error = QString("header of string %1 split").arg(s)), false;
        out.headerPositions << parts[part]->position + 4 + at;
        out.recordStarts << parts[part]->position;
        const quint16 count = u16(parts[part]->data, at);
        quint8 flags = static_cast<quint8>(parts[part]->data[at + 2]);
        at += 3;
        if (flags & ~0x01) return (error = "rich or extended string flags"), false;
        QString text;
        while (text.size() < count) {
            const int unit = (flags & 1) ? 2 : 1;
            if (left() < unit) {
                if (left() != 0) return (error = "a character split between records"), false;
                if (++part >= parts.size()) return (error = "strings run past the SST"), false;
                if (!text.isEmpty() && text.back().isHighSurrogate())
                    return (error = QString("surrogate pair of string %1 split").arg(s)), false;
                if (text.isEmpty()) return (error = "header without its first character"), false;
                at = 0;
                flags = static_cast<quint8>(parts[part]->data[at++]);
                if (flags > 1) return (error = "a continuation without its flag byte"), false;
                continue;
            }
            text += unit == 2 ? QChar(u16(parts[part]->data, at))
                              : QChar(static_cast<uchar>(parts[part]->data[at]));
            at += unit;
        }
        out.texts << text;
    }
    if (part != parts.size() - 1 || left() != 0) return (error = "bytes after the strings"), false;
    return true;
}

}  // namespace

class TestBiffStream : public QObject {
    Q_OBJECT
private slots:
    void sharedStringsAcrossRecords_data() {
        QTest::addColumn<QStringList>("texts");
        // The first text leaves `room` bytes in the SST record (8 bytes of counts come first).
        const QString pair = QString::fromUtf8("😀");
        for (int room = 0; room <= 6; ++room) {
            const QString filler(kMaxData - 8 - 3 - room, 'f');
            const QString tag = QString("room %1: ").arg(room);
            QTest::newRow(qPrintable(tag + "Latin-1 text")) << QStringList{filler, "hello", "end"};
            QTest::newRow(qPrintable(tag + "wide text")) << QStringList{filler, "日本語", "end"};
            QTest::newRow(qPrintable(tag + "a surrogate pair first"))
                << QStringList{filler, pair + "x", "end"};
            QTest::newRow(qPrintable(tag + "an empty text")) << QStringList{filler, "", "end"};
            QTest::newRow(qPrintable(tag + "long wide text of pairs"))
                << QStringList{filler, "ab" + pair.repeated(5000), "end"};
        }
        QStringList many;
        for (int i = 0; i < 3000; ++i) many << QString("text %1 ").arg(i).repeated(i % 7 + 1);
        QTest::newRow("thousands of strings") << many;
        QTest::newRow("one text of 65,535 wide characters")
            << QStringList{QString(65535, QChar(0x4E00))};
    }
    void sharedStringsAcrossRecords() {
        QFETCH(QStringList, texts);
        BiffWorkbookWriter workbook("Result");
        for (int i = 0; i < texts.size(); ++i) workbook.addText(i, 0, texts[i]);
        workbook.addText(texts.size(), 0, texts.value(0));  // used twice, stored once
        const QByteArray stream = workbook.workbookStream();
        QVERIFY(stream.size() >= 4096);
        const QList<Record> records = recordsOf(stream);

        for (const Record& record : records) QVERIFY(record.data.size() <= kMaxData);

        SharedStrings strings;
        QString error;
        QVERIFY2(readSharedStrings(records, strings, error), qPrintable(error));
        QCOMPARE(strings.texts, texts);
        QCOMPARE(strings.total, quint32(texts.size() + 1));

        // EXTSST: one bucket for every dsst strings, pointing at the first string's header.
        const auto extsst = std::find_if(records.begin(), records.end(),
                                         [](const Record& r) { return r.id == 0x00FF; });
        QVERIFY(extsst != records.end());
        const quint16 perBucket = u16(extsst->data, 0);
        QVERIFY(perBucket >= 8);
        const qsizetype buckets = (texts.size() + perBucket - 1) / perBucket;
        QCOMPARE(extsst->data.size(), 2 + 8 * buckets);
        QVERIFY(buckets <= 128);
        for (qsizetype b = 0; b < buckets; ++b) {
            const qsizetype s = b * perBucket;
            QCOMPARE(qsizetype(u32(extsst->data, 2 + 8 * b)), strings.headerPositions[s]);
            QCOMPARE(qsizetype(u16(extsst->data, 6 + 8 * b)),
                     strings.headerPositions[s] - strings.recordStarts[s]);
        }
    }

    void layoutOfTheStream() {
        BiffWorkbookWriter workbook("Result");
        workbook.addText(0, 0, u"Name");
        workbook.addText(0, 3, u"Amount");
        workbook.addNumber(1, 3, 12.5);
        workbook.addText(2, 0, u"x");
        const QList<Record> records = recordsOf(workbook.workbookStream());

        QList<quint16> ids;
        for (const Record& record : records) ids << record.id;
        QList<quint16> expected{0x0809, 0x0042, 0x003D, 0x0031, 0x0031, 0x0031, 0x0031};
        for (int i = 0; i < 17; ++i) expected << 0x00E0;
        expected << 0x0293 << 0x0085 << 0x00FC << 0x00FF << 0x000A;
        expected << 0x0809 << 0x0200 << 0x00FD << 0x00FD << 0x0203 << 0x00FD << 0x023E << 0x000A;
        QCOMPARE(ids, expected);

        QCOMPARE(u16(records[0].data, 2), quint16(0x0005));  // workbook globals
        QCOMPARE(u16(records[1].data, 0), quint16(1200));    // UTF-16 code page
        const Record& boundSheet = records[25];
        const Record& sheetBof = records[29];
        QCOMPARE(u16(sheetBof.data, 2), quint16(0x0010));  // worksheet
        QCOMPARE(qsizetype(u32(boundSheet.data, 0)), sheetBof.position);
        QCOMPARE(boundSheet.data.mid(6), QByteArray("\x06\x00Result", 8));
        // The style XFs, then the one cell XF that every cell uses.
        for (int i = 7; i < 23; ++i) QCOMPARE(u16(records[i].data, 4) & 0x0004, 0x0004);
        QCOMPARE(u16(records[23].data, 4) & 0x0004, 0);
        QCOMPARE(u16(records[33].data, 4), quint16(16));
        const Record& dimensions = records[30];
        QCOMPARE(u32(dimensions.data, 0), 0u);
        QCOMPARE(u32(dimensions.data, 4), 3u);           // last row + 1
        QCOMPARE(u16(dimensions.data, 10), quint16(4));  // last column + 1
        double value = 0;
        const quint64 bits = qFromLittleEndian<quint64>(records[33].data.constData() + 6);
        std::memcpy(&value, &bits, sizeof value);
        QCOMPARE(value, 12.5);
    }
};

QTEST_GUILESS_MAIN(TestBiffStream)
#include "tst_biffstream.moc"
