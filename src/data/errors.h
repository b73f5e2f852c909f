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
class EngineError : public Error
{
public:
    explicit EngineError(QString message) : Error("EDBEngineError", std::move(message)) {}
};
