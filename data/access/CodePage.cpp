#include "data/access/CodePage.h"

#include <algorithm>

#include <QRegularExpression>

namespace CodePage {

QByteArray fromLanguageDriver(std::uint8_t languageDriver) {
    struct Row {
        std::uint8_t driver;
        const char* codePage;
    };
    // The language-driver bytes written by dBase, FoxPro and office suites.
    // clang-format off
    static constexpr Row kRows[] = {
        {0x01, "IBM437"},       {0x02, "IBM850"},       {0x03, "windows-1252"},
        {0x04, "macintosh"},    {0x08, "IBM865"},       {0x09, "IBM437"},
        {0x0A, "IBM850"},       {0x0B, "IBM437"},       {0x0D, "IBM437"},
        {0x0E, "IBM850"},       {0x0F, "IBM437"},       {0x10, "IBM850"},
        {0x11, "IBM437"},       {0x12, "IBM850"},       {0x13, "Shift_JIS"},
        {0x14, "IBM850"},       {0x15, "IBM437"},       {0x16, "IBM850"},
        {0x17, "IBM865"},       {0x18, "IBM437"},       {0x19, "IBM437"},
        {0x1A, "IBM850"},       {0x1B, "IBM437"},       {0x1C, "IBM863"},
        {0x1D, "IBM850"},       {0x1F, "IBM852"},       {0x22, "IBM852"},
        {0x23, "IBM852"},       {0x24, "IBM860"},       {0x25, "IBM850"},
        {0x26, "IBM866"},       {0x37, "IBM850"},       {0x40, "IBM852"},
        {0x4D, "GBK"},          {0x4E, "windows-949"},  {0x4F, "Big5"},
        {0x50, "windows-874"},  {0x57, "windows-1252"}, {0x58, "windows-1252"},
        {0x59, "windows-1252"}, {0x64, "IBM852"},       {0x65, "IBM866"},
        {0x66, "IBM865"},       {0x67, "IBM861"},       {0x6A, "IBM737"},
        {0x6B, "IBM857"},       {0x6C, "IBM863"},       {0x78, "Big5"},
        {0x79, "windows-949"},  {0x7A, "GBK"},          {0x7B, "Shift_JIS"},
        {0x7C, "windows-874"},  {0x7D, "windows-1255"}, {0x7E, "windows-1256"},
        {0x96, "x-mac-cyrillic"}, {0x97, "x-mac-centraleurroman"}, {0x98, "x-mac-greek"},
        {0xC8, "windows-1250"}, {0xC9, "windows-1251"}, {0xCA, "windows-1254"},
        {0xCB, "windows-1253"}, {0xCC, "windows-1257"},
    };
    // clang-format on
    for (const Row& row : kRows) {
        if (row.driver == languageDriver) return QByteArray(row.codePage);
    }
    return {};
}

QByteArray fromCpgText(const QByteArray& content) {
    const QString text = QString::fromLatin1(content).trimmed().toUpper();
    if (text.isEmpty()) return {};
    if (text == QLatin1String("UTF-8") || text == QLatin1String("UTF8") ||
        text == QLatin1String("65001")) {
        return QByteArrayLiteral("UTF-8");
    }
    static const QRegularExpression number(QStringLiteral("(\\d{3,5})"));
    const QRegularExpressionMatch match = number.match(text);
    if (match.hasMatch()) {
        const int page = match.captured(1).toInt();
        if (page >= 1250 && page <= 1258) return "windows-" + QByteArray::number(page);
        if (page >= 28591 && page <= 28605) return "ISO-8859-" + QByteArray::number(page - 28590);
        if (page == 932) return QByteArrayLiteral("Shift_JIS");
        if (page == 936) return QByteArrayLiteral("GBK");
        if (page == 949) return QByteArrayLiteral("windows-949");
        if (page == 950) return QByteArrayLiteral("Big5");
        if (page == 874) return QByteArrayLiteral("windows-874");
        if (page == 8859) {
            static const QRegularExpression iso(QStringLiteral("8859[-_ ]?(\\d{1,2})"));
            const QRegularExpressionMatch part = iso.match(text);
            if (part.hasMatch()) return "ISO-8859-" + part.captured(1).toLatin1();
        }
        if (page >= 437 && page <= 869) return "IBM" + QByteArray::number(page);
    }
    return {};
}

TextDecoder::TextDecoder(const QByteArray& codePage)
    : m_decoder(codePage.isEmpty() ? fallback().constData() : codePage.constData(),
                QStringConverter::Flag::Stateless) {
    if (!m_decoder.isValid()) {
        m_decoder = QStringDecoder(fallback().constData(), QStringConverter::Flag::Stateless);
    }
    if (codePage.isEmpty()) {
        m_utf8 = QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    }
    QByteArray ascii;
    for (char c = 0; c < 0x7F; ++c) ascii += c;
    m_asciiAsIs = m_decoder.decode(ascii) == QString::fromLatin1(ascii) && !m_decoder.hasError();
    m_decoder.resetState();
}

QString TextDecoder::decode(QByteArrayView bytes) {
    if (m_asciiAsIs && std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0; })) {
        return QString::fromLatin1(bytes);
    }
    if (m_utf8.isValid()) {
        m_utf8.resetState();
        QString text = m_utf8.decode(bytes);
        if (!m_utf8.hasError()) return text;
    }
    m_decoder.resetState();
    return m_decoder.decode(bytes);
}

}  // namespace CodePage
