#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class QBuffer;
class QIODevice;

// Qt has no reader or writer of comma-separated values, hence these.
// Comma-separated values as RFC 4180 defines them, in UTF-8: fields separated by commas,
// records by line breaks (CRLF, LF or CR), a field that holds a comma, a quote or a line
// break enclosed in double quotes, a quote inside it doubled. A UTF-8 byte order mark at the
// start is skipped.
//
// Beyond the RFC, a quoted empty field ("") and an unquoted empty field are told apart, so
// that an empty text and an absent value both survive a round trip: the writer quotes empty
// texts and leaves absent values bare.
namespace Csv {

struct Record
{
    int line = 0; // line of the file on which the record begins, from 1
    QStringList fields;
    QVector<bool> quoted; // whether each field was enclosed in quotes
};

// Reads records one at a time from a device, a part of the file at a time, so that memory
// holds the record being read and not the file. An encoding fault stops the reading when the
// reading reaches it: the records before it come first, however the file is read.
class Reader
{
public:
    explicit Reader(QIODevice *device);      // the device must stay open while reading
    explicit Reader(const QByteArray &data); // bytes held in memory
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // Reads the next record. Returns false at the end of the data or on an error; then
    // error() says which (empty at the end).
    bool next(Record *record);

    QString error() const { return m_error; }
    int errorLine() const { return m_errorLine; } // first line of the faulty record

private:
    bool fail(int line, const QString &reason);
    bool ensure(int ahead); // whether the text holds the character ahead of the position
    bool readMore();
    bool decode(const QByteArray &bytes);
    bool readField(const Record &record, QString *field, bool *quoted);
    bool readQuoted(const Record &record, QString *field);
    bool readBare(const Record &record, QString *field);
    void countLines(int from, int to);
    void lineBreak();

    std::unique_ptr<QBuffer> m_buffer; // for bytes held in memory
    QIODevice *m_device = nullptr;
    QByteArray m_pending; // read but not decoded: an incomplete character or a final CR
    QString m_text;       // decoded, from the start of the current record
    int m_pos = 0;
    int m_line = 1;     // line of the character at m_pos
    int m_byteLine = 1; // line of the first byte not decoded yet
    bool m_started = false;
    bool m_end = false; // the device has no more bytes
    int m_badLine = 0;  // line of an encoding fault after the text decoded so far
    QString m_error;
    int m_errorLine = 0;
    bool m_done = false;
};

// Whether bytes are well-formed UTF-8; on failure, the line (from 1) of the first bad byte
// and the length of the well-formed bytes before it.
bool isValidUtf8(const QByteArray &data, int *badLine = nullptr, int *validLength = nullptr);

// One record as a line of the file, ending in CRLF. Null strings are written bare, every
// other field that is empty or holds a comma, a quote, a line break or leading or trailing
// blanks is quoted, and so is one that begins with a byte order mark, which a reader would
// skip at the start of a file.
QByteArray formatRecord(const QStringList &fields);

} // namespace Csv
