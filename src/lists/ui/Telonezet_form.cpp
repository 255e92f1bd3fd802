#include "Telonezet_form.h"

#include "app/AppState.h"
#include "app/Services.h"
#include "app/ui/Guard.h"
#include "app/ui/Keyboard.h"
#include "app/ui/Look.h"
#include "lists/ListKind.h"
#include "lists/PagePainter.h"
#include "store/DataModule.h"

#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace {

constexpr int kZoomSteps[] = {25, 33, 50, 67, 75, 100, 125, 150, 200, 300, 400};
constexpr double kScreenDpi = 96.0;
constexpr int kButtonHeight = 25;

} // namespace

Telonezet_form::Telonezet_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Telonezet_form"));
    setWindowTitle(QStringLiteral("Nyomtatási kép"));
    setWindowFlags(Qt::Window);
    // While the preview is up the list behind it stays as it is.
    setWindowModality(Qt::ApplicationModal);
    ui::setSkyBlueBackground(this);
    resize(1000, 800);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 =
        new QLabel(QStringLiteral("Lapozás: PgUp / PgDn, Home / End     Nagyítás: + / −, 100%: 0"), this);
    Label2->setObjectName(QStringLiteral("Label2"));

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setAlignment(Qt::AlignCenter);
    ScrollBox1->setBackgroundRole(QPalette::Dark);
    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    ScrollBox1->setWidget(Image1);

    SCButton4 = ui::makeButton(QStringLiteral("Előző oldal <PgUp>"), QStringLiteral("SCButton4"), this);
    SCButton5 = ui::makeButton(QStringLiteral("Következő oldal <PgDn>"), QStringLiteral("SCButton5"), this);
    SCButton1 = ui::makeButton(QStringLiteral("Nyomtatás <F8>"), QStringLiteral("SCButton1"), this);
    SCButton2 = ui::makeButton(QStringLiteral("Mentés PDF-be <F9>"), QStringLiteral("SCButton2"), this);
    SCButton3 = ui::makeButton(QStringLiteral("Bezárás <Esc>"), QStringLiteral("SCButton3"), this);
    connect(SCButton1, &QPushButton::clicked, this, &Telonezet_form::SCButton1Click);
    connect(SCButton2, &QPushButton::clicked, this, &Telonezet_form::SCButton2Click);
    connect(SCButton3, &QPushButton::clicked, this, &Telonezet_form::SCButton3Click);
    connect(SCButton4, &QPushButton::clicked, this, &Telonezet_form::SCButton4Click);
    connect(SCButton5, &QPushButton::clicked, this, &Telonezet_form::SCButton5Click);

    ui::installKeyPreview(this, [this](QKeyEvent* event) { return FormKeyDown(event); });
    layOut();
}

void Telonezet_form::layOut()
{
    const int w = width();
    const int h = height();
    Label1->adjustSize();
    Label1->move(10, 8);
    Label2->adjustSize();
    Label2->move(std::max(Label1->x() + Label1->width() + 24, w - Label2->width() - 10), 8);
    const int buttonsTop = h - 8 - kButtonHeight;
    ScrollBox1->setGeometry(6, 32, w - 12, std::max(60, buttonsTop - 8 - 32));
    // Each button as wide as its caption, the row centred; on a narrow window they share
    // the width there is.
    const QList<QPushButton*> buttons = {SCButton4, SCButton5, SCButton1, SCButton2, SCButton3};
    QList<int> widths;
    int rowWidth = 4 * 8;
    for (QPushButton* button : buttons) {
        button->ensurePolished();
        widths << std::max(130, button->sizeHint().width() + 16);
        rowWidth += widths.last();
    }
    const double shrink = rowWidth > w - 12 ? double(w - 12 - 4 * 8) / (rowWidth - 4 * 8) : 1.0;
    int left = std::max(6, (w - rowWidth) / 2);
    for (int i = 0; i < buttons.size(); ++i) {
        const int buttonWidth = int(widths[i] * shrink);
        buttons[i]->setGeometry(left, buttonsTop, buttonWidth, kButtonHeight);
        left += buttonWidth + 8;
    }
}

void Telonezet_form::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void Telonezet_form::openFor(const lists::ListCopies& copies)
{
    m_copies = copies;
    m_pages.clear();
    for (int copy = 0; copy < int(m_copies.copies.size()); ++copy)
        for (int page = 0; page < int(m_copies.copies[size_t(copy)].pages.size()); ++page)
            m_pages.push_back({copy, page});
    setWindowTitle(QStringLiteral("Nyomtatási kép – %1, listaszám: %2")
                       .arg(lists::listKind(m_copies.kind).caption)
                       .arg(m_copies.listNumber));
    m_zoom = 100;
    showPage(0);
    show();
    raise();
    activateWindow();
    SCButton1->setFocus();
}

