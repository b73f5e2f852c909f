#pragma once

#include <QString>

#include <exception>

// Every error the program raises derives from Error. It carries the class name that the
// error boxes and the last-chance report show, and a message that does not end with the
// full stop: the application error box appends one.
class Error : public std::exception
{
public:
    Error(const char *className, QString message);

    const char *className() const noexcept { return m_className; }
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    const char *m_className;
    QString m_message;
    QByteArray m_utf8;
};

// Misuse of the dataset: wrong state, closed dataset, empty dataset, required field.
class DatabaseError : public Error
{
public:
    explicit DatabaseError(QString message) : Error("EDatabaseError", std::move(message)) {}
};

// Failures reported by the storage underneath: key violation, record locked, file errors.
// The reason lets callers act on the kinds they can handle; the message tells the user.
class EngineError : public Error
{
public:
    enum class Reason {
        Other,
        Missing,       // no directory or no table file
        NotDreamTable, // the file is not a dream table
        Damaged,       // a dream table the engine finds damaged
        ForeignLog,    // a sound table beside a write-ahead log that does not fit it
        Locked,        // another program holds the file locked
        KeyViolation,  // an entry with the name exists
        ReadOnly,      // the table cannot be written
    };

    explicit EngineError(QString message, Reason reason = Reason::Other)
        : Error("EDBEngineError", std::move(message)), m_reason(reason)
    {}
    Reason reason() const noexcept { return m_reason; }

private:
    Reason m_reason;
};

// A piece of user data (a name, a text or a path read from a file) as messages quote it:
// between angle quotes, on one line, and cut with an ellipsis after 60 characters.
QString quoted(const QString &text);

// The operating system's reason for an error number (errno), in Spanish.
QString systemReason(int error);
