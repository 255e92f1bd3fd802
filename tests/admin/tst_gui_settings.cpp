#include "admin/ui/Tadatbazis_form.h"
#include "admin/ui/Tbeallitasok_form.h"
#include "app/AppState.h"
#include "app/ProgramEnd.h"
#include "app/ui/ConfirmDialog.h"
#include "app/ui/TForm1.h"
#include "app/ui/Windows.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace testsupport;

namespace {

Tbeallitasok_form* settings()
{
    return ui::windows().beallitasok_form;
}

const QString kMargin = "Hibás margóérték!";
const QString kPrinter = "Nincs kiválasztva nyomtató, vagy nincs telepített nyomtató!";
const QString kAddressee = "Nincs megadva alapértelmezett címzett!";
const QString kName = "Nincs megadva név!";

} // namespace

class TestGuiSettings : public QObject
{
    Q_OBJECT

    Services* m_services = nullptr;
    QStringList m_asked; // questions of the register refresh dialog
    int m_answer = ConfirmDialog::No;

    // Opens the settings the way the menu does, with the given printer position.
    void openSettings(int printerIndex = 0)
    {
        app::appState().printerIndex = printerIndex;
        ui::windows().form1->show();
        ui::windows().form1->SCButton6Click();
        QVERIFY(settings()->isVisible());
        QApplication::setActiveWindow(settings());
    }

    void type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }

    void fillValid()
    {
        type(settings()->Edit2, "100100");
        type(settings()->Edit4, "200200");
        settings()->ComboBox1->setCurrentIndex(1);
        settings()->RadioButton1->setChecked(true);
        type(settings()->Edit5, "12");
        type(settings()->Edit6, "15");
        type(settings()->Edit7, "20");
        type(settings()->Edit8, "20");
    }

