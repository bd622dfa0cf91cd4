#pragma once
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <exception>

// A failure of the record store: a number and the store's own text.
// Numbers follow the classic desktop-database codes the screens test for.
class StoreError : public std::exception
{
public:
    enum Code {
        NoCurrentRecord = 3021,
        NotInEditMode = 3020,
        ItemNotFound = 3265,
        TableNotFound = 3078,
        RecordDeleted = 3167,
        ConversionError = 3421,
        // The program refused a value (a required field left empty); the text is its own
        // message to the desk, shown as it stands.
        ValueRequired = 3314,
        NumericOverflow = 3349,
        ReadOnly = 3027,
        NoCurrentIndex = 3019,
        NotAnIndex = 3800,
        NotSupported = 3251,
        InvalidBookmark = 3159,
        ObjectClosed = 3420,
        FileNotFound = 3024,
        CannotOpen = 3051,
        NotADatabase = 3343,
        EngineError = 3146,
        // The file's own structure is broken (the engine's corrupt or not-a-database codes).
        DamagedBook = 3049,
        TransactionRolledBack = 3034,
        // On a server: the row changed on another desk since this desk read it.
        ChangedElsewhere = 3197,
        // On a server: another desk held the write lock too long, or the server went away.
        Busy = 3218,
        ServerLost = 3151,
        // A value that must be unique is already there.
        Duplicate = 3022,
        // The row would book a technician twice; the store refused it.
        Clash = 3317,
    };

    StoreError(int number, QString text) : m_number(number), m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}
    // Wraps a failure reported by the SQL layer on `db` (the salon book when not given). A file
    // found damaged is named in the text, and from then on nothing more is written to it.
    static StoreError fromSql(const QSqlError &error, const QSqlDatabase &db = QSqlDatabase());

    int number() const { return m_number; }
    const QString &text() const { return m_text; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    int m_number;
    QString m_text;
    QByteArray m_utf8;
};
