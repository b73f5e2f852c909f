#include "dictio/csv.h"

#include <QBuffer>

namespace Csv {

bool isValidUtf8(const QByteArray &data, int *badLine, int *validLength)
{
    int line = 1;
    const int n = data.size();
    for (int i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(data[i]);
        const auto bad = [&]() {
            if (badLine)
                *badLine = line;
            if (validLength)
                *validLength = i;
            return false;
        };
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
            return bad();
        }
        if (i + extra >= n)
            return bad();
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(data[i + k]);
            if ((cc & 0xC0) != 0x80)
                return bad();
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return bad();
        i += extra + 1;
    }
    if (validLength)
        *validLength = n;
    return true;
}

namespace {

constexpr int ChunkSize = 64 * 1024;
const QChar Quote(QLatin1Char('"'));
const QChar Comma(QLatin1Char(','));
const QChar Cr(QLatin1Char('\r'));
const QChar Lf(QLatin1Char('\n'));

// The bytes that can be decoded now: all but an incomplete character at the end, and a CR
// at the end (whose LF may come with the next part).
int decodablePrefix(const QByteArray &bytes)
{
    int end = bytes.size();
    for (int back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for the lead
        const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (length > back)
            end = bytes.size() - back;
        break;
    }
    if (end > 0 && bytes[end - 1] == '\r')
        --end;
    return end;
}

int lineBreaks(const QByteArray &bytes)
{
    int n = 0;
    for (int i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' ||
            (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++n;
    }
    return n;
}

} // namespace

Reader::Reader(QIODevice *device) : m_device(device) {}

Reader::Reader(const QByteArray &data) : m_buffer(std::make_unique<QBuffer>())
{
    m_buffer->setData(data);
    m_buffer->open(QIODevice::ReadOnly);
    m_device = m_buffer.get();
}

Reader::~Reader() = default;

bool Reader::fail(int line, const QString &reason)
{
    if (m_error.isEmpty()) { // the first fault is the one to tell
        m_error = reason;
        m_errorLine = line;
    }
    m_done = true;
    return false;
}

bool Reader::readMore()
{
    if (m_badLine) // the text read reaches the encoding fault
        return fail(m_badLine, QStringLiteral("el archivo no está en UTF-8 válido"));
    if (m_end || m_done)
        return false;
    QByteArray chunk(ChunkSize, Qt::Uninitialized);
    const qint64 n = m_device->read(chunk.data(), ChunkSize);
    if (n < 0)
        return fail(m_byteLine, QStringLiteral("no se puede leer el archivo"));
    chunk.truncate(int(n));
    m_end = n == 0;
    m_pending += chunk;
    const int take = m_end ? m_pending.size() : decodablePrefix(m_pending);
    const QByteArray bytes = m_pending.left(take);
    m_pending.remove(0, take);
    return decode(bytes) || !m_end;
}

bool Reader::decode(const QByteArray &bytes)
{
    // Text up to an encoding fault is read as any other, so that the records before it and
    // an earlier fault come first, wherever the parts of the file begin and end.
    int badLine = 0;
    int validLength = 0;
    if (!isValidUtf8(bytes, &badLine, &validLength))
        m_badLine = m_byteLine + badLine - 1;
    const QByteArray valid = bytes.left(validLength);
    m_byteLine += lineBreaks(valid);
    // Qt drops a byte order mark at the start of what it decodes: it is put back, so that
    // only the file's first one is skipped (below), wherever the parts begin.
    if (valid.startsWith("\xEF\xBB\xBF"))
        m_text += QChar(0xFEFF);
    m_text += QString::fromUtf8(valid.constData(), valid.size()); // through any NUL, in Qt 5 too
    if (!m_started && !m_text.isEmpty()) {
        m_started = true;
        if (m_text.startsWith(QChar(0xFEFF)))
            m_pos = 1;
    }
    return !valid.isEmpty();
}

bool Reader::ensure(int ahead)
{
    while (m_pos + ahead >= m_text.size()) {
        if (!readMore())
            return false;
    }
    return true;
}

// Counts the line breaks of the text between two positions; a CR is never the last
// character of the text unless the data ends there.
void Reader::countLines(int from, int to)
{
    for (int i = from; i < to; ++i) {
        const QChar c = m_text.at(i);
        if (c == Lf || (c == Cr && (i + 1 >= m_text.size() || m_text.at(i + 1) != Lf)))
            ++m_line;
    }
}

void Reader::lineBreak()
{
    if (m_text.at(m_pos) == Cr) {
        ++m_pos;
        if (ensure(0) && m_text.at(m_pos) == Lf)
            ++m_pos;
    } else {
        ++m_pos;
    }
    ++m_line;
}

bool Reader::readQuoted(const Record &record, QString *field)
{
    ++m_pos; // the opening quote
    for (;;) {
        if (!ensure(0))
            return fail(record.line, QStringLiteral("falta la comilla que cierra un campo"));
        const int quote = m_text.indexOf(Quote, m_pos);
        const int end = quote < 0 ? m_text.size() : quote;
        countLines(m_pos, end);
        field->append(m_text.constData() + m_pos, end - m_pos);
        m_pos = end;
        if (quote < 0)
            continue;
        if (ensure(1) && m_text.at(m_pos + 1) == Quote) { // a doubled quote
            field->append(Quote);
            m_pos += 2;
            continue;
        }
        ++m_pos;
        break;
    }
    if (ensure(0) && m_text.at(m_pos) != Comma && m_text.at(m_pos) != Cr && m_text.at(m_pos) != Lf)
        return fail(record.line, QStringLiteral("hay texto tras la comilla que cierra el campo %1")
                                     .arg(record.fields.size() + 1));
    return true;
}

bool Reader::readBare(const Record &record, QString *field)
{
    const int start = m_pos;
    while (ensure(0)) {
        const QChar c = m_text.at(m_pos);
        if (c == Comma || c == Cr || c == Lf)
            break;
        if (c == Quote)
            return fail(record.line,
                        QStringLiteral("hay una comilla dentro del campo %1, que no va entre "
                                       "comillas")
                            .arg(record.fields.size() + 1));
        ++m_pos;
    }
    *field = m_text.mid(start, m_pos - start);
    return true;
}

bool Reader::readField(const Record &record, QString *field, bool *quoted)
{
    *quoted = ensure(0) && m_text.at(m_pos) == Quote;
    return *quoted ? readQuoted(record, field) : readBare(record, field);
}

bool Reader::next(Record *record)
{
    if (m_pos > ChunkSize) { // drop what was read, now and then
        m_text.remove(0, m_pos);
        m_pos = 0;
    }
    if (m_done || !ensure(0)) {
        m_done = true;
        return false;
    }
    Record rec;
    rec.line = m_line;
    for (;;) {
        QString field;
        bool quoted = false;
        if (!readField(rec, &field, &quoted))
            return false;
        rec.fields.append(field);
        rec.quoted.append(quoted);
        if (!ensure(0))
            break;
        if (m_text.at(m_pos) == Comma) {
            ++m_pos;
            continue;
        }
        lineBreak();
        break;
    }
    if (!m_error.isEmpty()) // an encoding fault met on the way
        return false;
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
                           f.front() == QChar(0xFEFF) || f.back().isSpace();
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
