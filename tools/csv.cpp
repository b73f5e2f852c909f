#include "csv.h"

namespace Csv {

bool isValidUtf8(const QByteArray &data, int *badLine)
{
    int line = 1;
    const int n = data.size();
    for (int i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c == '\n' || (c == '\r' && (i + 1 >= n || data[i + 1] != '\n')))
            ++line;
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
            min = 0x10000;
        } else {
            if (badLine)
                *badLine = line;
            return false;
        }
        if (i + extra >= n) {
            if (badLine)
                *badLine = line;
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(data[i + k]);
            if ((cc & 0xC0) != 0x80) {
                if (badLine)
                    *badLine = line;
                return false;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            if (badLine)
                *badLine = line;
            return false;
        }
        i += extra + 1;
    }
    return true;
}

Reader::Reader(const QByteArray &data)
{
    int badLine = 0;
    if (!isValidUtf8(data, &badLine)) {
        fail(badLine, QStringLiteral("the file is not valid UTF-8"));
        return;
    }
    m_text = QString::fromUtf8(data);
    if (m_text.startsWith(QChar(0xFEFF)))
        m_pos = 1;
}

bool Reader::fail(int line, const QString &reason)
{
    m_error = reason;
    m_errorLine = line;
    m_done = true;
    return false;
}

bool Reader::next(Record *record)
{
    if (m_done || m_pos >= m_text.size()) {
        m_done = true;
        return false;
    }
    const int n = m_text.size();
    const QChar quote(QLatin1Char('"'));
    const QChar comma(QLatin1Char(','));
    const QChar cr(QLatin1Char('\r'));
    const QChar lf(QLatin1Char('\n'));

    Record rec;
    rec.line = m_line;

    // Consumes a line break at m_pos, if any; CRLF counts as one.
    auto lineBreak = [&]() {
        if (m_text[m_pos] == cr) {
            ++m_pos;
            if (m_pos < n && m_text[m_pos] == lf)
                ++m_pos;
            ++m_line;
            return true;
        }
        if (m_text[m_pos] == lf) {
            ++m_pos;
            ++m_line;
            return true;
        }
        return false;
    };

    for (;;) {
        QString field;
        bool quoted = false;
        if (m_pos < n && m_text[m_pos] == quote) {
            quoted = true;
            ++m_pos;
            for (;;) {
                if (m_pos >= n)
                    return fail(rec.line, QStringLiteral("a quoted field is not closed"));
                const QChar c = m_text[m_pos];
                if (c == quote) {
                    if (m_pos + 1 < n && m_text[m_pos + 1] == quote) {
                        field += quote;
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                if (c == lf || (c == cr && !(m_pos + 1 < n && m_text[m_pos + 1] == lf)))
                    ++m_line;
                field += c;
                ++m_pos;
            }
            if (m_pos < n && m_text[m_pos] != comma && m_text[m_pos] != cr && m_text[m_pos] != lf)
                return fail(rec.line,
                            QStringLiteral("unexpected text after the closing quote of field %1")
                                .arg(rec.fields.size() + 1));
        } else {
            const int start = m_pos;
            while (m_pos < n && m_text[m_pos] != comma && m_text[m_pos] != cr &&
                   m_text[m_pos] != lf) {
                if (m_text[m_pos] == quote)
                    return fail(rec.line, QStringLiteral("a quote inside unquoted field %1")
                                              .arg(rec.fields.size() + 1));
                ++m_pos;
            }
            field = m_text.mid(start, m_pos - start);
        }
        rec.fields.append(field);
        rec.quoted.append(quoted);

        if (m_pos >= n)
            break;
        if (m_text[m_pos] == comma) {
            ++m_pos;
            continue;
        }
        lineBreak();
        break;
    }
    *record = rec;
    return true;
}

QByteArray formatRecord(const QStringList &fields)
{
    QString line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        const QString &f = fields[i];
        if (f.isNull())
            continue;
        const bool quote = f.isEmpty() || f.contains(QLatin1Char(',')) ||
                           f.contains(QLatin1Char('"')) || f.contains(QLatin1Char('\n')) ||
                           f.contains(QLatin1Char('\r')) || f.front().isSpace() ||
                           f.back().isSpace();
        if (!quote) {
            line += f;
            continue;
        }
        QString escaped = f;
        escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        line += QLatin1Char('"') + escaped + QLatin1Char('"');
    }
    line += QStringLiteral("\r\n");
    return line.toUtf8();
}

} // namespace Csv
