#pragma once

// Databases of the earlier release, built at test time with the Firebird tools from the
// scripts in tests/store/legacy/.

#include "store/FirebirdSource.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <stdexcept>

namespace legacyfixture {

inline QString scriptPath(const QString& name)
{
    return QStringLiteral(DISPORA_SOURCE_DIR "/tests/store/legacy/") + name;
}

// The Windows-1250 bytes of a Hungarian text, as the earlier release wrote it into
// columns without a character set. Any other letter is a fault of the fixture.
inline QByteArray windows1250(const QString& text)
{
    static const QString letters = QStringLiteral("áéíóöőúüűÁÉÍÓÖŐÚÜŰ");
    static const char bytes[] = "\xE1\xE9\xED\xF3\xF6\xF5\xFA\xFC\xFB\xC1\xC9\xCD\xD3\xD6\xD5\xDA\xDC\xDB";
    QByteArray out;
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            out.append(char(c.unicode()));
            continue;
        }
        const qsizetype at = letters.indexOf(c);
        if (at < 0)
            throw std::logic_error("no Windows-1250 byte for a letter of the fixture");
        out.append(bytes[at]);
    }
    return out;
}

inline void run(const QString& program, const QStringList& arguments)
{
    store::firebird::prepareEngine();
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        throw std::runtime_error(("cannot start " + program).toStdString());
    process.waitForFinished(300000);
    const QByteArray errors = process.readAllStandardError() + process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw std::runtime_error((program + " failed: " + QString::fromLocal8Bit(errors)).toStdString());
}

// Creates `file` anew with text columns in `charset` (NONE, WIN1250 or UTF8) and runs the
// scripts into it in order. The scripts are UTF-8; for NONE they are fed as the Windows-1250
// bytes the earlier release stored, otherwise the engine converts them. `extraSql` is run
// after them.
inline void build(const QString& file, const QString& charset, const QStringList& scripts,
                  const QByteArray& extraSql = {})
{
    QFile::remove(file);
    const bool none = charset.compare(QLatin1String("NONE"), Qt::CaseInsensitive) == 0;
    const QString connection = none ? QStringLiteral("NONE") : QStringLiteral("UTF8");
    const QString names = QStringLiteral("SET SQL DIALECT 3;\nSET NAMES %1;\n").arg(connection);
    QTemporaryDir dir;
    const auto runScript = [&](const QByteArray& bytes, const QStringList& arguments) {
        QFile input(dir.filePath(QStringLiteral("fixture.sql")));
        if (!input.open(QIODevice::WriteOnly | QIODevice::Truncate) || input.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write the fixture script");
        input.close();
        run(QStringLiteral("isql-fb"),
            QStringList{QStringLiteral("-q"), QStringLiteral("-b"), QStringLiteral("-i"), input.fileName()} +
                arguments);
    };
    runScript((names +
               QStringLiteral("CREATE DATABASE '%1' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET %2;\n")
                   .arg(file, charset))
                  .toUtf8(),
              {});
    // A fixture needs no protection against power loss, and every commit would wait for the disk.
    run(QStringLiteral("gfix"), {QStringLiteral("-user"), QStringLiteral("SYSDBA"), QStringLiteral("-write"),
                                 QStringLiteral("async"), file});
    QString text = QStringLiteral("SET AUTODDL OFF;\n");
    for (const QString& name : scripts) {
        QFile script(scriptPath(name));
        if (!script.open(QIODevice::ReadOnly))
            throw std::runtime_error(("no fixture script " + name).toStdString());
        text += QString::fromUtf8(script.readAll()) + u'\n';
    }
    QByteArray bytes = none ? windows1250(text) : text.toUtf8();
    bytes += extraSql;
    bytes += "\nCOMMIT;\n";
    // Connected at once, so the character set of the connection comes with the command.
    runScript(bytes,
              {QStringLiteral("-user"), QStringLiteral("SYSDBA"), QStringLiteral("-ch"), connection, file});
}

// A backup of `database` as gbak makes it.
inline void backup(const QString& database, const QString& backupFile)
{
    QFile::remove(backupFile);
    run(QStringLiteral("gbak"),
        {QStringLiteral("-b"), QStringLiteral("-user"), QStringLiteral("SYSDBA"), database, backupFile});
}

// Marks the file as written in the on-disk structure of Firebird 2.x (ODS 11), which
// Firebird 3 refuses to open.
inline void makeOlderFormat(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite) || !f.seek(18) || f.write("\x0b", 1) != 1)
        throw std::runtime_error("cannot change the header of the fixture");
}

} // namespace legacyfixture
