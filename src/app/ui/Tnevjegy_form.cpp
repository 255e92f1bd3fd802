#include "Tnevjegy_form.h"

#include "Look.h"
#include "TForm1.h"
#include "Windows.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

Tnevjegy_form::Tnevjegy_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tnevjegy_form"));
    setWindowTitle(QStringLiteral("Dispora program névjegye"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    ui::setCaptionGradientBackground(this);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/logo.png")));

    Label1 = new QLabel(QStringLiteral("Dispora"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont big = Label1->font();
    big.setPointSize(26);
    big.setBold(true);
    Label1->setFont(big);
    QPalette blue = Label1->palette();
    blue.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xFF));
    Label1->setPalette(blue);

    Label2 = new QLabel(QStringLiteral("Verzió 2.1.3 (2012-10-16)"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);

    auto* texts = new QVBoxLayout;
    texts->addStretch();
    texts->addWidget(Label1);
    texts->addWidget(Label2);
    texts->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(Image1);
    layout->addSpacing(20);
    layout->addLayout(texts);
    setFixedSize(380, 160);
}

void Tnevjegy_form::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ui::centreOnScreen(this);
}

void Tnevjegy_form::closeEvent(QCloseEvent* event)
{
    ui::windows().form1->show();
    QWidget::closeEvent(event);
}
