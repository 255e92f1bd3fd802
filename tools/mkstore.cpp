// Build-time tool: makes the program folder's database from the schema script with the
// same embedded server the program uses.
//   dispora_mkstore <schema.sql> <program folder>
#include "store/DataModule.h"
#include "store/SchemaScript.h"
#include "store/SqlError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: dispora_mkstore <schema.sql> <program folder>\n");
        return 2;
    }
    QFile scriptFile(QString::fromLocal8Bit(argv[1]));
    if (!scriptFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString script = QString::fromUtf8(scriptFile.readAll());
    const QString folder = QString::fromLocal8Bit(argv[2]);
    QDir dataDir(folder + QStringLiteral("/data"));
    if (dataDir.exists() && !dataDir.removeRecursively()) {
        std::fprintf(stderr, "cannot empty %s\n", qPrintable(dataDir.path()));
        return 1;
    }
    if (!QDir().mkpath(folder + QStringLiteral("/data/kovenda")) || !QDir::setCurrent(folder)) {
        std::fprintf(stderr, "cannot prepare %s\n", qPrintable(folder));
        return 1;
    }
    int rc = 0;
    {
        auto& dm = store::TDM1::instance();
        try {
            dm.MyConnection1.open();
            for (const QString& statement : store::splitSchemaScript(script))
                dm.MyQuery1.execute(statement);
        } catch (const store::SqlError& e) {
            std::fprintf(stderr, "schema: %s\n", qPrintable(e.message()));
            rc = 1;
        }
    }
    return rc;
}
