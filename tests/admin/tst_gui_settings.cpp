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
#include <QWindow>

using namespace testsupport;
using testsupport::control;

namespace {

Tbeallitasok_form* settings()
{
    return ui::windows().beallitasok_form;
}

template <class T = QLineEdit> T* field(const QString& name)
{
    return control<T>(settings(), name);
}

QList<QPushButton*> listButtons()
{
    QList<QPushButton*> buttons;
    for (const char* name : {"SCButton1", "SCButton2", "SCButton3", "SCButton4", "SCButton5"})
        buttons << control<QPushButton>(ui::windows().form1, name);
    return buttons;
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
        type(field("Edit2"), "100100");
        type(field("Edit4"), "200200");
        field<QComboBox>("ComboBox1")->setCurrentIndex(1);
        field<QRadioButton>("RadioButton1")->setChecked(true);
        type(field("Edit5"), "12");
        type(field("Edit6"), "15");
        type(field("Edit7"), "20");
        type(field("Edit8"), "20");
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
        menu->setListButtonsEnabled(false);
        openSettings(5000);
        fillValid();
        QCOMPARE(field("Edit1")->text(), QString("Saját Szerv"));
        QCOMPARE(field("Edit3")->text(), QString("Címzett Szerv"));
        QTest::mouseClick(field<QPushButton>("SCButton1"), Qt::LeftButton);
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
        for (QPushButton* b : listButtons())
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
        QVERIFY(field<QRadioButton>("RadioButton2")->isChecked());
        QTest::mouseClick(field<QPushButton>("SCButton1"), Qt::LeftButton);
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
            field<QComboBox>("ComboBox1")->setCurrentIndex(-1);
        QTest::mouseClick(field<QPushButton>("SCButton1"), Qt::LeftButton);
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
        QVERIFY(field<QRadioButton>("RadioButton1")->isChecked());
        field<QRadioButton>("RadioButton2")->setChecked(true);
        QTest::mouseClick(field<QPushButton>("SCButton1"), Qt::LeftButton);
        QCOMPARE(m_services->messages.texts, QStringList{kPrinter});
        QVERIFY(field("Edit13")->text().isEmpty());
        QCOMPARE(scalar("SELECT COUNT(*) FROM BEALLITASOK").toInt(), 0);
    }

    void deletingADigitEmptiesTheName()
    {
        openSettings(0);
        type(field("Edit2"), "100100");
        QCOMPARE(field("Edit1")->text(), QString("Saját Szerv"));
        field("Edit2")->setFocus();
        field("Edit2")->end(false);
        QTest::keyClick(field("Edit2"), Qt::Key_Backspace);
        QVERIFY(field("Edit1")->text().isEmpty());
        QVERIFY(m_asked.isEmpty());
    }

    void codesTakeSixDigitsOnly()
    {
        openSettings(0);
        type(field("Edit2"), "12a3b45678");
        QCOMPARE(field("Edit2")->text(), QString("123456"));
        type(field("Edit5"), "7x89");
        QCOMPARE(field("Edit5")->text(), QString("78"));
    }

    void unknownCodeDeclinedLeavesTheNameEmpty()
    {
        openSettings(0);
        type(field("Edit2"), "999999");
        QCOMPARE(m_asked,
                 QStringList{"Tfrissites_rakerdezo_form: A szervek táblában nincs 999999 szervkódú tétel! "
                             "Akarja most frissíteni a szervek adatbázisát?"});
        QVERIFY(field("Edit1")->text().isEmpty());
        QVERIFY(settings()->isEnabled());
        QVERIFY(!app::appState().refreshFromSettings);
        QVERIFY(!ui::windows().adatbazis_form->isVisible());
        type(field("Edit4"), "200200");
        QTest::mouseClick(field<QPushButton>("SCButton1"), Qt::LeftButton);
        QCOMPARE(m_services->messages.texts, QStringList{kName});
    }

