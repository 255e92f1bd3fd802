#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

// The four modal yes/no windows: "Igen" answers 1, "Mégsem" 2. One class serves
// Ttorles_form, Tfrissites_kerdezo_form, Tfrissites_rakerdezo_form and Timport_form.
class ConfirmDialog : public QDialog
{
    Q_OBJECT
public:
    enum Answer
    {
        Yes = 1,
        No = 2
    };
    enum class Keys
    {
        EnterAndEsc, // Enter answers "Igen", Esc "Mégsem"
        None
    };
    enum class Look
    {
        DialogFrame,      // Ttorles_form: sky blue, question in bold
        Sizeable,         // Tfrissites_kerdezo_form: sky blue, standard boxes
        FixedCloseOnly,   // Tfrissites_rakerdezo_form: sky blue, close box only
        FixedPlainColour, // Timport_form: close box only, plain window colour
    };

    ConfirmDialog(const QString& objectName, const QString& caption, const QString& question, Look look,
                  Keys keys, QWidget* parent = nullptr);

    static ConfirmDialog* createTorles();
    static ConfirmDialog* createFrissitesKerdezo();
    static ConfirmDialog* createFrissitesRakerdezo();
    static ConfirmDialog* createImport();

    void setQuestion(const QString& question);
    QString question() const;
    void setFirstButtonCaption(const QString& caption);

    // Shows the window modally and returns 1 ("Igen"), 2 ("Mégsem") or 0 (closed by its
    // close box, a declining answer like "Mégsem").
    int ask();

    // Tests answer in place of the operator: while set, ask() calls it instead of
    // showing the window.
    static void setScript(std::function<int(ConfirmDialog&)> script);

public slots:
    void SCButton1Click();
    void SCButton2Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Keeps the width and grows the window when a long question needs more lines.
    void fitQuestion();

    QLabel* Label1;
    QPushButton* SCButton1;
    QPushButton* SCButton2;
    Keys m_keys;
    Look m_look;
};
