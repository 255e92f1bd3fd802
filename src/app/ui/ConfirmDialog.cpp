#include "ConfirmDialog.h"

#include "Keyboard.h"
#include "Look.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

namespace {
std::function<int(ConfirmDialog&)> g_script;
constexpr int kWidth = 343;
constexpr int kHeight = 94;
} // namespace

ConfirmDialog::ConfirmDialog(const QString& objectName, const QString& caption, const QString& question,
                             Look look, Keys keys, QWidget* parent)
    : QDialog(parent), m_keys(keys), m_look(look)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    switch (look) {
    case Look::DialogFrame:
        flags |= Qt::WindowCloseButtonHint;
        setFixedSize(kWidth, kHeight);
        break;
    case Look::Sizeable:
        flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                Qt::WindowCloseButtonHint;
        resize(kWidth, kHeight);
        break;
    case Look::FixedCloseOnly:
    case Look::FixedPlainColour:
        flags |= Qt::WindowCloseButtonHint;
        setFixedSize(kWidth, kHeight);
        break;
    }
    setWindowFlags(flags);
    if (look != Look::FixedPlainColour)
        ui::setSkyBlueBackground(this);

    Label1 = new QLabel(question, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignCenter);
    if (look == Look::DialogFrame) {
        QFont font = Label1->font();
        font.setBold(true);
        Label1->setFont(font);
    }
    SCButton1 = new QPushButton(QStringLiteral("Igen"), this);
    SCButton1->setObjectName(QStringLiteral("SCButton1"));
    SCButton2 = new QPushButton(QStringLiteral("Mégsem"), this);
    SCButton2->setObjectName(QStringLiteral("SCButton2"));
    for (QPushButton* b : {SCButton1, SCButton2}) {
        ui::styleButton(b);
        b->setMinimumWidth(90);
    }
    connect(SCButton1, &QPushButton::clicked, this, &ConfirmDialog::SCButton1Click);
    connect(SCButton2, &QPushButton::clicked, this, &ConfirmDialog::SCButton2Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SCButton1);
    buttons->addSpacing(24);
    buttons->addWidget(SCButton2);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addWidget(Label1, 1);
    layout->addLayout(buttons);
    fitQuestion();

    if (m_keys == Keys::EnterAndEsc) {
        ui::installKeyPreview(this, [this](QKeyEvent* key) {
            if (key->key() == Qt::Key_Escape) {
                SCButton2Click();
                return true;
            }
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                SCButton1Click();
                return true;
            }
            return false;
        });
    }
}

ConfirmDialog* ConfirmDialog::createTorles()
{
    return new ConfirmDialog(QStringLiteral("Ttorles_form"), QStringLiteral("Törlés megerősítése"),
                             QStringLiteral("Valóban törölni szeretné a kijelölt rekordot?"),
                             Look::DialogFrame, Keys::EnterAndEsc);
}

ConfirmDialog* ConfirmDialog::createFrissitesKerdezo()
{
    return new ConfirmDialog(QStringLiteral("Tfrissites_kerdezo_form"),
                             QStringLiteral("Frissítés megerősítése"), QString(), Look::Sizeable,
                             Keys::EnterAndEsc);
}

ConfirmDialog* ConfirmDialog::createFrissitesRakerdezo()
{
    return new ConfirmDialog(QStringLiteral("Tfrissites_rakerdezo_form"), QString(), QString(),
                             Look::FixedCloseOnly, Keys::None);
}

ConfirmDialog* ConfirmDialog::createImport()
{
    return new ConfirmDialog(
        QStringLiteral("Timport_form"), QString(),
        QStringLiteral(
            "Valóban importálni szeretné az adatokat? FIGYELEM!!! Az eddigi adatok helyreállíthatatlanul "
            "felülíródnak!"),
        Look::FixedPlainColour, Keys::None);
}

void ConfirmDialog::setQuestion(const QString& question)
{
    Label1->setText(question);
    fitQuestion();
}

void ConfirmDialog::fitQuestion()
{
    const QMargins margins = layout()->contentsMargins();
    const int textWidth = width() - margins.left() - margins.right();
    const int needed = margins.top() + Label1->heightForWidth(textWidth) + layout()->spacing() +
                       SCButton1->sizeHint().height() + margins.bottom();
    const int height = std::max(kHeight, needed);
    if (m_look == Look::Sizeable)
        resize(width(), std::max(this->height(), height));
    else
        setFixedHeight(height);
}

void ConfirmDialog::keyPressEvent(QKeyEvent* event)
{
    // Only the two dialogs with keys answer to Escape; the others wait for a button.
    if (event->key() == Qt::Key_Escape && m_keys == Keys::None) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ConfirmDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // For an empty caption the window system would show the program's name; a blank
    // keeps the title bar empty.
    if (windowTitle().isEmpty() && windowHandle())
        windowHandle()->setTitle(QStringLiteral(" "));
    ui::centreOnScreen(this);
}

QString ConfirmDialog::question() const
{
    return Label1->text();
}

void ConfirmDialog::setFirstButtonCaption(const QString& caption)
{
    SCButton1->setText(caption);
}

int ConfirmDialog::ask()
{
    if (g_script)
        return g_script(*this);
    return exec();
}

void ConfirmDialog::setScript(std::function<int(ConfirmDialog&)> script)
{
    g_script = std::move(script);
}

void ConfirmDialog::SCButton1Click()
{
    done(Yes);
}

void ConfirmDialog::SCButton2Click()
{
    done(No);
}
