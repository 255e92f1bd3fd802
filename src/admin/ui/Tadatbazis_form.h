#pragma once

#include <QDateTime>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// The database operations window "Adatbázis műveletek": register refresh, backup,
// restore and the numbering reset.
class Tadatbazis_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tadatbazis_form(QWidget* parent = nullptr);

    // Filled and shown by the main menu: all four groups.
    void openFromMenu(const QString& programFolder);
    // Opened by the settings for a code the register lacks: only the refresh group, with
    // the stored register version.
    void openFromSettings();

    // Window heights: all four groups, or only the register refresh.
    static constexpr int kFullHeight = 450;
    static constexpr int kRefreshOnlyHeight = 208;
    void showAllGroups();
    void showRefreshGroupOnly();

    // Where the archive support is taken from (the program folder).
    void setZipLibraryFolder(const QString& folder) { m_zipLibraryFolder = folder; }
    QString zipLibraryFolder() const { return m_zipLibraryFolder; }

public slots:
    void SCButton1Click(); // "Tallózás"
    void SCButton2Click(); // "Frissítés indítása"
    void SCButton3Click(); // "Adatbázis exportálása"
    void SCButton4Click(); // "Adatbázis importálása"
    void SCButton5Click(); // "Sorszám nullázás"

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Empties the refresh group and shows the stored register version.
    void prepareRefreshGroup();
    void refresh();
    // Shows the refresh progress: rows written of the rows in the file.
    void showProgress(int written, int total);

    QGroupBox* SCGroupBox1; // "SZERVEK adatbázis frissítése"
    QGroupBox* SCGroupBox2; // "Adatbázis exportálás (biztonsági másolat készítése)"
    QGroupBox* SCGroupBox3; // "Adatbázis importálás (visszatöltés biztonsági másolatból)"
    QGroupBox* SCGroupBox4; // "Futárjegyzék sorszámozások év eleji nullázása"
    QLineEdit* Edit1;       // stored register version (read-only)
    QLineEdit* Edit2;       // chosen spreadsheet (read-only)
    QPushButton* SCButton1; // "Tallózás"
    QPushButton* SCButton2; // "Frissítés indítása"
    QPushButton* SCButton3; // "Adatbázis exportálása"
    QPushButton* SCButton4; // "Adatbázis importálása"
    QPushButton* SCButton5; // "Sorszám nullázás"
    QProgressBar* JvGradientProgressBar1;
    QLabel* Label3; // rows written / rows in the file

    QString m_zipLibraryFolder;
    QString m_programFolder;
    QString m_importStartFolder;
    QDateTime m_newVersion; // read by the last file check
};
