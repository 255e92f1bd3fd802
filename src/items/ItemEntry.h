#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace app {
class MessageService;
}

namespace store {
class TDM1;
}

namespace lists {
struct ListKindInfo;
}

namespace items {

// The stored-row rules of one save of the item entry dialog, for one list kind.
class ItemEntry
{
public:
    ItemEntry(store::TDM1& dm, const lists::ListKindInfo& kind);

    // One save: the consignment as entered.
    struct Consignment
    {
        int listNumber = 0;
        int mjel = 0;  // the level; 0 on the NATO kinds
        int count = 0; // pieces
        QString registration;
        QString addresseeName;
        QString addresseeCode;
    };
    // The texts of the workspace's two addressee boxes; the list header takes the
    // active-list one.
    struct ListAddressees
    {
        QString active;
        QString previous;
    };
    // How the entry dialog reads them from the workspace that opened it, at each save.
    using AddresseeReader = std::function<ListAddressees()>;

    // Why a consignment cannot be stored as it stands, and the field to mend.
    enum class Field
    {
        Registration,
        Addressee,
        Count,
    };
    struct Refusal
    {
        Field field;
        QString message;
    };
    // Checks a consignment against what the item table can take, before anything is
    // written: the lengths of the texts, the number of rows one save makes, and the
    // number-less total. No value when it can be stored.
    std::optional<Refusal> refusal(const Consignment& consignment);

    // The most pieces one save stores as rows of their own (a few seconds of writing).
    static constexpr int kMaxPieceRows = 9999;
    static constexpr int kMaxTextLength = 255; // IKTSZAM, KCIMZETT, KCIMZETT_AZ

    // Stores the consignment's rows (nothing when refusal() has a reason, which goes to
    // `messages`), refreshes the item view and writes the list header. An insert that fails
    // is retried once after a rebuild of the item table; a second failure is reported to `messages` and the
    // save goes on.
    void add_items(const Consignment& consignment, const ListAddressees& addressees,
                   app::MessageService& messages);

    // The register code of a name (leading and trailing blanks aside), or "0" for a name
    // the register does not know.
    QString addresseeCode(const QString& name);
    // The register's short name for a code, or empty text.
    QString lookup_short_name(const QString& code);
    // Whether the register marks this organisation as taking classified mail only.
    bool takesClassifiedOnly(const QString& name);

    static const QString kInsertFailed;

private:
    // `rows` guarded inserts of the same row with serial 0; the renumbering gives each its place.
    void insertRows(int listNumber, const QString& iktszam, int mjel, const QString& kcimzett,
                    const QString& kcimzettAz, int szamnelkuli, int db, int rows,
                    app::MessageService& messages);
    void writeListHeader(int listNumber, const ListAddressees& addressees);
    void refreshItemView();

    store::TDM1& m_dm;
    const lists::ListKindInfo& m_kind;
    bool m_viewStale = false;
};

} // namespace items