    void marginChangeAsksAgainForAnUnknownAddressee()
    {
        openSettings(0);
        type(field("Edit4"), "300300");
        QCOMPARE(m_asked.size(), 1);
        type(field("Edit6"), "11");
        QVERIFY(m_asked.size() >= 2);
        QVERIFY(m_asked.last().contains("300300"));
    }

    void failedSaveKeepsThePreviousRowAndTheWindow()
    {
        exec("INSERT INTO BEALLITASOK (NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,"
             "FUTARJEGYZEK_CIMZETTJE_SZERVKOD,FELSO,ALSO,BAL,JOBB,alapertelmezett_nyomtato) VALUES "
             "('Régi','100100',0,1,'Régi címzett','200200',10,10,10,10,1)");
        const QStringList before = rows("SELECT * FROM BEALLITASOK");
        openSettings(0);
        fillValid();
        bool failed = false; // only the save's insert fails, not the putting back
        store::TDM1::instance().MyConnection1.setStatementFault(
            [&failed](const QString& sql) -> std::optional<QString> {
                if (!failed && sql.startsWith("INSERT INTO BEALLITASOK (NEV")) {
                    failed = true;
                    return QStringLiteral("Disk full");
                }
                return std::nullopt;
            });
        QTest::mouseClick(field<QPushButton>("SCButton1"), Qt::LeftButton);
        store::TDM1::instance().MyConnection1.setStatementFault({});
        QCOMPARE(rows("SELECT * FROM BEALLITASOK"), before);
        QCOMPARE(m_services->messages.texts.size(), 1);
        QVERIFY2(m_services->messages.texts[0].contains("Disk full"),
                 qPrintable(m_services->messages.texts[0]));
        QVERIFY(settings()->isVisible());
        QVERIFY(!ui::windows().form1->isVisible());
        QVERIFY(app::appState().ownName.isEmpty());
    }

    void minimisingTakesTheRefreshWindowAlong()
    {
        openSettings(0);
        Tadatbazis_form* refresh = ui::windows().adatbazis_form;
        refresh->openFromSettings();
        settings()->showMinimized();
        QTRY_VERIFY(refresh->isMinimized());
        settings()->showNormal();
        QTRY_VERIFY(!refresh->isMinimized());
        QVERIFY(refresh->isVisible());
        app::appState().refreshFromSettings = false;
        refresh->hide();
        refresh->showAllGroups();
    }

    void unknownCodeQuestionHasAnEmptyTitleBar()
    {
        ConfirmDialog* question = ui::windows().frissites_rakerdezo_form;
        question->show();
        QVERIFY(question->windowHandle());
        // Qt puts the program's name into an empty title; the question shows none.
        QCOMPARE(question->windowHandle()->title(), QString(" "));
        QCOMPARE(question->windowTitle(), QString());
        question->hide();
    }

    void unknownCodeAcceptedOpensTheRefreshAndComesBack()
    {
        exec("INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES ('2012-10-16 14:05:33')");
        openSettings(0);
        m_answer = ConfirmDialog::Yes;
        type(field("Edit4"), "300300");
        Tadatbazis_form* refresh = ui::windows().adatbazis_form;
        QVERIFY(refresh->isVisible());
        QCOMPARE(refresh->height(), 208);
        QCOMPARE(control<QLineEdit>(refresh, "Edit1")->text(), QString("2012.10.16. 14:05:33"));
        QVERIFY(!control<QPushButton>(refresh, "SCButton2")->isEnabled());
        QVERIFY(!settings()->isEnabled());
        QVERIFY(app::appState().refreshFromSettings);

        // Meanwhile the register learnt the code.
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('300300','Új Szerv')");
        refresh->close();
        QVERIFY(settings()->isEnabled());
        QVERIFY(!app::appState().refreshFromSettings);
        QCOMPARE(field("Edit3")->text(), QString("Új Szerv"));
        QVERIFY(!ui::windows().form1->isVisible());
        refresh->showAllGroups();
    }
};

QTEST_MAIN(TestGuiSettings)
#include "tst_gui_settings.moc"
