#pragma once

#include "lists/ListPrinting.h"

#include <QImage>
#include <QWidget>

class QKeyEvent;
class QLabel;
class QPushButton;
class QScrollArea;

// "Nyomtatási kép": the pages of both copies of a list before they are printed, page by
// page and zoomable, drawn from the same page model as the printer. From here the same
// pages go to the printer or into a PDF file.
class Telonezet_form : public QWidget
{
    Q_OBJECT
public:
    explicit Telonezet_form(QWidget* parent = nullptr);

    // Shows the laid-out copies from their first page.
    void openFor(const lists::ListCopies& copies);

    int pageCount() const { return int(m_pages.size()); }
    int currentPage() const { return m_current; } // 0-based, over both copies
    int zoomPercent() const { return m_zoom; }
    const lists::ListCopies& copies() const { return m_copies; }

    // A page as the window draws it, at the given resolution.
    QImage pageImage(int page, double dotsPerInch) const;

signals:
    // The previewed pages went to the printer and the list's header is stamped.
    void printed(int kind, int listNumber);

public slots:
    void SCButton1Click(); // print
    void SCButton2Click(); // save as PDF
    void SCButton3Click(); // close
    void SCButton4Click(); // previous page
    void SCButton5Click(); // next page

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct PageRef
    {
        int copy;
        int page;
    };

    void showPage(int page);
    void setZoom(int percent);
    void layOut();
    bool FormKeyDown(QKeyEvent* event);

    QLabel* Label1; // page and copy
    QLabel* Label2; // keys
    QScrollArea* ScrollBox1;
    QLabel* Image1;         // the page
    QPushButton* SCButton1; // "Nyomtatás <F8>"
    QPushButton* SCButton2; // "Mentés PDF-be <F9>"
    QPushButton* SCButton3; // "Bezárás <Esc>"
    QPushButton* SCButton4; // "Előző oldal <PgUp>"
    QPushButton* SCButton5; // "Következő oldal <PgDn>"

    lists::ListCopies m_copies;
    std::vector<PageRef> m_pages;
    int m_current = 0;
    int m_zoom = 100;
};
