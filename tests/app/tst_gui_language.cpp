#include "app/DateTimeText.h"
#include "app/ui/Language.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTest>

// The test runs under LANG=C, as a machine without a Hungarian locale would.
class TestGuiLanguage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(ui::installHungarian(*qApp)); }

    void standardButtonsAndDialogsAreHungarian()
    {
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QString("Mégse"));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        auto* box = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(box);
        QPushButton* save = box->button(QDialogButtonBox::Save);
        QVERIFY(save);
        QCOMPARE(save->text().remove(u'&'), QString("Mentés"));
    }

    void datesAndNumbersFollowTheHungarianForm()
    {
        QCOMPARE(QLocale().toString(1234.5, 'f', 1), QString("1\u00a0234,5"));
        const QDateTime moment(QDate(2026, 12, 11), QTime(13, 31, 15));
        QCOMPARE(app::parseDateTimeText(app::dateTimeText(moment)), moment);
    }
};

QTEST_MAIN(TestGuiLanguage)
#include "tst_gui_language.moc"
