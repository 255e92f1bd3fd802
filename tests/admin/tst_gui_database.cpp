#include "admin/ui/Tadatbazis_form.h"
#include "admin/ui/Tbeallitasok_form.h"
#include "app/AppState.h"
#include "app/ProgramEnd.h"
#include "app/ui/ConfirmDialog.h"
#include "app/ui/TForm1.h"
#include "app/ui/Windows.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"
#include "support/RegisterWorkbook.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <zip.h>

using namespace testsupport;
using testsupport::control;

namespace {

Tadatbazis_form* window()
{
    return ui::windows().adatbazis_form;
}

template <class T = QPushButton> T* part(const QString& name)
{
    return control<T>(window(), name);
}

QStringList archiveEntries(const QString& path)
{
    QStringList names;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i)
        names << QString::fromUtf8(zip_get_name(archive, zip_uint64_t(i), 0));
    zip_close(archive);
    names.sort();
    return names;
}

const QString kImportQuestion = "Valóban importálni szeretné az adatokat? FIGYELEM!!! Az eddigi adatok "
                                "helyreállíthatatlanul felülíródnak!";

} // namespace

class TestGuiDatabase : public QObject
{
    Q_OBJECT

    Services* m_services = nullptr;
    QTemporaryDir m_files;
    QStringList m_asked; // "object name | caption | question" of each confirmation
    int m_answer = ConfirmDialog::No;
    int m_ends = 0;

    void openFromMenu()
    {
        ui::windows().form1->show();
        ui::windows().form1->SCButton8Click();
        QVERIFY(window()->isVisible());
    }

    QString workbook(const QString& name, const RegisterWorkbook& content)
    {
        const QString path = m_files.filePath(name);
        writeRegisterWorkbook(path, content);
        return path;
    }

