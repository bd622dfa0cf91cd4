#pragma once
#include "binder.h"
#include "databar.h"
#include "gridmodel.h"

#include <QList>
#include <QPointer>
#include <QSqlDatabase>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

class QCloseEvent;
class QWidget;

// The record set, data bar and binder of one record screen, and the grids beside them, made
// together and destroyed in a safe order: the binder and the grid models first, then the data
// bar, then the record sets. A screen keeps its BoundScreen as a member, so all of it is gone
// before Qt deletes the screen's child widgets.
//
//     frmMember::frmMember() : m_bound(this, QStringLiteral("Customers"), QStringLiteral("datCustomer"))
//     m_bound.binder()->bind(txtLastname, QStringLiteral("LastName"));
//     auto journal = m_bound.addGrid(journalSource(m_bound.database(), 1), columns);   // a second set in a grid
//     void closeEvent(QCloseEvent *event) override { m_bound.close(event); }
class BoundScreen
{
public:
    // Opens `source` on the salon's book (or `db`); the data bar is a child of `screen` named
    // `barName`, and reports the binder's errors. Throws StoreError when the source cannot be opened.
    BoundScreen(QWidget *screen, const QString &source, const QString &barName, QSqlDatabase db = {});
    ~BoundScreen();
    BoundScreen(const BoundScreen &) = delete;
    BoundScreen &operator=(const BoundScreen &) = delete;

    RecordSet *records() const { return m_records.get(); }
    DataBar *bar() const { return m_bar; }
    Binder *binder() const { return m_binder.get(); }

    // A second record set shown through a grid model, owned with the screen. Its keys are read
    // at the first use, so a grid re-pointed at once (at the current customer's rows) never
    // reads its whole table. Throws StoreError.
    struct Grid
    {
        RecordSet *records;
        GridModel *model;
    };
    Grid addGrid(const QString &source, QList<GridModel::Column> columns);
    Grid addGrid(RecordSource source, QList<GridModel::Column> columns);
    QSqlDatabase database() const { return m_db; }

    // Another record set of the screen, with the binder that shows it (or none), re-read with
    // the others when another desk commits.
    void follow(RecordSet *records, Binder *binder = nullptr);

    // Closing the screen by any means: the normal pointer, then pending edits are stored; when
    // they cannot be, the data bar says why and the close is refused, so nothing is lost.
    void close(QCloseEvent *event);

private:
    // On a server, after another desk committed: the screen's record sets re-read, each
    // staying on its row. While a row is being typed in (boxes edited, a row being added or
    // edited) the re-read waits until it is saved or abandoned, so the typing is not lost.
    void followOtherDesks();
    bool typing() const;
    void watchBinder(Binder *binder);

    Grid keepGrid(std::unique_ptr<RecordSet> records, QList<GridModel::Column> columns);

    QSqlDatabase m_db;
    std::unique_ptr<RecordSet> m_records;
    QPointer<DataBar> m_bar;
    std::unique_ptr<Binder> m_binder;
    std::vector<std::unique_ptr<RecordSet>> m_gridRecords;
    std::vector<std::unique_ptr<GridModel>> m_gridModels;
    std::vector<std::pair<QPointer<RecordSet>, QPointer<Binder>>> m_followed;
    bool m_stale = false;   // another desk committed while a row was being typed in
};
