#include "boundscreen.h"

#include "binder.h"
#include "boundform.h"
#include "databar.h"
#include "database.h"
#include "recordset.h"

#include <QWidget>

BoundScreen::BoundScreen(QWidget *screen, const QString &source, const QString &barName, QSqlDatabase db)
    : m_db(db.isValid() ? db : salon::employeeDb())
{
    m_records = std::make_unique<RecordSet>(m_db, source);
    m_bar = new DataBar(m_records.get(), screen);
    m_bar->setObjectName(barName);
    m_binder = std::make_unique<Binder>(m_records.get());
    m_binder->setErrorReporter([bar = m_bar](const StoreError &error) {
        if (bar)
            bar->reportError(error);
    });
    if (salon::isServer(m_db)) {
        QObject::connect(salon::OtherDesks::instance(), &salon::OtherDesks::committed, m_binder.get(),
                         [this] { followOtherDesks(); });
        watchBinder(m_binder.get());
    }
}

void BoundScreen::follow(RecordSet *records, Binder *binder)
{
    m_followed.emplace_back(records, binder);
    if (binder && salon::isServer(m_db))
        watchBinder(binder);
}

void BoundScreen::watchBinder(Binder *binder)
{
    // A row saved or abandoned: a re-read that waited for it runs once the screen is done.
    QObject::connect(binder, &Binder::shown, m_binder.get(), [this] {
        if (m_stale)
            QMetaObject::invokeMethod(m_binder.get(), [this] {
                if (m_stale)
                    followOtherDesks();
            }, Qt::QueuedConnection);
    });
}

bool BoundScreen::typing() const
{
    auto editing = [](const RecordSet *records) { return records && records->editMode() != RecordSet::EditMode::None; };
    if (m_binder->isDirty() || editing(m_records.get()))
        return true;
    for (const auto &records : m_gridRecords)
        if (editing(records.get()))
            return true;
    for (const auto &[records, binder] : m_followed)
        if (editing(records) || (binder && binder->isDirty()))
            return true;
    return false;
}

void BoundScreen::followOtherDesks()
{
    if (typing()) {
        m_stale = true;
        return;
    }
    m_stale = false;
    try {
        m_records->reread();
        for (const auto &records : m_gridRecords)
            records->reread();
        for (const auto &followed : m_followed)
            if (followed.first)
                followed.first->reread();
    } catch (const StoreError &) {
        // The screen keeps what it shows; the desk's next action meets the same fault and
        // is told (a server gone, say), rather than a message out of nowhere.
    }
}

BoundScreen::~BoundScreen()
{
    // Listeners before what they listen to: the binder and the grids, the bar, then the sets.
    m_binder.reset();
    m_gridModels.clear();
    delete m_bar.data();
    m_gridRecords.clear();
    m_records.reset();
}

BoundScreen::Grid BoundScreen::addGrid(const QString &source, QList<GridModel::Column> columns)
{
    return keepGrid(std::make_unique<RecordSet>(m_db, source), std::move(columns));
}

BoundScreen::Grid BoundScreen::addGrid(RecordSource source, QList<GridModel::Column> columns)
{
    return keepGrid(std::make_unique<RecordSet>(m_db, std::move(source)), std::move(columns));
}

BoundScreen::Grid BoundScreen::keepGrid(std::unique_ptr<RecordSet> records, QList<GridModel::Column> columns)
{
    auto model = std::make_unique<GridModel>(records.get(), std::move(columns));
    Grid grid{records.get(), model.get()};
    m_gridRecords.push_back(std::move(records));
    m_gridModels.push_back(std::move(model));
    return grid;
}

void BoundScreen::close(QCloseEvent *event)
{
    bound::closeStoringEdits(event, *m_binder, *m_bar);
}