    void browse(const QString& path)
    {
        m_services->fileDialogs.next = QStringList{path};
        QTest::mouseClick(part("SCButton1"), Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        programFolder();
        m_services = &installServices();
        createWindowsOnce();
        app::setProgramEnd([this] { ++m_ends; });
        ConfirmDialog::setScript([this](ConfirmDialog& d) {
            m_asked << d.objectName() + " | " + d.windowTitle() + " | " + d.question();
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
        m_services->messages.texts.clear();
        m_services->fileDialogs.next.clear();
        m_services->fileDialogs.calls.clear();
        m_asked.clear();
        m_answer = ConfirmDialog::No;
        m_ends = 0;
        app::appState().refreshFromSettings = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
        QFile::remove(programFolder() + "import.txt");
    }

    void menuOpensAllGroupsWithTheStoredVersion_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no version") << QString() << "Ismeretlen verzió!";
        QTest::newRow("newest of two") << "2012-10-16 14:05:33"
                                       << "2012.10.16. 14:05:33";
    }
    void menuOpensAllGroupsWithTheStoredVersion()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        if (!stored.isEmpty())
            exec("INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES ('2011-01-01 00:00:00'), (:V)",
                 {{"V", stored}});
        openFromMenu();
        QCOMPARE(window()->height(), 450);
        QCOMPARE(part<QLineEdit>("Edit1")->text(), shown);
        QVERIFY(part<QLineEdit>("Edit2")->text().isEmpty());
        QVERIFY(!part("SCButton2")->isEnabled());
        QVERIFY(!part<QProgressBar>("JvGradientProgressBar1")->isVisible());
        QVERIFY(part<QLabel>("Label3")->text().isEmpty());
        QVERIFY(!ui::windows().form1->isVisible());
        window()->close();
        QVERIFY(ui::windows().form1->isVisible());
    }

    void cancelledBrowseChangesNothing()
    {
        openFromMenu();
        QTest::mouseClick(part("SCButton1"), Qt::LeftButton);
        QCOMPARE(m_services->fileDialogs.calls.size(), size_t(1));
        QCOMPARE(m_services->fileDialogs.calls[0].filter, QString("Ms Excel (*.xls)"));
        QVERIFY(part<QLineEdit>("Edit2")->text().isEmpty());
        QVERIFY(!part("SCButton2")->isEnabled());
        QVERIFY(m_services->messages.texts.isEmpty());
    }

    void refreshWithoutStoredVersionRunsAtOnce()
    {
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('999999','Régi szerv')");
        const QString path = workbook("good.xls", RegisterWorkbook::withOrganisations(250));
        openFromMenu();
        browse(path);
        QCOMPARE(part<QLineEdit>("Edit2")->text(), path);
        QVERIFY(m_services->messages.texts.isEmpty());
        QVERIFY(part("SCButton2")->isEnabled());
        QTest::mouseClick(part("SCButton2"), Qt::LeftButton);
        QVERIFY(m_asked.isEmpty());
        QCOMPARE(m_services->messages.texts, QStringList{"SZERVEK tábla frissítése sikeres!"});
        QCOMPARE(scalar("SELECT COUNT(*) FROM SZERVEK").toInt(), 250);
        QCOMPARE(scalar("SELECT COUNT(*) FROM SZERVEK WHERE TKOD='999999'").toInt(), 0);
        QCOMPARE(scalar("SELECT COUNT(*) FROM SZERVEK_TEMP").toInt(), 0);
        QCOMPARE(part<QLabel>("Label3")->text(), QString("250/250"));
        QCOMPARE(part<QProgressBar>("JvGradientProgressBar1")->value(), 250);
        QCOMPARE(part<QProgressBar>("JvGradientProgressBar1")->maximum(), 250);
        QCOMPARE(part<QLineEdit>("Edit1")->text(), QString("2012.10.16. 14:05:33"));
        QVERIFY(part("SCButton1")->isEnabled());
        QVERIFY(part("SCButton2")->isEnabled());
    }

    void versionQuestionDeclinedChangesNothing_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("question");
        QTest::newRow("equal")
            << "2012-10-16 14:05:33"
            << "A jelenlegi adatbázis verziója (2012.10.16. 14:05:33) megegyezik a frissítés "
               "(2012.10.16. 14:05:33) verziójával! Valóban frissíteni szeretné?";
        QTest::newRow("newer stored")
            << "2013-01-02 08:00:00"
            << "A jelenlegi adatbázis (2013.01.02. 08:00:00) újabb mint amivel "
               "(2012.10.16. 14:05:33) frissíteni szeretné! Valóban frissíteni szeretné?";
    }
    void versionQuestionDeclinedChangesNothing()
    {
        QFETCH(QString, stored);
        QFETCH(QString, question);
        exec("INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES (:V)", {{"V", stored}});
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('999999','Régi szerv')");
        openFromMenu();
        browse(workbook("same.xls", RegisterWorkbook::withOrganisations(3)));
        QTest::mouseClick(part("SCButton2"), Qt::LeftButton);
        QCOMPARE(m_asked, QStringList{"Tfrissites_kerdezo_form | Frissítés megerősítése | " + question});
        QCOMPARE(rows("SELECT TKOD FROM SZERVEK"), QStringList{"999999"});
        QVERIFY(part("SCButton2")->isEnabled());
        QVERIFY(m_services->messages.texts.isEmpty());

        m_answer = ConfirmDialog::Yes;
        QTest::mouseClick(part("SCButton2"), Qt::LeftButton);
        QCOMPARE(scalar("SELECT COUNT(*) FROM SZERVEK").toInt(), 3);
        QCOMPARE(rows("SELECT VERZIO_DATUMIDO FROM SZERVEK_VERZIO"), QStringList{"2012-10-16 14:05:33"});
    }

    void badFileIsRefusedAfterAGoodOne()
    {
        RegisterWorkbook bad = RegisterWorkbook::withOrganisations(60);
        bad.rows[56][1].clear(); // the name in row 57
        openFromMenu();
        browse(workbook("good.xls", RegisterWorkbook::withOrganisations(2)));
        QVERIFY(part("SCButton2")->isEnabled());
        browse(workbook("bad.xls", bad));
        QCOMPARE(m_services->messages.texts, QStringList{"Hiba történt, nem jó xls fájl!"});
        // The path field names the bad file now, so nothing may be refreshed from it.
        QVERIFY(!part("SCButton2")->isEnabled());
    }