private slots:
    void initTestCase()
    {
        programFolder();
        m_services = &installServices();
        createWindowsOnce();
        app::setProgramEnd([] {});
        ConfirmDialog::setScript([this](ConfirmDialog& d) {
            m_asked << d.objectName() + ": " + d.question();
            return m_answer;
        });
    }
    void cleanupTestCase()
    {
        ConfirmDialog::setScript({});
        app::setProgramEnd({});
    }

    void init()
    {
        resetTables();
        exec(
            "INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('100100','Saját Szerv'),('200200','Címzett Szerv')");
        m_services->messages.texts.clear();
        m_services->printers.names = {"Iroda", "Titkarsag"};
        m_services->printers.current = 0;
        m_asked.clear();
        m_answer = ConfirmDialog::No;
        app::appState() = app::AppState{};
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
        settings()->setEnabled(true);
    }

    void firstSaveStoresOneRowAndEnablesTheLists()
    {
        TForm1* menu = ui::windows().form1;
        for (QPushButton* b :
             {menu->SCButton1, menu->SCButton2, menu->SCButton3, menu->SCButton4, menu->SCButton5})
            b->setEnabled(false);
        openSettings(5000);
        fillValid();
        QCOMPARE(settings()->Edit1->text(), QString("Saját Szerv"));
        QCOMPARE(settings()->Edit3->text(), QString("Címzett Szerv"));
        QTest::mouseClick(settings()->SCButton1, Qt::LeftButton);
        QVERIFY(m_services->messages.texts.isEmpty());
        QCOMPARE(
            rows("SELECT "
                 "NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,FUTARJEGYZEK_CIMZETTJE_SZERVKOD,"
                 "FELSO,ALSO,BAL,JOBB,FELSO_T,ALSO_T,BAL_T,JOBB_T,alapertelmezett_nyomtato FROM BEALLITASOK"),
            QStringList{"Saját Szerv|100100|1|1|Címzett Szerv|200200|12|15|20|20|12|15|20|20|0"});
        const app::AppState& s = app::appState();
        QCOMPARE(s.ownName, QString("Saját Szerv"));
        QCOMPARE(s.ownCode, QString("100100"));
        QCOMPARE(s.printerIndex, 1);
        QVERIFY(!s.useDefaultPrinter);
        QCOMPARE(s.defaultAddresseeName, QString("Címzett Szerv"));
        QCOMPARE(s.defaultAddresseeCode, QString("200200"));
        QCOMPARE(QList<int>({s.marginTop, s.marginBottom, s.marginLeft, s.marginRight}),
                 QList<int>({12, 15, 20, 20}));
        for (QPushButton* b :
             {menu->SCButton1, menu->SCButton2, menu->SCButton3, menu->SCButton4, menu->SCButton5})
            QVERIFY(b->isEnabled());
        QVERIFY(menu->isVisible());
        QVERIFY(!settings()->isVisible());
    }

    void savingAgainKeepsOneRowAndTheThriftFlag_data()
    {
        QTest::addColumn<int>("storedBefore");
        QTest::addColumn<int>("storedAfter");
        QTest::newRow("0 stays 0") << 0 << 0;
        QTest::newRow("1 stays 1") << 1 << 1;
        QTest::newRow("other becomes 1") << 5 << 1;
    }
    void savingAgainKeepsOneRowAndTheThriftFlag()
    {
        QFETCH(int, storedBefore);
        QFETCH(int, storedAfter);
        exec("INSERT INTO BEALLITASOK (NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,"
             "FUTARJEGYZEK_CIMZETTJE_SZERVKOD,FELSO,ALSO,BAL,JOBB,alapertelmezett_nyomtato) VALUES "
             "('Régi','100100',0,:T,'Régi címzett','200200',10,10,10,10,1)",
             {{"T", storedBefore}});
        openSettings(0);
        QVERIFY(settings()->RadioButton2->isChecked());
        QTest::mouseClick(settings()->SCButton1, Qt::LeftButton);
        QVERIFY(m_services->messages.texts.isEmpty());
        QCOMPARE(rows("SELECT NEV,TAKAREKOS,NYOMTATO,alapertelmezett_nyomtato FROM BEALLITASOK"),
                 QStringList{QString("Saját Szerv|%1|0|1").arg(storedAfter)});
        QVERIFY(app::appState().useDefaultPrinter);
    }

    void checksShowEveryFailureAndSaveNothing_data()
    {
        QTest::addColumn<QStringList>("emptied");
        QTest::addColumn<bool>("noPrinter");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("focus");
        QTest::newRow("top and left margins")
            << QStringList({"Edit5", "Edit7"}) << false << QStringList{kMargin} << "Edit5";
        QTest::newRow("right margin") << QStringList{"Edit8"} << false << QStringList{kMargin} << "Edit8";
        QTest::newRow("no printer chosen") << QStringList() << true << QStringList{kPrinter} << "ComboBox1";
        QTest::newRow("addressee code short")
            << QStringList{"Edit4"} << false << QStringList{kAddressee} << "Edit4";
        QTest::newRow("own code short") << QStringList{"Edit2"} << false << QStringList{kName} << "Edit2";
        QTest::newRow("everything") << QStringList({"Edit6", "Edit2", "Edit4"}) << true
                                    << QStringList({kMargin, kPrinter, kAddressee, kName}) << "Edit2";
    }
    void checksShowEveryFailureAndSaveNothing()
    {
        QFETCH(QStringList, emptied);
        QFETCH(bool, noPrinter);
        QFETCH(QStringList, messages);
        QFETCH(QString, focus);
        openSettings(0);
        fillValid();
        for (const QString& name : emptied)
            type(settings()->findChild<QLineEdit*>(name), QString());
        if (noPrinter)
            settings()->ComboBox1->setCurrentIndex(-1);
        QTest::mouseClick(settings()->SCButton1, Qt::LeftButton);
        QCOMPARE(m_services->messages.texts, messages);
        QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), focus);
        QCOMPARE(scalar("SELECT COUNT(*) FROM BEALLITASOK").toInt(), 0);
        QVERIFY(settings()->isVisible());
    }

    void withoutInstalledPrintersTheSaveAsksForOne()
    {
        m_services->printers.names.clear();
        m_services->printers.current = -1;
        openSettings(0);
        fillValid();
        QVERIFY(settings()->RadioButton1->isChecked());
        settings()->RadioButton2->setChecked(true);
        QTest::mouseClick(settings()->SCButton1, Qt::LeftButton);
        QCOMPARE(m_services->messages.texts, QStringList{kPrinter});
        QVERIFY(settings()->Edit13->text().isEmpty());
        QCOMPARE(scalar("SELECT COUNT(*) FROM BEALLITASOK").toInt(), 0);
    }

    void deletingADigitEmptiesTheName()
    {
        openSettings(0);
        type(settings()->Edit2, "100100");
        QCOMPARE(settings()->Edit1->text(), QString("Saját Szerv"));
        settings()->Edit2->setFocus();
        settings()->Edit2->end(false);
        QTest::keyClick(settings()->Edit2, Qt::Key_Backspace);
        QVERIFY(settings()->Edit1->text().isEmpty());
        QVERIFY(m_asked.isEmpty());
    }

    void codesTakeSixDigitsOnly()
    {
        openSettings(0);
        type(settings()->Edit2, "12a3b45678");
        QCOMPARE(settings()->Edit2->text(), QString("123456"));
        type(settings()->Edit5, "7x89");
        QCOMPARE(settings()->Edit5->text(), QString("78"));
    }

    void unknownCodeDeclinedLeavesTheNameEmpty()
    {
        openSettings(0);
        type(settings()->Edit2, "999999");
        QCOMPARE(m_asked,
                 QStringList{"Tfrissites_rakerdezo_form: A szervek táblában nincs 999999 szervkódú tétel! "
                             "Akarja most frissíteni a szervek adatbázisát?"});
        QVERIFY(settings()->Edit1->text().isEmpty());
        QVERIFY(settings()->isEnabled());
        QVERIFY(!app::appState().refreshFromSettings);
        QVERIFY(!ui::windows().adatbazis_form->isVisible());
        type(settings()->Edit4, "200200");
        QTest::mouseClick(settings()->SCButton1, Qt::LeftButton);
        QCOMPARE(m_services->messages.texts, QStringList{kName});
    }

    void marginChangeAsksAgainForAnUnknownAddressee()
    {
        openSettings(0);
        type(settings()->Edit4, "300300");
        QCOMPARE(m_asked.size(), 1);
        type(settings()->Edit6, "11");
        QVERIFY(m_asked.size() >= 2);
        QVERIFY(m_asked.last().contains("300300"));
    }

    void unknownCodeAcceptedOpensTheRefreshAndComesBack()
    {
        exec("INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES ('2012-10-16 14:05:33')");
        openSettings(0);
        m_answer = ConfirmDialog::Yes;
        type(settings()->Edit4, "300300");
        Tadatbazis_form* refresh = ui::windows().adatbazis_form;
        QVERIFY(refresh->isVisible());
        QCOMPARE(refresh->height(), 208);
        QCOMPARE(refresh->Edit1->text(), QString("2012.10.16. 14:05:33"));
        QVERIFY(!refresh->SCButton2->isEnabled());
        QVERIFY(!settings()->isEnabled());
        QVERIFY(app::appState().refreshFromSettings);

        // Meanwhile the register learnt the code.
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('300300','Új Szerv')");
        refresh->close();
        QVERIFY(settings()->isEnabled());
        QVERIFY(!app::appState().refreshFromSettings);
        QCOMPARE(settings()->Edit3->text(), QString("Új Szerv"));
        QVERIFY(!ui::windows().form1->isVisible());
        refresh->showAllGroups();
    }
};

QTEST_MAIN(TestGuiSettings)
#include "tst_gui_settings.moc"
