#include "app/ui/Keyboard.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

// A focused button is pressed by Enter as well as by Space, in every kind of window.
class TestKeyboard : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ui::installKeyboardConventions(*qApp); }

    void enterAndSpacePressTheFocusedButton_data()
    {
        QTest::addColumn<bool>("dialog");
        QTest::addColumn<int>("key");
        QTest::newRow("window, Return") << false << int(Qt::Key_Return);
        QTest::newRow("window, keypad Enter") << false << int(Qt::Key_Enter);
        QTest::newRow("window, Space") << false << int(Qt::Key_Space);
        QTest::newRow("dialog, Return") << true << int(Qt::Key_Return);
        QTest::newRow("dialog, Space") << true << int(Qt::Key_Space);
    }
    void enterAndSpacePressTheFocusedButton()
    {
        QFETCH(bool, dialog);
        QFETCH(int, key);
        std::unique_ptr<QWidget> window(dialog ? new QDialog : new QWidget);
        auto* layout = new QVBoxLayout(window.get());
        auto* first = new QPushButton("Első", window.get());
        auto* second = new QPushButton("Második", window.get());
        first->setAutoDefault(false);
        second->setAutoDefault(false);
        layout->addWidget(first);
        layout->addWidget(second);
        window->show();
        QApplication::setActiveWindow(window.get());
        second->setFocus();
        QTRY_VERIFY(second->hasFocus());
        QSignalSpy firstClicks(first, &QPushButton::clicked);
        QSignalSpy secondClicks(second, &QPushButton::clicked);
        QTest::keyClick(second, Qt::Key(key));
        QCOMPARE(secondClicks.count(), 1);
        QCOMPARE(firstClicks.count(), 0);
    }

    void disabledButtonAndEditsAreLeftAlone()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* button = new QPushButton("Gomb", &window);
        auto* edit = new QLineEdit(&window);
        auto* radio = new QRadioButton("Ez legyen használva", &window);
        layout->addWidget(button);
        layout->addWidget(edit);
        layout->addWidget(radio);
        window.show();
        QApplication::setActiveWindow(&window);
        QSignalSpy clicks(button, &QPushButton::clicked);

        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(clicks.count(), 0);

        radio->setFocus();
        QTRY_VERIFY(radio->hasFocus());
        QTest::keyClick(radio, Qt::Key_Return);
        QVERIFY(radio->isChecked());

        button->setFocus();
        QTRY_VERIFY(button->hasFocus());
        button->setEnabled(false);
        QTest::keyClick(&window, Qt::Key_Return);
        QCOMPARE(clicks.count(), 0);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_gui_keyboard.moc"
