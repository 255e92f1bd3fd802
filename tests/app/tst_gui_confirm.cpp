#include "app/ui/ConfirmDialog.h"
#include "app/ui/Keyboard.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using testsupport::control;

namespace {

// Sees the key presses that nothing consumed before it.
class KeyRecorder : public QObject
{
public:
    QList<int> keys;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            keys << static_cast<QKeyEvent*>(event)->key();
        return false;
    }
};

// Saves a picture of the window when DISPORA_SHOTS names a folder.
void shoot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("DISPORA_SHOTS");
    if (!folder.isEmpty())
        window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Where a real key press goes: the control with the focus, else the window.
QWidget* keyTarget(QWidget* window)
{
    QWidget* focus = QApplication::focusWidget();
    return focus && focus->window() == window ? focus : window;
}

// Shows the dialog modally and runs `operate` while it is on screen.
int askWhile(ConfirmDialog* dialog, std::function<void()> operate)
{
    QTimer::singleShot(0, dialog, [dialog, operate] {
        dialog->activateWindow();
        QApplication::setActiveWindow(dialog);
        operate();
    });
    return dialog->ask();
}

} // namespace

using Factory = ConfirmDialog* (*)();
Q_DECLARE_METATYPE(Factory)

class TestConfirmDialogs : public QObject
{
    Q_OBJECT

    KeyRecorder* m_recorder = nullptr;

private slots:
    void initTestCase()
    {
        // Installed first, so it is asked last: it sees only what no window consumed.
        m_recorder = new KeyRecorder;
        qApp->installEventFilter(m_recorder);
        ui::installKeyboardConventions(*qApp);
    }
    void init() { m_recorder->keys.clear(); }

    void keys_data()
    {
        QTest::addColumn<Factory>("factory");
        QTest::newRow("Ttorles_form") << &ConfirmDialog::createTorles;
        QTest::newRow("Tfrissites_kerdezo_form") << &ConfirmDialog::createFrissitesKerdezo;
    }
    void keys()
    {
        QFETCH(Factory, factory);
        std::unique_ptr<ConfirmDialog> dialog(factory());
        // Enter confirms even when "Mégsem" has the focus.
        int answer = askWhile(dialog.get(), [&] {
            shoot(dialog.get(), "confirm_" + dialog->objectName());
            control<QPushButton>(dialog.get(), "SCButton2")->setFocus();
            QTest::keyClick(keyTarget(dialog.get()), Qt::Key_Return);
        });
        QCOMPARE(answer, 1);
        answer = askWhile(dialog.get(), [&] {
            control<QPushButton>(dialog.get(), "SCButton1")->setFocus();
            QTest::keyClick(keyTarget(dialog.get()), Qt::Key_Escape);
        });
        QCOMPARE(answer, 2);
        QVERIFY(!m_recorder->keys.contains(Qt::Key_Escape));
        QVERIFY(!m_recorder->keys.contains(Qt::Key_Return));
        QVERIFY(!dialog->isVisible());
    }

    void buttonsAndCloseBox_data()
    {
        QTest::addColumn<Factory>("factory");
        QTest::newRow("Ttorles_form") << &ConfirmDialog::createTorles;
        QTest::newRow("Tfrissites_kerdezo_form") << &ConfirmDialog::createFrissitesKerdezo;
        QTest::newRow("Tfrissites_rakerdezo_form") << &ConfirmDialog::createFrissitesRakerdezo;
        QTest::newRow("Timport_form") << &ConfirmDialog::createImport;
    }
    void buttonsAndCloseBox()
    {
        QFETCH(Factory, factory);
        std::unique_ptr<ConfirmDialog> dialog(factory());
        QPushButton* yes = control<QPushButton>(dialog.get(), "SCButton1");
        QPushButton* no = control<QPushButton>(dialog.get(), "SCButton2");
        QCOMPARE(yes->text(), QString("Igen"));
        QCOMPARE(no->text(), QString("Mégsem"));
        QCOMPARE(askWhile(dialog.get(), [&] { QTest::mouseClick(yes, Qt::LeftButton); }), 1);
        QCOMPARE(askWhile(dialog.get(), [&] { QTest::mouseClick(no, Qt::LeftButton); }), 2);
        const int closed = askWhile(dialog.get(), [&] { dialog->close(); });
        QVERIFY(closed != 1);
        QVERIFY(!dialog->isVisible());
    }

