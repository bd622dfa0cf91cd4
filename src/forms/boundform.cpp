#include "boundform.h"

#include "binder.h"
#include "databar.h"
#include "pointer.h"
#include "recordset.h"
#include "storeerror.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace bound {

void centre(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

void refresh(Binder &binder)
{
    binder.writePending();
    binder.records()->requery();
}

void advanceAfterDelete(RecordSet &records)
{
    try {
        records.moveNext();
    } catch (const StoreError &error) {
        // Past the end already, or an empty set: there is no next row to go to.
        if (error.number() != StoreError::NoCurrentRecord)
            throw;
    }
}

void deleteAndStep(RecordSet &records)
{
    deleteStep(records, true, Landing::NextOrNewLast);
}

void deleteStep(RecordSet &records, bool confirmed, Landing landing, const std::function<void()> &declined)
{
    if (confirmed) {
        if (records.hasCurrent())
            records.remove();
    } else if (declined) {
        declined();
    } else {
        return;
    }
    if (landing == Landing::Next) {
        advanceAfterDelete(records);
        return;
    }
    records.moveNext();
    if (records.eof())
        records.moveLast();
}

DeleteTarget deleteTarget(const RecordSet &records)
{
    if (records.editMode() == RecordSet::EditMode::AddNew)
        return DeleteTarget::NewRow;
    return records.hasCurrent() ? DeleteTarget::StoredRow : DeleteTarget::Nothing;
}

void closeStoringEdits(QCloseEvent *event, Binder &binder, DataBar &bar)
{
    pointer::normal();
    try {
        binder.writePending();
    } catch (const StoreError &error) {
        bar.reportError(error);
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace bound
