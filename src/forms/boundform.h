#pragma once
#include <functional>

class Binder;
class DataBar;
class QCloseEvent;
class RecordSet;
class QWidget;

// The operations the record screens share, over a record set and the binder of its boxes.
// Store errors are thrown (StoreError); each screen decides how it reports them.
namespace bound {

// Places a top-level window in the middle of its screen.
void centre(QWidget *window);

// Refresh: stores pending edits, then re-reads the set; its first row becomes current.
void refresh(Binder &binder);

// After a delete, whatever the answer to the question was: to the next row. After the last
// row the set is left past its end; a set with nothing to move to stays as it is.
void advanceAfterDelete(RecordSet &records);

// The delete without a question: removes the current row, then goes to the next one, or to
// the new last row when the deleted row was the last (deleteStep, confirmed, NextOrNewLast).
void deleteAndStep(RecordSet &records);

// Where a Delete command leaves its set: on the next row, past the end once the last row is
// gone (Next); or on the next row, the new last row once the last row is gone (NextOrNewLast).
enum class Landing { Next, NextOrNewLast };

// The Delete command after the screen has asked its question. Confirmed, the current row (if
// any) is removed; otherwise `declined` runs (a re-read, a hint), and with no `declined` the
// command ends there. Then the set lands by `landing`. Throws StoreError.
void deleteStep(RecordSet &records, bool confirmed, Landing landing, const std::function<void()> &declined = {});

// What a delete acts on. A row being added is only dropped (no stored row goes with it).
enum class DeleteTarget { Nothing, NewRow, StoredRow };
DeleteTarget deleteTarget(const RecordSet &records);

// Closing a screen by any means: the normal pointer, then its pending edits are stored. When
// they cannot be, the data bar reports why and the screen stays open, so nothing is lost.
void closeStoringEdits(QCloseEvent *event, Binder &binder, DataBar &bar);

} // namespace bound