    void dialogsWithoutKeysWaitForAButton_data()
    {
        QTest::addColumn<Factory>("factory");
        QTest::newRow("Tfrissites_rakerdezo_form") << &ConfirmDialog::createFrissitesRakerdezo;
        QTest::newRow("Timport_form") << &ConfirmDialog::createImport;
    }
    void dialogsWithoutKeysWaitForAButton()
    {
        QFETCH(Factory, factory);
        std::unique_ptr<ConfirmDialog> dialog(factory());
        bool stillOpen = false;
        const int answer = askWhile(dialog.get(), [&] {
            QTest::keyClick(keyTarget(dialog.get()), Qt::Key_Escape);
            stillOpen = dialog->isVisible();
            // Enter presses the focused button, whichever it is.
            control<QPushButton>(dialog.get(), "SCButton2")->setFocus();
            QTest::keyClick(keyTarget(dialog.get()), Qt::Key_Return);
        });
        QVERIFY(stillOpen);
        QCOMPARE(answer, 2);
    }

    void captionsAndQuestions()
    {
        std::unique_ptr<ConfirmDialog> torles(ConfirmDialog::createTorles());
        QCOMPARE(torles->objectName(), QString("Ttorles_form"));
        QCOMPARE(torles->windowTitle(), QString("Törlés megerősítése"));
        QCOMPARE(torles->question(), QString("Valóban törölni szeretné a kijelölt rekordot?"));
        QVERIFY(control<QLabel>(torles.get(), "Label1")->font().bold());
        std::unique_ptr<ConfirmDialog> kerdezo(ConfirmDialog::createFrissitesKerdezo());
        QCOMPARE(kerdezo->windowTitle(), QString("Frissítés megerősítése"));
        std::unique_ptr<ConfirmDialog> rakerdezo(ConfirmDialog::createFrissitesRakerdezo());
        QCOMPARE(rakerdezo->windowTitle(), QString());
    }

    void importDialogShowsTheLastCallersTexts()
    {
        std::unique_ptr<ConfirmDialog> dialog(ConfirmDialog::createImport());
        struct Shown
        {
            QString caption, question;
        } shown;
        auto askAs = [&](const QString& caption, const QString& question) {
            dialog->setWindowTitle(caption);
            dialog->setQuestion(question);
            return askWhile(dialog.get(), [&] {
                shown = {dialog->windowTitle(), control<QLabel>(dialog.get(), "Label1")->text()};
                shoot(dialog.get(), "confirm_import");
                QTest::mouseClick(control<QPushButton>(dialog.get(), "SCButton2"), Qt::LeftButton);
            });
        };
        const QString reset =
            "Valóban ki szeretné nullázni a futárjegyzékek sorszámozását? FIGYELEM!!! Az eddigi "
            "adatok helyreállíthatatlanul törlődnek! Ajánlott nullázás előtt mentést készíteni az "
            "Adatbázis exportálása gombra kattintva!";
        QCOMPARE(askAs("Sorszám nullázás megerősítése", reset), 2);
        QCOMPARE(shown.caption, QString("Sorszám nullázás megerősítése"));
        QCOMPARE(shown.question, reset);
        const QString import = "Valóban importálni szeretné az adatokat? FIGYELEM!!! Az eddigi adatok "
                               "helyreállíthatatlanul felülíródnak!";
        QCOMPARE(askAs("Importálás megerősítése", import), 2);
        QCOMPARE(shown.caption, QString("Importálás megerősítése"));
        QCOMPARE(shown.question, import);
    }

    void longQuestionIsReadableWhole()
    {
        std::unique_ptr<ConfirmDialog> dialog(ConfirmDialog::createImport());
        dialog->setQuestion(
            QString("Valóban ki szeretné nullázni a futárjegyzékek sorszámozását? ").repeated(4));
        int labelHeight = 0;
        int needed = 0;
        int width = 0;
        askWhile(dialog.get(), [&] {
            QLabel* question = control<QLabel>(dialog.get(), "Label1");
            labelHeight = question->height();
            needed = question->heightForWidth(question->width());
            width = dialog->width();
            control<QPushButton>(dialog.get(), "SCButton2")->click();
        });
        QCOMPARE(width, 343);
        QVERIFY2(labelHeight >= needed, qPrintable(QString("%1 < %2").arg(labelHeight).arg(needed)));
    }

    void scriptAnswersWithoutAWindow()
    {
        std::unique_ptr<ConfirmDialog> dialog(ConfirmDialog::createTorles());
        QString asked;
        ConfirmDialog::setScript([&](ConfirmDialog& d) {
            asked = d.objectName();
            return 1;
        });
        QCOMPARE(dialog->ask(), 1);
        ConfirmDialog::setScript({});
        QCOMPARE(asked, QString("Ttorles_form"));
        QVERIFY(!dialog->isVisible());
    }
};

QTEST_MAIN(TestConfirmDialogs)
#include "tst_gui_confirm.moc"
