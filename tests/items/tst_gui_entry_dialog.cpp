#include "app/AppState.h"
#include "app/ui/Windows.h"
#include "items/ItemEntry.h"
#include "items/ui/Tkereso_form.h"
#include "items/ui/Ttetelek_felvetele_form.h"
#include "lists/ListKind.h"
#include "lists/ui/ListWorkspace.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

using namespace testsupport;

namespace {

Ttetelek_felvetele_form* dialog()
{
    return ui::windows().tetelek_felvetele_form;
}

QStringList& messages()
{
    return installServices().messages.texts;
}

// Keys go to an open popup list first, else to the focused control.
QWidget* keyTarget()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup;
    return QApplication::focusWidget();
}

// Types into whatever has the focus, as the operator does; accented letters too.
void type(const QString& text)
{
    for (const QChar c : text) {
        QWidget* target = keyTarget();
        if (c.unicode() < 128) {
            QTest::keyClick(target, char(c.unicode()));
            QCoreApplication::processEvents();
        } else {
            QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

void press(Qt::Key key)
{
    QTest::keyClick(keyTarget(), key);
}

// "IKTSZAM|MJEL|KCIMZETT|KCIMZETT_AZ|SZAMNELKULI|SORSZAM|DB" of a kind's rows in id order.
QStringList storedItems(int kind)
{
    return rows(QStringLiteral("SELECT IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB FROM %1 "
                               "ORDER BY TETEL_ID")
                    .arg(lists::listKind(kind).itemTable));
}

const QString kCountMissing = QStringLiteral("Küldemény darabszáma nincs megadva!");
const QString kCountZero = QStringLiteral("Küldemény darabszáma nem lehet nulla!");
const QString kRegistrationMissing = QStringLiteral("Iktatószám nincs megadva!");
const QString kAddresseeMissing = QStringLiteral("Küldemény címzettje nincs megadva!");
const QString kClassifiedOnly =
    QStringLiteral("FIGYELEM!! A kiválasztott szerv csak minősített küldeményt fogadhat!");

} // namespace

class TestEntryDialog : public QObject
{
    Q_OBJECT

    ListWorkspace* m_workspace = nullptr;

    // Opens the kind's workspace from the menu and its active list; the entry dialog
    // then opens by itself, since the settings name a list addressee.
    bool openEntry(int kind)
    {
        app::appState().currentListKind = kind;
        m_workspace = ui::windows().workspace(kind);
        m_workspace->openFromMenu();
        control<QPushButton>(m_workspace, "SCButton1")->click();
        if (!QTest::qWaitFor([] { return dialog()->isVisible(); }))
            return false;
        return QTest::qWaitForWindowActive(dialog());
    }

    QWidget* focus() const { return QApplication::focusWidget(); }

private slots:
    void initTestCase()
    {
        installServices();
        createWindowsOnce();
    }

    void init()
    {
        resetTables();
        messages().clear();
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
        dialog()->enable_list_workspaces();
        exec("INSERT INTO BEALLITASOK (NEV,SZERVKOD,FUTARJEGYZEK_CIMZETTJE) VALUES "
             "('Saját','123456','Futárszolgálat')");
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV,ROVIDNEV,MINOSITETT) VALUES "
             "('100001','Honvédelmi Minisztérium','HM',0),('100002','Belügyminisztérium','',1),"
             "('100003','Honvéd Kórház','HK',0),('100004','Bács-Kiskun Megyei Kormányhivatal','BKMKH',0),"
             "('100005','Baranya Megyei Kormányhivatal','',0),('100006','Békés Megyei Kormányhivatal','',0),"
             "('100007','Borsod Megyei Kormányhivatal','',0),('100008','Budapest Főváros "
             "Kormányhivatala','',0),"
             "('100009','Bírósági Hivatal','',0)");
    }

    void classifiedPiecesTypedByKeys()
    {
        QVERIFY(openEntry(1));
        QCOMPARE(focus(), control<QLineEdit>(dialog(), "Edit3"));
        QVERIFY(control<QGroupBox>(dialog(), "SCGroupBox2")->isHidden());
        type("3");
        QVERIFY(control<QRadioButton>(dialog(), "SCRadioButton5")->isChecked());
        QVERIFY(!control<QGroupBox>(dialog(), "SCGroupBox2")->isHidden());
        QCOMPARE(control<QGroupBox>(dialog(), "SCGroupBox2")->title(),
                 QString("Bizalmas minősítésű küldemény"));
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        // Typing drops down the matching names; one Enter takes the highlighted one.
        type("honvédelmi");
        QTRY_VERIFY(control<QComboBox>(dialog(), "Edit4")->completer()->popup()->isVisible());
        press(Qt::Key_Return);
        QCOMPARE(control<QComboBox>(dialog(), "Edit4")->currentText(), QString("Honvédelmi Minisztérium"));
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit5"));
        QVERIFY(!control<QComboBox>(dialog(), "Edit4")->completer()->popup()->isVisible());
        type("I-123/2026");
        press(Qt::Key_Return);
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit6"));
        // Entering the empty count puts 1 into it, selected, so typing replaces it.
        QCOMPARE(control<QLineEdit>(dialog(), "Edit6")->text(), QString("1"));
        type("x3");
        QCOMPARE(control<QLineEdit>(dialog(), "Edit6")->text(), QString("3"));
        press(Qt::Key_Return);

        QCOMPARE(storedItems(1), (QStringList{"I-123/2026|3|HM|100001|3|1|1", "I-123/2026|3|HM|100001|3|2|1",
                                              "I-123/2026|3|HM|100001|3|3|1"}));
        QCOMPARE(rows("SELECT LSZAM, JCIMZETT FROM B2_ADATOK"), QStringList{"1|Futárszolgálat"});
        QVERIFY(messages().isEmpty());
        // Ready for the next consignment of the same level.
        QCOMPARE(control<QLineEdit>(dialog(), "Edit3")->text(), QString("3"));
        QVERIFY(control<QComboBox>(dialog(), "Edit4")->currentText().isEmpty());
        QVERIFY(control<QLineEdit>(dialog(), "Edit5")->text().isEmpty());
        QVERIFY(control<QLineEdit>(dialog(), "Edit6")->text().isEmpty());
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        QCOMPARE(control<QTableView>(m_workspace, "DBGrid1")->model()->rowCount(), 3);
        QCOMPARE(control<QTableView>(m_workspace, "DBGrid1")->model()->index(2, 0).data().toString(),
                 QString("3"));
    }

    void completionListShowsFiveRows()
    {
        QVERIFY(openEntry(2));
        type("2");
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        type("b");
        QAbstractItemView* popup = control<QComboBox>(dialog(), "Edit4")->completer()->popup();
        QTRY_VERIFY(popup->isVisible());
        QCOMPARE(popup->model()->rowCount(), 7);
        const int rowHeight = popup->sizeHintForRow(0);
        QVERIFY(popup->height() >= 5 * rowHeight);
        QVERIFY(popup->height() < 6 * rowHeight);
        // Moving down the list picks another name; Enter takes that one.
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit5"));
        QCOMPARE(control<QComboBox>(dialog(), "Edit4")->currentText(),
                 popup->model()->index(1, 0).data().toString());
    }

    void emptyFieldsAreReportedInOrder_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("national") << 3 << QStringList{kCountMissing, kRegistrationMissing, kAddresseeMissing};
        QTest::newRow("NATO") << 4 << QStringList{kAddresseeMissing, kRegistrationMissing, kCountMissing};
    }
    void emptyFieldsAreReportedInOrder()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, expected);
        QVERIFY(openEntry(kind));
        if (lists::listKind(kind).hasClassificationChoice) {
            type("1");
            QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        }
        int renumbered = 0;
        store::TDM1::instance().MyConnection1.setStatementFault(
            [&](const QString& sql) -> std::optional<QString> {
                if (sql.contains("WHERE LSZAM=:LSZAM AND SZULO_ID=0 LIMIT 1"))
                    ++renumbered;
                return std::nullopt;
            });
        QTest::mouseClick(control<QPushButton>(dialog(), "SCButton3"), Qt::LeftButton);
        store::TDM1::instance().MyConnection1.setStatementFault({});
        QCOMPARE(messages(), expected);
        QWidget* const last = lists::listKind(kind).hasClassificationChoice
                                  ? static_cast<QWidget*>(control<QComboBox>(dialog(), "Edit4"))
                                  : control<QLineEdit>(dialog(), "Edit6");
        QTRY_COMPARE(focus(), last);
        QVERIFY(storedItems(kind).isEmpty());
        QVERIFY(rows(QStringLiteral("SELECT * FROM %1").arg(lists::listKind(kind).headerTable)).isEmpty());
        // The list is renumbered even when nothing was stored.
        QCOMPARE(renumbered, 1);
    }

    void zeroCountIsRefused()
    {
        QVERIFY(openEntry(1));
        type("5");
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        type("Kiss és Társa Kft.");
        press(Qt::Key_Return);
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit5"));
        type("N-5");
        press(Qt::Key_Return);
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit6"));
        press(Qt::Key_Backspace);
        type("0");
        press(Qt::Key_Return);
        QCOMPARE(messages(), QStringList{kCountZero});
        QCOMPARE(focus(), control<QLineEdit>(dialog(), "Edit6"));
        QVERIFY(storedItems(1).isEmpty());
        // Corrected, the consignment goes in; an unknown addressee is kept as typed with code 0.
        press(Qt::Key_Backspace);
        type("4");
        press(Qt::Key_Return);
        QCOMPARE(storedItems(1), QStringList{"N-5|5|Kiss és Társa Kft.|0|4|1|4"});
    }

    // An entry the item table cannot take is refused with the cursor in the field to mend,
    // and what was typed stays.
    void unstorableEntryKeepsTheFields_data()
    {
        QTest::addColumn<QString>("addressee");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("message");
        QTest::newRow("addressee of 300 characters") << QString(300, u'a') << "2"
                                                     << "Edit4"
                                                     << "A címzett neve legfeljebb 255 karakter lehet!";
        QTest::newRow("999,999,999 pieces") << "Kiss és Társa Kft."
                                            << "999999999"
                                            << "Edit6"
                                            << "Egy mentéssel legfeljebb 9999";
    }
    void unstorableEntryKeepsTheFields()
    {
        QFETCH(QString, addressee);
        QFETCH(QString, count);
        QFETCH(QString, field);
        QFETCH(QString, message);
        QVERIFY(openEntry(1));
        type("3");
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        control<QComboBox>(dialog(), "Edit4")->setEditText(addressee);
        control<QLineEdit>(dialog(), "Edit5")->setText("I-7");
        control<QLineEdit>(dialog(), "Edit6")->setText(count);
        QTest::mouseClick(control<QPushButton>(dialog(), "SCButton3"), Qt::LeftButton);
        QCOMPARE(messages().size(), 1);
        QVERIFY2(messages().first().startsWith(message), qPrintable(messages().first()));
        QTRY_COMPARE(focus()->objectName(), field);
        QVERIFY(storedItems(1).isEmpty());
        QCOMPARE(control<QComboBox>(dialog(), "Edit4")->currentText(), addressee);
        QCOMPARE(control<QLineEdit>(dialog(), "Edit6")->text(), count);
    }

    void numberlessPiecesAccumulate()
    {
        QVERIFY(openEntry(3));
        type("6");
        QVERIFY(control<QRadioButton>(dialog(), "SCRadioButton8")->isChecked());
        QCOMPARE(control<QGroupBox>(dialog(), "SCGroupBox2")->title(), QString("Sima számnélküli küldemény"));
        QVERIFY(control<QComboBox>(dialog(), "Edit4")->isHidden());
        QVERIFY(control<QLineEdit>(dialog(), "Edit5")->isHidden());
        QCOMPARE(control<QLabel>(dialog(), "Label7")->text(), QString("db számnélküli küldemény"));
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit6"));
        QCOMPARE(control<QLineEdit>(dialog(), "Edit6")->text(), QString("1"));
        press(Qt::Key_Backspace);
        type("2");
        press(Qt::Key_Return);
        // Back at the level step.
        QVERIFY(control<QGroupBox>(dialog(), "SCGroupBox2")->isHidden());
        QVERIFY(control<QLineEdit>(dialog(), "Edit3")->text().isEmpty());
        QVERIFY(!control<QRadioButton>(dialog(), "SCRadioButton8")->isChecked());
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit3"));
        type("6");
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit6"));
        press(Qt::Key_Backspace);
        type("5");
        press(Qt::Key_Return);
        QCOMPARE(storedItems(3), QStringList{"|6|||7|1|7"});
        QVERIFY(messages().isEmpty());
    }

    void natoConsignment()
    {
        QVERIFY(openEntry(5));
        QVERIFY(control<QGroupBox>(dialog(), "SCGroupBox1")->isHidden());
        QVERIFY(!control<QGroupBox>(dialog(), "SCGroupBox2")->isHidden());
        QVERIFY(control<QPushButton>(dialog(), "SCButton1")->isHidden());
        QCOMPARE(control<QLabel>(dialog(), "Label7")->text(), QString("Darabszám:"));
        QCOMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        type("Honvéd K");
        press(Qt::Key_Return);
        QCOMPARE(control<QComboBox>(dialog(), "Edit4")->currentText(), QString("Honvéd Kórház"));
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit5"));
        type("NATO-1");
        press(Qt::Key_Return);
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit6"));
        press(Qt::Key_Backspace);
        type("2");
        press(Qt::Key_Return);
        QCOMPARE(storedItems(5), (QStringList{"NATO-1|0|HK|100003|0|1|1", "NATO-1|0|HK|100003|0|2|1"}));
        QVERIFY(control<QComboBox>(dialog(), "Edit4")->currentText().isEmpty());
        QVERIFY(control<QLineEdit>(dialog(), "Edit5")->text().isEmpty());
        QVERIFY(control<QLineEdit>(dialog(), "Edit6")->text().isEmpty());
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        // Esc closes the NATO dialog at once.
        press(Qt::Key_Escape);
        QVERIFY(!dialog()->isVisible());
        QVERIFY(m_workspace->isEnabled());
    }

    void aNewDigitReplacesTheOld()
    {
        QVERIFY(openEntry(1));
        type("2");
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        type("Bel");
        // The first Esc closes the name list, the next one returns to the level step,
        // keeping the digit.
        QVERIFY(QApplication::activePopupWidget());
        press(Qt::Key_Escape);
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(!control<QGroupBox>(dialog(), "SCGroupBox2")->isHidden());
        press(Qt::Key_Escape);
        QVERIFY(dialog()->isVisible());
        QVERIFY(control<QGroupBox>(dialog(), "SCGroupBox2")->isHidden());
        QCOMPARE(control<QLineEdit>(dialog(), "Edit3")->text(), QString("2"));
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit3"));
        type("4");
        QCOMPARE(control<QLineEdit>(dialog(), "Edit3")->text(), QString("4"));
        QVERIFY(control<QRadioButton>(dialog(), "SCRadioButton6")->isChecked());
        QCOMPARE(control<QGroupBox>(dialog(), "SCGroupBox2")->title(),
                 QString("Korlátozott terjesztésű küldemény"));
        // Another level discards what was typed in the details.
        QVERIFY(control<QComboBox>(dialog(), "Edit4")->currentText().isEmpty());
        // Letters, other digits and Enter do not reach the level field.
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        press(Qt::Key_Escape);
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit3"));
        type("a9");
        press(Qt::Key_Return);
        QCOMPARE(control<QLineEdit>(dialog(), "Edit3")->text(), QString("4"));
        // "Vissza" empties the level.
        control<QRadioButton>(dialog(), "SCRadioButton3")->click();
        QCOMPARE(control<QLineEdit>(dialog(), "Edit3")->text(), QString("1"));
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        control<QPushButton>(dialog(), "SCButton1")->click();
        QVERIFY(control<QGroupBox>(dialog(), "SCGroupBox2")->isHidden());
        QVERIFY(control<QLineEdit>(dialog(), "Edit3")->text().isEmpty());
        QVERIFY(!control<QRadioButton>(dialog(), "SCRadioButton3")->isChecked());
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit3"));
        // Saving at the level step stores nothing.
        control<QPushButton>(dialog(), "SCButton3")->click();
        QVERIFY(storedItems(1).isEmpty());
        QVERIFY(messages().isEmpty());
    }

    void registrationEnterGoesBackToAnEmptyAddressee()
    {
        QVERIFY(openEntry(1));
        type("1");
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        press(Qt::Key_Tab);
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit5"));
        type("X-1");
        press(Qt::Key_Return);
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
    }

    void classifiedOnlyAddresseeIsWarnedAbout()
    {
        QVERIFY(openEntry(2));
        type("5");
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        type("Belügy");
        press(Qt::Key_Return);
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit5"));
        QTRY_COMPARE(messages(), QStringList{kClassifiedOnly});
        // Only a warning: the consignment is stored.
        type("B-1");
        press(Qt::Key_Return);
        QTRY_COMPARE(focus(), control<QLineEdit>(dialog(), "Edit6"));
        press(Qt::Key_Return);
        QCOMPARE(storedItems(2), QStringList{"B-1|5|Belügyminisztérium|100002|1|1|1"});
    }

    void enterInAnEmptyAddresseeOpensTheSearch()
    {
        QVERIFY(openEntry(4));
        QCOMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        press(Qt::Key_Return);
        QTRY_VERIFY(ui::windows().kereso_form->isVisible());
        QVERIFY(!dialog()->isEnabled());
        QVERIFY(QTest::qWaitForWindowActive(ui::windows().kereso_form));
        press(Qt::Key_Escape);
        QTRY_VERIFY(!ui::windows().kereso_form->isVisible());
        QVERIFY(dialog()->isEnabled());
        QVERIFY(control<QComboBox>(dialog(), "Edit4")->currentText().isEmpty());
    }

    void closingEnablesEveryWorkspace_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Esc at the level step") << "esc";
        QTest::newRow("Mégse") << "cancel";
        QTest::newRow("close box") << "close";
    }
    void closingEnablesEveryWorkspace()
    {
        QFETCH(QString, how);
        QVERIFY(openEntry(1));
        ListWorkspace* other = ui::windows().workspace(3);
        other->setEnabled(false);
        control<QPushButton>(other, "SCButton8")->setEnabled(false);
        QVERIFY(!m_workspace->isEnabled());
        QVERIFY(!control<QPushButton>(m_workspace, "SCButton3")->isEnabled());
        if (how == "esc")
            press(Qt::Key_Escape);
        else if (how == "cancel")
            control<QPushButton>(dialog(), "SCButton4")->click();
        else
            dialog()->close();
        QVERIFY(!dialog()->isVisible());
        for (ListWorkspace* w : ui::windows().workspaces()) {
            QVERIFY(w->isEnabled());
            for (QPushButton* b :
                 {control<QPushButton>(w, "SCButton3"), control<QPushButton>(w, "SCButton4"),
                  control<QPushButton>(w, "SCButton5"), control<QPushButton>(w, "SCButton6"),
                  control<QPushButton>(w, "SCButton7"), control<QPushButton>(w, "SCButton8"),
                  control<QPushButton>(w, "SCButton9"), control<QPushButton>(w, "SCButton10")})
                QVERIFY(b->isEnabled());
        }
    }

    void layoutsOfTheDetails()
    {
        QVERIFY(openEntry(1));
        type("2");
        QCOMPARE(control<QLineEdit>(dialog(), "Edit6")->geometry().topLeft(), QPoint(144, 96));
        QCOMPARE(control<QLineEdit>(dialog(), "Edit6")->width(), 50);
        QCOMPARE(control<QLabel>(dialog(), "Label7")->pos(), QPoint(16, 102));
        QCOMPARE(control<QLabel>(dialog(), "Label7")->text(), QString("Darabszám"));
        QTRY_COMPARE(focus(), control<QComboBox>(dialog(), "Edit4"));
        press(Qt::Key_Escape);
        type("6");
        QCOMPARE(control<QLineEdit>(dialog(), "Edit6")->geometry().topLeft(), QPoint(24, 32));
        QCOMPARE(control<QLabel>(dialog(), "Label7")->pos(), QPoint(84, 34));
        QCOMPARE(dialog()->size(), QSize(866, 270));
        QCOMPARE(control<QLabel>(dialog(), "Label4")->text(), QString("Küldemény jelzése:"));
    }
};

QTEST_MAIN(TestEntryDialog)
#include "tst_gui_entry_dialog.moc"
