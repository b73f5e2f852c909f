#pragma once

// What the tests of dreambook-db share: running it as a child process (as users and scripts
// do, optionally as another user), files and trees of files, and small bitmaps.

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace ToolRun {

struct Result
{
    int code = -1;
    QString out;
    QString err;
};

// The user id the read-only tests run the tool as; only root may switch to it.
constexpr int OtherUser = 65534;

inline bool canRunAsOtherUser()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0 && QFileInfo::exists(QStringLiteral("/usr/bin/setpriv"));
#else
    return false;
#endif
}

// Runs a program; with asOther, as OtherUser without supplementary groups.
inline Result runProgram(const QString &program, const QStringList &args, bool asOther = false)
{
    QProcess p;
    if (asOther) {
        const QString id = QString::number(OtherUser);
        p.start(QStringLiteral("/usr/bin/setpriv"),
                QStringList{QStringLiteral("--reuid=") + id, QStringLiteral("--regid=") + id,
                            QStringLiteral("--clear-groups"), program} +
                    args);
    } else {
        p.start(program, args);
    }
    Result r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

inline Result run(const QStringList &args, bool asOther = false)
{
    return runProgram(QStringLiteral(DREAMBOOK_DB), args, asOther);
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

// Every file under a directory (hidden ones too), by relative path, with its bytes.
inline QMap<QString, QByteArray> tree(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(dir).relativeFilePath(path), readFile(path));
    }
    return files;
}

// The same as a list of names and hashes, for messages that stay readable.
inline QStringList hashes(const QString &dir)
{
    QStringList l;
    const QMap<QString, QByteArray> files = tree(dir);
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        l << it.key() + QLatin1Char(' ') +
                 QString::fromLatin1(
                     QCryptographicHash::hash(it.value(), QCryptographicHash::Sha256).toHex());
    return l;
}

// A 24-bit bitmap file image whose pixels depend on seed.
inline QByteArray bitmap(int w, int h, int seed)
{
    const int stride = (w * 3 + 3) & ~3;
    QByteArray b;
    QDataStream s(&b, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    const quint32 size = 54 + quint32(stride * h);
    s.writeRawData("BM", 2);
    s << size << quint32(0) << quint32(54);
    s << quint32(40) << qint32(w) << qint32(h) << quint16(1) << quint16(24) << quint32(0)
      << quint32(stride * h) << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    QByteArray pixels(stride * h, '\0');
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < stride; ++x)
            pixels[y * stride + x] = char((x * 7 + y * 13 + seed * 31) & 0xFF);
    s.writeRawData(pixels.constData(), pixels.size());
    return b;
}

inline const QByteArray &csvHeader()
{
    static const QByteArray h = "Imagen Onírica,Interpretación Onírica,Datos de Interés,Nº de "
                                "Suerte,Nº Afín,Gráfico BMP\r\n";
    return h;
}

} // namespace ToolRun