QImage Telonezet_form::pageImage(int page, double dotsPerInch) const
{
    const PageRef ref = m_pages.at(size_t(page));
    const lists::PageModel& model = m_copies.copies.at(size_t(ref.copy));
    const double dotsPerMm = dotsPerInch / 25.4;
    QImage image(
        QSize(int(model.paperMm.width() * dotsPerMm + 0.5), int(model.paperMm.height() * dotsPerMm + 0.5)),
        QImage::Format_RGB32);
    image.setDotsPerMeterX(int(dotsPerMm * 1000 + 0.5));
    image.setDotsPerMeterY(int(dotsPerMm * 1000 + 0.5));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // As the print job does: the origin on the top left corner inside the margins.
    painter.translate(model.marginsMm.left() * dotsPerMm, model.marginsMm.top() * dotsPerMm);
    lists::paintPage(painter, model.pages.at(size_t(ref.page)), model.fontFamily);
    return image;
}

void Telonezet_form::showPage(int page)
{
    if (m_pages.empty()) {
        Label1->setText(QStringLiteral("Nincs nyomtatandó oldal"));
        Image1->clear();
        return;
    }
    m_current = std::clamp(page, 0, pageCount() - 1);
    const PageRef ref = m_pages.at(size_t(m_current));
    const int copyPages = int(m_copies.copies.at(size_t(ref.copy)).pages.size());
    Label1->setText(QStringLiteral("%1. oldal / %2     (%3, %4/%5. oldal)     Nagyítás: %6%")
                        .arg(m_current + 1)
                        .arg(pageCount())
                        .arg(lists::copyLabels().value(ref.copy))
                        .arg(ref.page + 1)
                        .arg(copyPages)
                        .arg(m_zoom));
    Image1->setPixmap(QPixmap::fromImage(pageImage(m_current, kScreenDpi * m_zoom / 100.0)));
    Image1->adjustSize();
    ScrollBox1->verticalScrollBar()->setValue(0);
    SCButton4->setEnabled(m_current > 0);
    SCButton5->setEnabled(m_current + 1 < pageCount());
    layOut();
}

void Telonezet_form::setZoom(int percent)
{
    m_zoom = percent;
    showPage(m_current);
}

void Telonezet_form::SCButton1Click()
{
    ui::guarded([this] {
        if (m_copies.copies.empty())
            return;
        if (lists::printCopies(store::TDM1::instance(), m_copies, app::messages()) !=
            lists::PrintResult::Printed)
            return;
        const int kind = m_copies.kind;
        const int number = m_copies.listNumber;
        close();
        emit printed(kind, number);
    });
}

void Telonezet_form::SCButton2Click()
{
    ui::guarded([this] {
        if (m_copies.copies.empty())
            return;
        const QString path = app::fileDialogs().saveFileName(
            QStringLiteral("PDF-fájl (*.pdf)"), QDir::homePath(), lists::proposedPdfName(m_copies));
        if (path.isEmpty())
            return;
        lists::savePdf(m_copies, path);
        app::messages().inform(QStringLiteral("A jegyzék elmentve: %1").arg(QDir::toNativeSeparators(path)));
    });
}

void Telonezet_form::SCButton3Click()
{
    close();
}

void Telonezet_form::SCButton4Click()
{
    showPage(m_current - 1);
}

void Telonezet_form::SCButton5Click()
{
    showPage(m_current + 1);
}

bool Telonezet_form::FormKeyDown(QKeyEvent* event)
{
    const auto step = [this](int direction) {
        const int* begin = std::begin(kZoomSteps);
        const int* end = std::end(kZoomSteps);
        const int* at = std::find(begin, end, m_zoom);
        const int index = int(at == end ? 5 : at - begin) + direction;
        setZoom(kZoomSteps[std::clamp(index, 0, int(std::size(kZoomSteps)) - 1)]);
    };
    switch (event->key()) {
    case Qt::Key_F8:
        SCButton1Click();
        return true;
    case Qt::Key_F9:
        SCButton2Click();
        return true;
    case Qt::Key_Escape:
        SCButton3Click();
        return true;
    case Qt::Key_PageUp:
        SCButton4Click();
        return true;
    case Qt::Key_PageDown:
        SCButton5Click();
        return true;
    case Qt::Key_Home:
        showPage(0);
        return true;
    case Qt::Key_End:
        showPage(pageCount() - 1);
        return true;
    case Qt::Key_Plus:
        step(+1);
        return true;
    case Qt::Key_Minus:
        step(-1);
        return true;
    case Qt::Key_0:
        setZoom(100);
        return true;
    default:
        return false;
    }
}