    void refreshFromTheSettingsComesBackToThem()
    {
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('100100','Saját Szerv')");
        Tbeallitasok_form* settings = ui::windows().beallitasok_form;
        ui::windows().form1->show();
        ui::windows().form1->SCButton6Click();
        m_answer = ConfirmDialog::Yes;
        QLineEdit* addresseeCode = control<QLineEdit>(settings, "Edit4");
        addresseeCode->setFocus();
        QTest::keyClicks(addresseeCode, "000001");
        QVERIFY(window()->isVisible());
        QCOMPARE(window()->height(), 208);
        QVERIFY(!settings->isEnabled());
        m_answer = ConfirmDialog::No;
        browse(workbook("with_code.xls", RegisterWorkbook::withOrganisations(5)));
        QTest::mouseClick(part("SCButton2"), Qt::LeftButton);
        QVERIFY(settings->isEnabled());
        window()->close();
        QVERIFY(!app::appState().refreshFromSettings);
        QCOMPARE(control<QLineEdit>(settings, "Edit3")->text(), QString("Szerv 000001"));
        QVERIFY(!ui::windows().form1->isVisible());
        settings->hide();
        window()->showAllGroups();
    }

    void backupProposesTheClockNameInItsFolder()
    {
        QDir(programFolder() + "adatbazis_mentes").removeRecursively();
        exec("INSERT INTO B2_ADATOK (LSZAM,JCIMZETT) VALUES (1,'Valaki')");
        openFromMenu();
        const QString archive = programFolder() + "adatbazis_mentes/kezi.zip";
        m_services->fileDialogs.next = QStringList{archive};
        QTest::mouseClick(part("SCButton3"), Qt::LeftButton);
        QCOMPARE(m_services->fileDialogs.calls.size(), size_t(1));
        const auto& call = m_services->fileDialogs.calls[0];
        QVERIFY(call.save);
        QCOMPARE(call.proposedName, QString("adatok_20260314092653.zip"));
        QCOMPARE(call.filter, QString("zip (*.zip)"));
        QCOMPARE(QDir(call.startFolder).absolutePath(),
                 QDir(programFolder() + "adatbazis_mentes").absolutePath());
        QCOMPARE(m_services->messages.texts, QStringList{"Adatbázis mentése sikerült!"});
        const QStringList entries = archiveEntries(archive);
        QVERIFY(entries.contains("b2_adatok.MYD"));
        QVERIFY(entries.contains("szervek.frm"));
        for (const QString& entry : entries)
            QVERIFY2(!entry.contains('/'), qPrintable(entry));
        // The store is open again, and so are the names of the entry dialog.
        QCOMPARE(scalar("SELECT COUNT(*) FROM B2_ADATOK").toInt(), 1);
        QVERIFY(store::TDM1::instance().MyQuery4.isOpen());
    }

    void cancelledBackupWritesNothing()
    {
        openFromMenu();
        QTest::mouseClick(part("SCButton3"), Qt::LeftButton);
        QVERIFY(m_services->messages.texts.isEmpty());
        QVERIFY(QDir(programFolder() + "adatbazis_mentes").entryList({"*.zip"}).isEmpty() ||
                m_services->fileDialogs.calls.size() == 1);
    }

    void restoreRequestWritesTheRequestAndEnds()
    {
        openFromMenu();
        const QString archive = m_files.filePath("mentes.zip");
        m_services->fileDialogs.next = QStringList{archive};
        QTest::mouseClick(part("SCButton3"), Qt::LeftButton); // a real backup to restore
        m_services->messages.texts.clear();

        // Cancelled file dialog, then a declined question: no request either time.
        QTest::mouseClick(part("SCButton4"), Qt::LeftButton);
        QVERIFY(m_asked.isEmpty());
        m_services->fileDialogs.next = QStringList{archive};
        QTest::mouseClick(part("SCButton4"), Qt::LeftButton);
        QCOMPARE(m_asked, QStringList{"Timport_form | Importálás megerősítése | " + kImportQuestion});
        QVERIFY(!QFile::exists(programFolder() + "import.txt"));
        QCOMPARE(m_ends, 0);

        m_answer = ConfirmDialog::Yes;
        m_services->fileDialogs.next = QStringList{archive};
        QTest::mouseClick(part("SCButton4"), Qt::LeftButton);
        QFile request(programFolder() + "import.txt");
        QVERIFY(request.open(QIODevice::ReadOnly));
        QCOMPARE(request.readAll(), (archive + "\r\n").toUtf8());
        QCOMPARE(m_services->messages.texts,
                 QStringList{"Adatbázis importálása sikerült, a program most be fog záródni!"});
        QCOMPARE(m_ends, 1);
        QVERIFY(store::TDM1::instance().MyConnection1.isOpen());
        // The next open dialog starts in the program folder.
        QCOMPARE(QDir(m_services->fileDialogs.calls.back().startFolder).absolutePath(),
                 QDir(programFolder()).absolutePath());
    }

