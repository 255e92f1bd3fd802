// The sources keep their layers: the store depends on nothing above it, and the list
// windows and the item windows do not include each other.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

namespace {

QDir sourceRoot()
{
    return QDir(QFileInfo(QStringLiteral(DISPORA_SOURCE_DIR "/src")).canonicalFilePath());
}

bool isUnder(const QString& path, const QString& folder)
{
    return path.startsWith(folder + u'/');
}

// Why including `included` from `includer` breaks the layering, or empty text when it
// does not. Both paths are relative to src/.
QString layeringFault(const QString& includer, const QString& included)
{
    if (isUnder(includer, QStringLiteral("store"))) {
        for (const QString& upper : {QStringLiteral("app"), QStringLiteral("lists"), QStringLiteral("items"),
                                     QStringLiteral("admin")}) {
            if (isUnder(included, upper))
                return QStringLiteral("the store depends on src/%1").arg(upper);
        }
    }
    if (isUnder(includer, QStringLiteral("lists/ui")) && isUnder(included, QStringLiteral("items/ui")))
        return QStringLiteral("a list window includes an item window");
    if (isUnder(includer, QStringLiteral("items/ui")) && isUnder(included, QStringLiteral("lists/ui")))
        return QStringLiteral("an item window includes a list window");
    return QString();
}

// The source file an include names, relative to src/: looked for beside the including
// file first, then from src/. Empty text for a header from outside (Qt, the server).
QString resolveInclude(const QString& includer, const QString& name)
{
    const QDir root = sourceRoot();
    const QString beside = QFileInfo(root.filePath(includer)).dir().filePath(name);
    for (const QString& candidate : {beside, root.filePath(name)}) {
        const QFileInfo file(candidate);
        if (file.isFile())
            return root.relativeFilePath(file.canonicalFilePath());
    }
    return QString();
}

QStringList includesOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s*[<\"]([^>\"]+)[>\"]"),
                                            QRegularExpression::MultilineOption);
    QStringList names;
    for (const QRegularExpressionMatch& match : include.globalMatch(QString::fromUtf8(file.readAll())))
        names << match.captured(1);
    return names;
}

} // namespace

class TestLayering : public QObject
{
    Q_OBJECT
private slots:
    void rule_data()
    {
        QTest::addColumn<QString>("includer");
        QTest::addColumn<QString>("included");
        QTest::addColumn<bool>("fault");
        QTest::newRow("store on the message service") << "store/Upkeep.cpp"
                                                      << "app/Services.h" << true;
        QTest::newRow("store on a list rule") << "store/Query.h"
                                              << "lists/ListKind.h" << true;
        QTest::newRow("store on an item rule") << "store/Query.cpp"
                                               << "items/ItemEntry.h" << true;
        QTest::newRow("store on an admin window") << "store/Query.cpp"
                                                  << "admin/ui/Tadatbazis_form.h" << true;
        QTest::newRow("store on itself") << "store/Query.h"
                                         << "store/SqlError.h" << false;
        QTest::newRow("application on the store") << "app/StartSequence.cpp"
                                                  << "store/Upkeep.h" << false;
        QTest::newRow("workspace on an item window") << "lists/ui/ListWorkspace.cpp"
                                                     << "items/ui/Tcsoportos_form.h" << true;
        QTest::newRow("entry dialog on the workspace") << "items/ui/Ttetelek_felvetele_form.cpp"
                                                       << "lists/ui/ListWorkspace.h" << true;
        QTest::newRow("workspace on an item rule") << "lists/ui/ListWorkspace.h"
                                                   << "items/ItemEntry.h" << false;
        QTest::newRow("entry dialog on a list rule") << "items/ui/Ttetelek_felvetele_form.cpp"
                                                     << "lists/Renumbering.h" << false;
        QTest::newRow("item windows among themselves") << "items/ui/Ttetelek_felvetele_form.cpp"
                                                       << "items/ui/Tkereso_form.h" << false;
        QTest::newRow("window set on both") << "app/ui/Windows.cpp"
                                            << "lists/ui/ListWorkspace.h" << false;
    }
    void rule()
    {
        QFETCH(QString, includer);
        QFETCH(QString, included);
        QFETCH(bool, fault);
        QCOMPARE(!layeringFault(includer, included).isEmpty(), fault);
    }

    void includesAreResolved_data()
    {
        QTest::addColumn<QString>("includer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("resolved");
        QTest::newRow("beside") << "store/Upkeep.cpp"
                                << "Query.h"
                                << "store/Query.h";
        QTest::newRow("from src") << "store/Upkeep.cpp"
                                  << "store/Query.h"
                                  << "store/Query.h";
        QTest::newRow("climbing out") << "store/Upkeep.cpp"
                                      << "../app/Services.h"
                                      << "app/Services.h";
        QTest::newRow("outside the sources") << "store/Connection.cpp"
                                             << "mysql.h"
                                             << "";
    }
    void includesAreResolved()
    {
        QFETCH(QString, includer);
        QFETCH(QString, name);
        QFETCH(QString, resolved);
        QCOMPARE(resolveInclude(includer, name), resolved);
    }

    void sourcesKeepTheirLayers()
    {
        const QDir root = sourceRoot();
        QStringList faults;
        int storeFiles = 0;
        QDirIterator it(root.path(), {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString includer = root.relativeFilePath(path);
            if (isUnder(includer, QStringLiteral("store")))
                ++storeFiles;
            for (const QString& name : includesOf(path)) {
                const QString included = resolveInclude(includer, name);
                const QString fault = layeringFault(includer, included);
                if (!fault.isEmpty())
                    faults << QStringLiteral("%1 includes %2: %3").arg(includer, name, fault);
            }
        }
        QVERIFY2(storeFiles > 0, qPrintable(root.path()));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestLayering)
#include "tst_layering.moc"
