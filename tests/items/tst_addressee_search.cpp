#include "items/AddresseeSearch.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QTest>

using namespace testsupport;
using items::AddresseeSearch;

namespace {

store::Query& q()
{
    return store::TDM1::instance().MyQuery3;
}

void addOrganisation(const QString& code, const QString& name, int classifiedOnly,
                     const QString& shortName = {})
{
    exec(
        "INSERT INTO SZERVEK (TKOD,SZERVNEV,ROVIDNEV,IRSZ,TELEPULES,MINOSITETT) VALUES (:t,:n,:r,:i,:tel,:m)",
        {{"t", code},
         {"n", name},
         {"r", shortName},
         {"i", "1051"},
         {"tel", "Budapest"},
         {"m", classifiedOnly}});
}

QStringList names(const store::Query& query)
{
    QStringList out;
    for (int row = 0; row < query.rowCount(); ++row)
        out << query.value(row, "SZERVNEV").toString();
    return out;
}

} // namespace

class TestAddresseeSearch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { programFolder(); }
    void init()
    {
        resetTables();
        addOrganisation("000003", "Országos Árvízvédelmi Központ", 0);
        addOrganisation("000001", "árvízvédelmi hivatal", 1, "ÁVH");
        addOrganisation("000002", "Árvíz Igazgatóság", 0);
        addOrganisation("000004", "Belügyminisztérium", 1);
        addOrganisation("000005", "Zárt 50% Kft", 0);
        // No MINOSITES row for 2: never listed.
        addOrganisation("000006", "Árvízi Titkos Szerv", 2);
    }

    void pattern_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("contains");
        QTest::addColumn<QString>("expected");
        QTest::newRow("contains") << "víz" << true << "%víz%";
        QTest::newRow("starts with") << "víz" << false << "víz%";
        QTest::newRow("empty contains") << "" << true << "%%";
        QTest::newRow("empty starts with") << "" << false << "%";
    }
    void pattern()
    {
        QFETCH(QString, text);
        QFETCH(bool, contains);
        QFETCH(QString, expected);
        QCOMPARE(AddresseeSearch::pattern(text, contains ? AddresseeSearch::Match::Contains
                                                         : AddresseeSearch::Match::StartsWith),
                 expected);
    }

    void loadAllListsTheRegisterByName()
    {
        AddresseeSearch::loadAll(q());
        QCOMPARE(names(q()), (QStringList{"Árvíz Igazgatóság", "árvízvédelmi hivatal", "Belügyminisztérium",
                                          "Országos Árvízvédelmi Központ", "Zárt 50% Kft"}));
        QCOMPARE(q().value(1, "mino").toString(), QString("Igen"));
        QCOMPARE(q().value(0, "mino").toString(), QString("Nem"));
        QCOMPARE(q().value(1, "rovidnev").toString(), QString("ÁVH"));
        QCOMPARE(q().value(1, "TKOD").toString(), QString("000001"));
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("contains");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("accented capitals find small letters")
            << "ÁRVÍZ" << true
            << QStringList{"Árvíz Igazgatóság", "árvízvédelmi hivatal", "Országos Árvízvédelmi Központ"};
        QTest::newRow("small letters find capitals")
            << "árvíz igaz" << true << QStringList{"Árvíz Igazgatóság"};
        QTest::newRow("starts with") << "ÁrVíZ" << false
                                     << QStringList{"Árvíz Igazgatóság", "árvízvédelmi hivatal"};
        QTest::newRow("fragment inside") << "minisz" << true << QStringList{"Belügyminisztérium"};
        QTest::newRow("fragment is no start") << "minisz" << false << QStringList{};
        QTest::newRow("underscore is a wildcard") << "b_l" << false << QStringList{"Belügyminisztérium"};
        QTest::newRow("percent is a wildcard") << "0%k" << true << QStringList{"Zárt 50% Kft"};
        QTest::newRow("empty lists all")
            << "" << false
            << QStringList{"Árvíz Igazgatóság", "árvízvédelmi hivatal", "Belügyminisztérium",
                           "Országos Árvízvédelmi Központ", "Zárt 50% Kft"};
        QTest::newRow("quote is only text") << "'" << true << QStringList{};
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(bool, contains);
        QFETCH(QStringList, expected);
        AddresseeSearch::search(
            q(), text, contains ? AddresseeSearch::Match::Contains : AddresseeSearch::Match::StartsWith);
        QCOMPARE(names(q()), expected);
    }

    void classifiedOnlyFollowsTheFlag()
    {
        AddresseeSearch::search(q(), "árvíz", AddresseeSearch::Match::StartsWith);
        q().setCurrentRow(0);
        QVERIFY(!AddresseeSearch::classifiedOnly(q()));
        q().setCurrentRow(1);
        QVERIFY(AddresseeSearch::classifiedOnly(q()));
        AddresseeSearch::search(q(), "nincs ilyen", AddresseeSearch::Match::Contains);
        QVERIFY(!AddresseeSearch::classifiedOnly(q()));
    }
};

QTEST_GUILESS_MAIN(TestAddresseeSearch)
#include "tst_addressee_search.moc"
