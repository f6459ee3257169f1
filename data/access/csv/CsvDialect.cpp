#include "data/access/csv/CsvDialect.h"

#include <uchardet.h>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <vector>

namespace CsvDialect {

namespace {

constexpr qsizetype kSampleBytes = 64 * 1024;
constexpr std::array<char16_t, 4> kCandidates = {u',', u';', u'\t', u'|'};

bool isValidUtf8(const QByteArray& bytes) {
    // In pieces, so that the check costs no copy of the whole file.
    constexpr qsizetype kPiece = 1 << 20;
    QStringDecoder utf8(QStringDecoder::Utf8);
    for (qsizetype at = 0; at < bytes.size() && !utf8.hasError(); at += kPiece) {
        const QString piece =
            utf8.decode(QByteArrayView(bytes).sliced(at, std::min(kPiece, bytes.size() - at)));
    }
    return !utf8.hasError();
}

QByteArray detectorGuess(const QByteArray& bytes) {
    uchardet_t detector = uchardet_new();
    QByteArray found;
    if (uchardet_handle_data(detector, bytes.constData(),
                             static_cast<size_t>(std::min(bytes.size(), kSampleBytes * 4))) == 0) {
        uchardet_data_end(detector);
        found = uchardet_get_charset(detector);
    }
    uchardet_delete(detector);
    // The detector names ASCII when it saw nothing else; a decoder it names must exist here.
    if (found.isEmpty() || found == "ASCII" || !QStringDecoder(found.constData()).isValid()) {
        return {};
    }
    return found;
}

// The fields each of the sample's lines splits into by `delimiter`, quoted parts skipped.
std::vector<int> fieldCounts(QStringView sample, QChar delimiter) {
    std::vector<int> counts;
    int fields = 1;
    bool quoted = false, lineHasContent = false;
    for (qsizetype i = 0; i < sample.size(); ++i) {
        const QChar c = sample[i];
        if (c == u'"') {
            quoted = !quoted;
            lineHasContent = true;
        } else if (quoted) {
            continue;
        } else if (c == delimiter) {
            ++fields;
            lineHasContent = true;
        } else if (c == u'\n' || c == u'\r') {
            if (lineHasContent) counts.push_back(fields);
            fields = 1;
            lineHasContent = false;
        } else {
            lineHasContent = true;
        }
    }
    // The sample's last line may be cut short: it counts only when it is the whole file's.
    if (lineHasContent && counts.empty()) counts.push_back(fields);
    return counts;
}

// How well `delimiter` splits the sample: the lines splitting like the first line, times the
// fields of that line; 0 when it splits no line.
long long score(QStringView sample, QChar delimiter) {
    const std::vector<int> counts = fieldCounts(sample, delimiter);
    if (counts.empty() || counts.front() < 2) return 0;
    const long long same = std::count(counts.begin(), counts.end(), counts.front());
    return same * 1000 / static_cast<long long>(counts.size()) * counts.front();
}

}  // namespace

QByteArray detectEncoding(const QByteArray& bytes, int& bomLength) {
    bomLength = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bomLength = 3;
        return QByteArrayLiteral("UTF-8");
    }
    if (bytes.startsWith("\xFF\xFE")) {
        bomLength = 2;
        return QByteArrayLiteral("UTF-16LE");
    }
    if (bytes.startsWith("\xFE\xFF")) {
        bomLength = 2;
        return QByteArrayLiteral("UTF-16BE");
    }
    if (isValidUtf8(bytes)) return QByteArrayLiteral("UTF-8");
    const QByteArray guess = detectorGuess(bytes);
    // Latin-1 is what Windows writes as cp1252, whose letters in 0x80..0x9F (the euro sign)
    // Latin-1 has as control characters.
    if (guess.isEmpty() || guess.toUpper() == "ISO-8859-1")
        return QByteArrayLiteral("windows-1252");
    return guess;
}

QChar detectDelimiter(QStringView text, bool tabFile) {
    const QStringView sample = text.left(kSampleBytes);
    QChar best = tabFile ? QChar(u'\t') : QChar(u',');
    long long bestScore = 0;
    for (const char16_t candidate : kCandidates) {
        const long long s = score(sample, QChar(candidate));
        if (s > bestScore) {
            bestScore = s;
            best = QChar(candidate);
        }
    }
    // A .tsv file is TAB-delimited unless its lines hold no TAB and another delimiter splits
    // them.
    if (tabFile && sample.contains(u'\t')) return QChar(u'\t');
    return best;
}

bool parseDelimiterName(const QString& name, QChar& delimiter) {
    const QString lower = name.toLower();
    if (lower == QLatin1String("tab") || lower == QLatin1String("\\t")) {
        delimiter = QChar(u'\t');
        return true;
    }
    // The rows are split as UTF-8 bytes: the delimiter is one printable ASCII character.
    if (name.size() != 1 || name[0].unicode() < 0x20 || name[0].unicode() > 0x7E ||
        name[0] == u'"') {
        return false;
    }
    delimiter = name[0];
    return true;
}

QString delimiterName(QChar delimiter) {
    switch (delimiter.unicode()) {
        case u',':
            return QStringLiteral("comma");
        case u';':
            return QStringLiteral("semicolon");
        case u'\t':
            return QStringLiteral("tab");
        case u'|':
            return QStringLiteral("pipe");
        default:
            return QString(delimiter);
    }
}

}  // namespace CsvDialect