    void restoreOfAForeignArchiveIsRefused()
    {
        const QString archive = m_files.filePath("idegen.zip");
        QFile junk(archive);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("no zip at all");
        junk.close();
        openFromMenu();
        m_answer = ConfirmDialog::Yes;
        m_services->fileDialogs.next = QStringList{archive};
        QTest::mouseClick(part("SCButton4"), Qt::LeftButton);
        QCOMPARE(m_services->messages.texts, QStringList{"Hiba az adatbázis visszatöltése közben!"});
        QVERIFY(!QFile::exists(programFolder() + "import.txt"));
        QCOMPARE(m_ends, 0);
        QVERIFY(store::TDM1::instance().MyConnection1.isOpen());
    }

    void numberingResetEmptiesTheListsAfterABackup()
    {
        exec("INSERT INTO B2_ADATOK (LSZAM,JCIMZETT) VALUES (7,'Valaki')");
        exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,DB,SZULO_ID,KCIMZETT) VALUES (7,'1/2026',1,1,0,'Valaki')");
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('100100','Saját Szerv')");
        openFromMenu();
        QTest::mouseClick(part("SCButton5"), Qt::LeftButton);
        QCOMPARE(m_asked.size(), 1);
        QVERIFY(m_asked[0].startsWith("Timport_form | Sorszám nullázás megerősítése | Valóban ki szeretné "
                                      "nullázni a futárjegyzékek sorszámozását?"));
        QCOMPARE(scalar("SELECT COUNT(*) FROM B2").toInt(), 1);

        m_answer = ConfirmDialog::Yes;
        QTest::mouseClick(part("SCButton5"), Qt::LeftButton);
        QCOMPARE(scalar("SELECT COUNT(*) FROM B2").toInt(), 0);
        QCOMPARE(scalar("SELECT COUNT(*) FROM B2_ADATOK").toInt(), 0);
        QCOMPARE(scalar("SELECT COUNT(*) FROM SZERVEK").toInt(), 1);
        QCOMPARE(m_services->messages.texts.size(), 2);
        QCOMPARE(m_services->messages.texts[0], QString("Futárjegyzékek sorszámozása kinullázva"));
        QVERIFY(m_services->messages.texts[1].startsWith("A nullázás előtti adatok mentése: "));
        const QString backup =
            m_services->messages.texts[1].mid(QString("A nullázás előtti adatok mentése: ").size());
        QVERIFY(archiveEntries(QDir::fromNativeSeparators(backup)).contains("b2.MYD"));
    }

    void numberingResetStopsAtTheFailingStatement()
    {
        exec("INSERT INTO B2_ADATOK (LSZAM) VALUES (1)");
        exec("INSERT INTO BZS3_ADATOK (LSZAM) VALUES (1)");
        exec("INSERT INTO B2ZSAK_ADATOK (LSZAM) VALUES (1)");
        QStringList log;
        watchStatements(log, "truncate table b2zsak");
        openFromMenu();
        m_answer = ConfirmDialog::Yes;
        QTest::mouseClick(part("SCButton5"), Qt::LeftButton);
        store::TDM1::instance().MyConnection1.setStatementFault({});
        QCOMPARE(m_services->messages.texts.value(0), QString("Hiba történt!"));
        QCOMPARE(scalar("SELECT COUNT(*) FROM B2_ADATOK").toInt(), 0);
        QCOMPARE(scalar("SELECT COUNT(*) FROM BZS3_ADATOK").toInt(), 0);
        QCOMPARE(scalar("SELECT COUNT(*) FROM B2ZSAK_ADATOK").toInt(), 1);
    }
};

QTEST_MAIN(TestGuiDatabase)
#include "tst_gui_database.moc"
