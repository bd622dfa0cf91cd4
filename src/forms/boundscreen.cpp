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
