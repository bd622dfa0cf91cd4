#include "binder.h"
#include "boxtext.h"
#include "currency.h"
#include "boundform.h"
#include "databar.h"
#include "database.h"
#include "dates.h"
#include "formcontrols.h"
#include "gridmodel.h"
#include "pointer.h"
#include "recordset.h"
#include "screenhelpers.h"
#include "scripteddialogs.h"
#include "testhome.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlQuery>
#include <QToolButton>
#include <QtTest>

// The binding layer over a small customer book: a data bar, three bound boxes and a grid.
class TestBinder : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<QWidget> form;
    RecordSet *rs = nullptr;
    DataBar *bar = nullptr;
    Binder *binder = nullptr;
    QLineEdit *first = nullptr;
    QComboBox *prefix = nullptr;
    QPlainTextEdit *notes = nullptr;

    static QString storedFirstName(int id)
    {
        RecordSet customers(salon::employeeDb(), QStringLiteral("Customers"));
        customers.findFirst(QStringLiteral("CustomerID = ?"), {id});
        return customers.noMatch() ? QStringLiteral("<none>") : customers.value(QStringLiteral("FirstName")).toString();
    }
    // A bound screen over `source` with the first name, prefix and notes boxes.
    void build(const QString &source = QStringLiteral("Customers"), const QString &firstField = QStringLiteral("FirstName"),
               const QString &prefixField = QStringLiteral("Prefix"))
    {
        form = std::make_unique<QWidget>();
        rs = new RecordSet(salon::employeeDb(), source, form.get());
        bar = new DataBar(rs, form.get());
        binder = new Binder(rs, form.get());
        binder->setErrorReporter([this](const StoreError &e) { bar->reportError(e); });
        first = new QLineEdit(form.get());
        prefix = new QComboBox(form.get());
        prefix->setEditable(true);
        prefix->addItems({QStringLiteral("Mr."), QStringLiteral("Mrs."), QStringLiteral("Ms."), QStringLiteral("Dr.")});
        notes = new QPlainTextEdit(form.get());
        binder->bind(first, firstField);
        binder->bind(prefix, prefixField);
        binder->bind(notes, QStringLiteral("Notes"));
    }

private slots:
    void init()
    {
        useTestLocale();
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        dialogs = std::make_unique<ScriptedDialogs>();
        addCustomer(1, QStringLiteral("Ann"), QStringLiteral("Lee"));
        addCustomer(2, QStringLiteral("Bob"), QStringLiteral("Adams"));
        addCustomer(3, QStringLiteral("Cy"), QStringLiteral("Lee"));
    }
    void cleanup()
    {
        form.reset();
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
        home.reset();
        pointer::normal();
    }

    void boxesShowTheCurrentRow()
    {
        build();
        QCOMPARE(first->text(), QStringLiteral("Ann"));
        click(bar, "moveNext");
        QCOMPARE(first->text(), QStringLiteral("Bob"));
        rs->moveLast();
        QCOMPARE(first->text(), QStringLiteral("Cy"));
    }

    // A field table captions and places its boxes, and binds each to its field whatever the
    // kind of box, including boxes the screen lays out itself.
    void fieldTableLaysOutAndBinds()
    {
        form = std::make_unique<QWidget>();
        rs = new RecordSet(salon::employeeDb(), QStringLiteral("Customers"), form.get());
        binder = new Binder(rs, form.get());
        auto grid = new QGridLayout(form.get());
        auto id = controls::lineEdit(form.get(), "txtId");
        auto name = controls::lineEdit(form.get(), "txtName");
        auto last = new QPlainTextEdit(form.get());
        auto title = controls::comboBox(form.get(), "comTitle", {QStringLiteral("Mr."), QStringLiteral("Dr.")});
        auto search = controls::lineEdit(form.get(), "txtSearch");
        auto beside = new QHBoxLayout;
        beside->addWidget(name);
        grid->addLayout(beside, 1, 1);
        using Place = controls::Field::Place;
        controls::layOut(grid, binder, {{id, QStringLiteral("&ID:"), "CustomerID", 0, 0, 3},
                                        {name, QStringLiteral("Name:"), "FirstName", 1, 0, 1, Place::Caption},
                                        {last, QString(), "LastName", 0, 0, 1, Place::Nowhere},
                                        {title, QStringLiteral("Title:"), "Prefix", 2, 2},
                                        {search, QStringLiteral("Find:"), nullptr, 3, 0}});

        auto captionAt = [grid](int row, int column) {
            QLayoutItem *item = grid->itemAtPosition(row, column);
            auto caption = item ? qobject_cast<QLabel *>(item->widget()) : nullptr;
            return caption ? caption->text() + QLatin1Char('>') + caption->buddy()->objectName() : QString();
        };
        QCOMPARE(captionAt(0, 0), QStringLiteral("&ID:>txtId"));
        QCOMPARE(captionAt(1, 0), QStringLiteral("Name:>txtName"));
        QCOMPARE(captionAt(2, 2), QStringLiteral("Title:>comTitle"));
        QCOMPARE(grid->itemAtPosition(0, 3)->widget(), id);   // spans columns 1 to 3
        QCOMPARE(grid->itemAtPosition(2, 3)->widget(), title);
        QCOMPARE(name->parentWidget(), form.get());
        QCOMPARE(grid->indexOf(name), -1);   // stays where the screen put it
        QCOMPARE(grid->indexOf(last), -1);

        QCOMPARE(id->text(), QStringLiteral("1"));
        QCOMPARE(name->text(), QStringLiteral("Ann"));
        QCOMPARE(last->toPlainText(), QStringLiteral("Lee"));
        QVERIFY(search->text().isEmpty());
        title->setEditText(QStringLiteral("Dr."));
        last->setPlainText(QStringLiteral("Lea"));
        typeInto(search, QStringLiteral("Bob"));
        rs->moveNext();
        QCOMPARE(name->text(), QStringLiteral("Bob"));
        QCOMPARE(search->text(), QStringLiteral("Bob"));   // not bound: left alone by the move
        rs->moveFirst();
        QCOMPARE(title->currentText(), QStringLiteral("Dr."));
        QCOMPARE(last->toPlainText(), QStringLiteral("Lea"));
    }

    // A button row keeps its order around the stretch, and each button does its own thing.
    void buttonRowBuildsNamedButtonsInOrder()
    {
        QWidget parent;
        auto row = new QHBoxLayout(&parent);
        QStringList pressed;
        const QList<QPushButton *> made = controls::buttonRow(
            &parent, row,
            {{QStringLiteral("&Add"), "cmdAdd", [&] { pressed << QStringLiteral("add"); }},
             {},
             {QStringLiteral("&Close"), "cmdClose", [&] { pressed << QStringLiteral("close"); }},
             {QStringLiteral("Help"), "cmdHelp", {}}},
            {.minimumWidth = 90, .autoDefault = false});
        QCOMPARE(made.size(), 3);
        QCOMPARE(row->count(), 4);
        QCOMPARE(row->itemAt(0)->widget(), made[0]);
        QVERIFY(row->itemAt(1)->spacerItem());
        QCOMPARE(row->itemAt(2)->widget()->objectName(), QStringLiteral("cmdClose"));
        QCOMPARE(made[2]->text(), QStringLiteral("Help"));
        QCOMPARE(made[0]->minimumWidth(), 90);
        QVERIFY(!made[0]->autoDefault());
        parent.show();
        click(&parent, "cmdClose");
        click(&parent, "cmdHelp");
        click(&parent, "cmdAdd");
        QCOMPARE(pressed, (QStringList{QStringLiteral("close"), QStringLiteral("add")}));
    }

    // A refused write keeps the typing and the row, and the move that would store it stays put.
    void checkBeforeWriteRefuses()
    {
        build();
        binder->setBeforeWrite([this] {
            if (first->text() == QLatin1String("Bob"))
                throw StoreError(StoreError::ConversionError, QStringLiteral("Bob is taken."));
        });
        typeInto(first, QStringLiteral("Bob"));
        dialogs->answerMessage();
        click(bar, "moveNext");
        QCOMPARE(bar->caption(), QStringLiteral("Record: 1"));
        QCOMPARE(first->text(), QStringLiteral("Bob"));
        QCOMPARE(storedFirstName(1), QStringLiteral("Ann"));
        QVERIFY_THROWS_EXCEPTION(StoreError, binder->update());
        typeInto(first, QStringLiteral("Anna"));
        click(bar, "moveNext");
        QCOMPARE(storedFirstName(1), QStringLiteral("Anna"));
    }

    void recordCaption_data()
    {
        QTest::addColumn<QString>("moves");
        QTest::addColumn<QString>("caption");
        QTest::newRow("first row") << "" << "Record: 1";
        QTest::newRow("next") << "N" << "Record: 2";
        QTest::newRow("last") << "L" << "Record: 3";
        QTest::newRow("back to first") << "LF" << "Record: 1";
        QTest::newRow("past the end") << "LX" << "Record: 0";
    }
    void recordCaption()
    {
        QFETCH(QString, moves);
        QFETCH(QString, caption);
        build();
        for (QChar m : moves) {
            if (m == u'N') click(bar, "moveNext");
            else if (m == u'L') click(bar, "moveLast");
            else if (m == u'F') click(bar, "moveFirst");
            else rs->moveNext();   // the program passing the end
        }
        QCOMPARE(bar->caption(), caption);
    }

    void emptySetShowsRecordZeroAndLockedBoxes()
    {
        build(QStringLiteral("Suppliers"), QStringLiteral("SupplierName"), QStringLiteral("ContactTitle"));
        QCOMPARE(bar->caption(), QStringLiteral("Record: 0"));
        // Boxes that would ignore typing look like it: disabled, not editable-looking.
        for (QWidget *box : std::initializer_list<QWidget *>{first, prefix, notes})
            QVERIFY(!box->isEnabled());
        for (const char *name : {"moveFirst", "movePrevious", "moveNext", "moveLast"})
            QVERIFY2(!child<QToolButton>(bar, name)->isEnabled(), name);
        binder->addNew();
        for (QWidget *box : std::initializer_list<QWidget *>{first, prefix, notes})
            QVERIFY(box->isEnabled());
    }

    // The edit is written into the row it was made in, however the row is left.
    void editThenMoveStoresTheEdit_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("data bar next") << "bar";
        QTest::newRow("program move") << "program";
        QTest::newRow("program find") << "find";
    }
    void editThenMoveStoresTheEdit()
    {
        QFETCH(QString, how);
        build();
        typeInto(first, QStringLiteral("Anne"));
        prefix->setEditText(QStringLiteral("Dr."));
        notes->setPlainText(QStringLiteral("prefers mornings"));
        if (how == QLatin1String("bar"))
            click(bar, "moveNext");
        else if (how == QLatin1String("program"))
            rs->move(2);
        else
            rs->findFirst(QStringLiteral("CustomerID = ?"), {3});
        QCOMPARE(storedFirstName(1), QStringLiteral("Anne"));
        QCOMPARE(storedFirstName(2), QStringLiteral("Bob"));
        rs->moveFirst();
        QCOMPARE(rs->value(QStringLiteral("Prefix")).toString(), QStringLiteral("Dr."));
        QCOMPARE(notes->toPlainText(), QStringLiteral("prefers mornings"));
        QVERIFY(!binder->isDirty());
    }

    void editThenCloseStoresTheEdit()
    {
        build();
        rs->moveNext();
        typeInto(first, QStringLiteral("Robert"));
        binder->writePending();   // what a screen does when it closes
        form.reset();
        QCOMPARE(storedFirstName(2), QStringLiteral("Robert"));
    }

    void untouchedAddNewIsDiscardedOnAMove()
    {
        build();
        binder->addNew();
        QCOMPARE(first->text(), QString());
        click(bar, "moveLast");
        QCOMPARE(rowCount(QStringLiteral("Customers")), qint64(3));
        QCOMPARE(first->text(), QStringLiteral("Cy"));
    }

    void touchedAddNewIsStoredOnAMove()
    {
        build();
        binder->addNew();
        typeInto(first, QStringLiteral("Dee"));
        click(bar, "moveFirst");
        QCOMPARE(rowCount(QStringLiteral("Customers")), qint64(4));
        QCOMPARE(rs->recordCount(), qint64(4));
        rs->moveLast();
        QCOMPARE(first->text(), QStringLiteral("Dee"));
    }

    void updateKeepsANewRowCurrent()
    {
        build();
        binder->addNew();
        typeInto(first, QStringLiteral("Dee"));
        binder->update();
        QCOMPARE(rs->absolutePosition(), qint64(3));
        QCOMPARE(bar->caption(), QStringLiteral("Record: 4"));
        QCOMPARE(first->text(), QStringLiteral("Dee"));
        QCOMPARE(rs->editMode(), RecordSet::EditMode::None);
    }

    void updateWithoutACurrentRowFails()
    {
        build();
        rs->moveLast();
        rs->moveNext();
        QVERIFY_THROWS_EXCEPTION(StoreError, binder->update());
    }

    // A value the field cannot take stops the move: the user's text stays, the row stays.
    void aBadValueKeepsTheRowAndTheEdit()
    {
        build(QStringLiteral("Customers"), QStringLiteral("CustomerID"));
        bar->setDataErrorReport(true);
        typeInto(first, QStringLiteral("seven"));
        dialogs->answerMessage();
        click(bar, "moveNext");
        QCOMPARE(dialogs->messageTexts(),
                 QStringList{dataErrorText(StoreError(0, QStringLiteral(
                     "Data type conversion error: 'seven' does not fit the field CustomerID.")))});
        QCOMPARE(rs->absolutePosition(), qint64(0));
        QCOMPARE(first->text(), QStringLiteral("seven"));
        QVERIFY(binder->isDirty());
        QVERIFY(!pointer::isBusy());
    }

    // Another screen deleted the row on show: the edit is reported once, then the screen can
    // move on and close instead of being held on a row that no longer exists.
    void anEditOfARowDeletedElsewhereDoesNotHoldTheScreen()
    {
        build();
        RecordSet other(salon::employeeDb(), QStringLiteral("Customers"));
        other.remove();   // Ann, shown by the screen
        typeInto(first, QStringLiteral("Anne"));
        dialogs->answerMessage();
        click(bar, "moveNext");
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("Record is deleted.")});
        QCOMPARE(first->text(), QStringLiteral("Anne"));   // still readable
        click(bar, "moveNext");
        QCOMPARE(first->text(), QStringLiteral("Bob"));
        QCOMPARE(rowCount(QStringLiteral("Customers")), qint64(2));

        other.moveFirst();   // Bob
        other.remove();
        typeInto(first, QStringLiteral("Bobby"));
        dialogs->answerMessage();
        QCloseEvent refused;
        bound::closeStoringEdits(&refused, *binder, *bar);
        QVERIFY(!refused.isAccepted());
        QCloseEvent accepted;
        bound::closeStoringEdits(&accepted, *binder, *bar);
        QVERIFY(accepted.isAccepted());
        QCOMPARE(dialogs->messageTexts().size(), 2);
    }

    void barArrowsHaveAccessibleNames()
    {
        build();
        const QList<std::pair<const char *, const char *>> arrows{{"moveFirst", "First record"}, {"movePrevious", "Previous record"},
                                                                 {"moveNext", "Next record"}, {"moveLast", "Last record"}};
        for (const auto &[name, spoken] : arrows)
            QCOMPARE(child<QToolButton>(bar, QLatin1String(name))->accessibleName(), QLatin1String(spoken));
    }

    // A locked bar keeps its move buttons off through moves of the set; unlocked, they follow
    // the row again. A caption set by the screen lasts until the next change of row.
    void lockedNavigationAndOwnCaption()
    {
        build();
        rs->move(1);
        bar->setNavigationLocked(true);
        bar->setCaption(QStringLiteral("Record: 7"));
        QCOMPARE(bar->caption(), QStringLiteral("Record: 7"));
        rs->moveLast();
        QCOMPARE(bar->caption(), QStringLiteral("Record: 3"));
        for (QToolButton *b : bar->navigationButtons())
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        bar->setNavigationLocked(false);
        QStringList enabled;
        for (QToolButton *b : bar->navigationButtons())
            if (b->isEnabled())
                enabled << b->objectName();
        QCOMPARE(enabled, (QStringList{"moveFirst", "movePrevious", "moveLast"}));
    }

    void dataErrorReport_data()
    {
        QTest::addColumn<bool>("report");
        QTest::addColumn<QString>("message");
        QTest::newRow("data error report")
            << true << "Data error event hit err:Item not found in this collection: 'Nope'.";
        QTest::newRow("store's own text") << false << "Item not found in this collection: 'Nope'.";
    }
    void dataErrorReport()
    {
        QFETCH(bool, report);
        QFETCH(QString, message);
        build();
        bar->setDataErrorReport(report);
        auto missing = new QLineEdit(form.get());
        dialogs->answerMessage();
        binder->bind(missing, QStringLiteral("Nope"));   // shown at once, like a screen loading
        dialogs->answerMessage();
        click(bar, "moveNext");
        QCOMPARE(dialogs->messageTexts(), (QStringList{message, message}));
        QCOMPARE(dialogs->last().title, QStringLiteral("Velorine"));
        QCOMPARE(first->text(), QStringLiteral("Bob"));   // the screen stays on its row
    }

    void fullValidateShowsBusyUntilTheSetHasMoved_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("busy");
        QTest::newRow("full") << int(DataBar::Validate::Full) << true;
        QTest::newRow("none") << int(DataBar::Validate::None) << false;
    }
    void fullValidateShowsBusyUntilTheSetHasMoved()
    {
        QFETCH(int, mode);
        QFETCH(bool, busy);
        build();
        bar->setValidate(DataBar::Validate(mode));
        typeInto(first, QStringLiteral("Anne"));
        // The edit is written while the bar works, before the set has moved.
        bool busyWhileWriting = false;
        connect(rs, &RecordSet::rowUpdated, this, [&] { busyWhileWriting = pointer::isBusy(); });
        click(bar, "moveNext");
        QCOMPARE(busyWhileWriting, busy);
        QVERIFY(!pointer::isBusy());
        QCOMPARE(bar->caption(), QStringLiteral("Record: 2"));
    }

    void deleteVariants_data()
    {
        QTest::addColumn<bool>("simple");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<qint64>("position");
        QTest::addColumn<bool>("eof");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("edited");   // a box was typed in before the delete
        QTest::newRow("advance, middle row") << false << 1 << qint64(1) << false << "Cy" << false;
        QTest::newRow("advance, last row: past the end") << false << 2 << qint64(-1) << true << "" << false;
        QTest::newRow("simple, middle row") << true << 1 << qint64(1) << false << "Cy" << false;
        QTest::newRow("simple, last row: the new last row") << true << 2 << qint64(1) << false << "Bob" << false;
        QTest::newRow("advance, edited middle row") << false << 1 << qint64(1) << false << "Cy" << true;
        QTest::newRow("simple, edited last row") << true << 2 << qint64(1) << false << "Bob" << true;
    }
    void deleteVariants()
    {
        QFETCH(bool, simple);
        QFETCH(int, startRow);
        QFETCH(qint64, position);
        QFETCH(bool, eof);
        QFETCH(QString, shown);
        QFETCH(bool, edited);
        build();
        rs->move(startRow);
        if (edited)
            typeInto(first, QStringLiteral("Zed"));   // goes with the row
        QCOMPARE(bound::deleteTarget(*rs), bound::DeleteTarget::StoredRow);
        if (simple) {
            bound::deleteAndStep(*rs);
        } else {
            rs->remove();
            bound::advanceAfterDelete(*rs);
        }
        QCOMPARE(rowCount(QStringLiteral("Customers")), qint64(2));
        QCOMPARE(rs->absolutePosition(), position);
        QCOMPARE(rs->eof(), eof);
        QCOMPARE(bar->caption(), QStringLiteral("Record: %1").arg(position + 1));
        QCOMPARE(first->text(), shown);
    }

    // The one delete step: a confirmed delete removes and lands by the screen's rule; a declined
    // one runs the screen's follow-up and lands the same way, or with none leaves all as it is.
    void deleteStep_data()
    {
        QTest::addColumn<int>("startRow");   // 3: past the end
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<bool>("nextOrNewLast");
        QTest::addColumn<bool>("followUp");
        QTest::addColumn<qint64>("rows");
        QTest::addColumn<qint64>("position");
        QTest::addColumn<QString>("shown");
        QTest::newRow("yes, next: the next row") << 0 << true << false << false << qint64(2) << qint64(0) << "Bob";
        QTest::newRow("yes, next, last row: past the end") << 2 << true << false << false << qint64(2) << qint64(-1) << "";
        QTest::newRow("yes, next or last, last row: new last") << 2 << true << true << false << qint64(2) << qint64(1) << "Bob";
        QTest::newRow("yes, no current row: nothing removed") << 3 << true << false << false << qint64(3) << qint64(-1) << "";
        QTest::newRow("no, re-read: from the first row on") << 2 << false << false << true << qint64(3) << qint64(1) << "Bob";
        QTest::newRow("no, no follow-up: stays") << 2 << false << false << false << qint64(3) << qint64(2) << "Cy";
    }
    void deleteStep()
    {
        QFETCH(int, startRow);
        QFETCH(bool, confirmed);
        QFETCH(bool, nextOrNewLast);
        QFETCH(bool, followUp);
        QFETCH(qint64, rows);
        QFETCH(qint64, position);
        QFETCH(QString, shown);
        build();
        rs->move(std::min(startRow, 2));
        if (startRow == 3)
            rs->moveNext();
        int followUps = 0;
        std::function<void()> declined;
        if (followUp)
            declined = [&] {
                ++followUps;
                bound::refresh(*binder);
            };
        bound::deleteStep(*rs, confirmed, nextOrNewLast ? bound::Landing::NextOrNewLast : bound::Landing::Next, declined);
        QCOMPARE(followUps, followUp && !confirmed ? 1 : 0);
        QCOMPARE(rowCount(QStringLiteral("Customers")), rows);
        QCOMPARE(rs->absolutePosition(), position);
        QCOMPARE(bar->caption(), QStringLiteral("Record: %1").arg(position + 1));
        QCOMPARE(first->text(), shown);
    }

    void deleteOnAnEmptySetDoesNothing()
    {
        build(QStringLiteral("Suppliers"), QStringLiteral("SupplierName"), QStringLiteral("ContactTitle"));
        QCOMPARE(bound::deleteTarget(*rs), bound::DeleteTarget::Nothing);
        bound::advanceAfterDelete(*rs);   // no next row: no move, no error
        QCOMPARE(rs->absolutePosition(), qint64(-1));
        rs->requery();
        bound::advanceAfterDelete(*rs);
        QCOMPARE(bar->caption(), QStringLiteral("Record: 0"));
    }

    void deleteWhileAddingOnlyDropsTheNewRow()
    {
        build();
        binder->addNew();
        QCOMPARE(bound::deleteTarget(*rs), bound::DeleteTarget::NewRow);
        binder->cancel();
        QCOMPARE(first->text(), QStringLiteral("Ann"));
        QCOMPARE(rowCount(QStringLiteral("Customers")), qint64(3));
    }

    void refreshStoresEditsThenShowsTheFirstRow()
    {
        build();
        rs->moveLast();
        typeInto(first, QStringLiteral("Cyd"));
        bound::refresh(*binder);
        QCOMPARE(rs->absolutePosition(), qint64(0));
        QCOMPARE(storedFirstName(3), QStringLiteral("Cyd"));
    }

    // A row added elsewhere after the set was read is still found by its key; the edit in
    // the boxes is stored on the way. A key that names no row is an error, and the screen stays.
    void moveToKeyRereadsForARowAddedSince()
    {
        build();
        const qint64 annKey = rs->bookmark();
        rs->move(1);
        typeInto(first, QStringLiteral("Bobby"));
        addCustomer(4, QStringLiteral("Di"), QStringLiteral("Ross"));
        RecordSet other(salon::employeeDb(), QStringLiteral("Customers"));
        other.findFirst(QStringLiteral("CustomerID = ?"), {4});
        const qint64 key = other.bookmark();
        other.close();
        binder->moveToKey(key);
        QCOMPARE(first->text(), QStringLiteral("Di"));
        QCOMPARE(rs->bookmark(), key);
        QCOMPARE(storedFirstName(2), QStringLiteral("Bobby"));
        QCOMPARE(rs->recordCount(), qint64(4));

        binder->moveToKey(annKey);   // a known row: no re-read needed
        QCOMPARE(first->text(), QStringLiteral("Ann"));
        try {
            binder->moveToKey(key + 100);
            QFAIL("a key of no row was accepted");
        } catch (const StoreError &error) {
            QCOMPARE(error.number(), int(StoreError::InvalidBookmark));
        }
        QCOMPARE(first->text(), QStringLiteral("Ann"));
    }

    void formats_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        QTest::newRow("currency") << QVariant(1234.5) << "Currency" << "$1,234.50";
        QTest::newRow("currency rounds to cents") << QVariant(2.1261) << "Currency" << "$2.13";
        // Half cents from the exact amount (26.75 less 10%), whatever the nearest double is.
        const auto money = [](qint64 scaled) { return QVariant::fromValue(Currency::fromScaled(scaled)); };
        QTest::newRow("currency half cent 24.075") << money(240750) << "Currency" << "$24.08";
        QTest::newRow("currency half cent 11.235") << money(112350) << "Currency" << "$11.24";
        QTest::newRow("currency half cent, negative") << money(-240750) << "Currency" << "($24.08)";
        QTest::newRow("currency half cent from a double") << QVariant(24.075) << "Currency" << "$24.08";
        QTest::newRow("standard from money") << money(12345000) << "Standard" << "1,234.50";
        QTest::newRow("general number") << QVariant(12.5) << "General Number" << "12.5";
        QTest::newRow("general number, whole") << QVariant(qlonglong(3)) << "General Number" << "3";
        QTest::newRow("standard") << QVariant(1234.5) << "Standard" << "1,234.50";
        QTest::newRow("standard rate") << QVariant(0.1) << "Standard" << "0.10";
        QTest::newRow("short date") << QVariant(QDate(2026, 3, 5)) << "Short Date" << "3/5/2026";
        QTest::newRow("general date, day only") << QVariant(QDate(2026, 3, 5)) << "General Date" << "3/5/2026";
        QTest::newRow("general date with time") << QVariant(QDateTime(QDate(2026, 3, 5), QTime(9, 30, 15)))
                                                << "General Date" << "3/5/2026 9:30:15 AM";
        QTest::newRow("text") << QVariant(QStringLiteral("Manicure")) << "" << "Manicure";
        QTest::newRow("empty") << QVariant() << "Currency" << "";
    }
    void formats()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        QFETCH(QString, text);
        QCOMPARE(formatValue(value, format), text);
    }

    void formatsFollowTheLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(formatValue(1234.5, QStringLiteral("Standard")), QStringLiteral("1.234,50"));
        QCOMPARE(formatValue(QDate(2026, 3, 5), QStringLiteral("Short Date")), QStringLiteral("05.03.2026"));
        QVERIFY(formatValue(2.5, QStringLiteral("Currency")).contains(QStringLiteral("2,50")));
    }

    // A box reads back what it shows, in the desk's own locale, into the field's own type;
    // text that is not such a value is refused and nothing is stored.
    void boxesRoundTripInTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QVariant>("stored");   // invalid: refused
        const auto money = [](qint64 scaled) { return QVariant::fromValue(Currency::fromScaled(scaled)); };
        const QVariant march6 = QDate(2026, 3, 6);
        QTest::newRow("en_US date") << "en_US" << "ServiceDate" << "3/6/2026" << march6;
        QTest::newRow("en_GB date is day first") << "en_GB" << "ServiceDate" << "06/03/2026" << march6;
        QTest::newRow("de_DE date") << "de_DE" << "ServiceDate" << "06.03.2026" << march6;
        QTest::newRow("en_GB date and time") << "en_GB" << "ServiceDate" << "06/03/2026 14:05:09"
                                             << QVariant(QDateTime(QDate(2026, 3, 6), QTime(14, 5, 9)));
        QTest::newRow("en_GB not a date") << "en_GB" << "ServiceDate" << "13/13/2026" << QVariant();
        QTest::newRow("en_US money") << "en_US" << "TodayEarn" << "24.075" << money(240750);
        QTest::newRow("en_US money with sign") << "en_US" << "TodayEarn" << "$12.50" << money(125000);
        QTest::newRow("de_DE money") << "de_DE" << "TodayEarn" << "35,982" << money(359820);
        QTest::newRow("fr_FR money") << "fr_FR" << "TodayEarn" << "35,982" << money(359820);
        QTest::newRow("de_DE point is not grouping") << "de_DE" << "TodayEarn" << "35.982" << QVariant();
        // Money is kept exact to four decimals below 100,000,000,000; anything else is refused.
        QTest::newRow("en_US money, five decimals") << "en_US" << "TodayEarn" << "0.00005" << QVariant();
        QTest::newRow("de_DE money, five decimals") << "de_DE" << "TodayEarn" << "0,00005" << QVariant();
        for (const char *typed : {"123456789012345.6789", "99999999999999.9999", "300000000000.0007", "-100000000000"})
            QTest::newRow(typed) << "en_US" << "TodayEarn" << typed << QVariant();
        QTest::newRow("largest money kept") << "en_US" << "TodayEarn" << "99999999999.9999" << money(999999999999999);
        QTest::newRow("de_DE whole number") << "de_DE" << "EmployeeID" << "12" << QVariant(qlonglong(12));
        QTest::newRow("empty box is an empty field") << "en_US" << "TodayEarn" << "" << QVariant(QMetaType(QMetaType::QString));
    }
    void boxesRoundTripInTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QVariant, stored);
        QLocale::setDefault(QLocale(locale));
        addRow(QStringLiteral("Payroll Records"), {{QStringLiteral("EmployeeID"), 7}, {QStringLiteral("TodayEarn"), 1},
                                                   {QStringLiteral("ServiceDate"), QDate(2026, 1, 2)}});
        addRow(QStringLiteral("Payroll Records"), {{QStringLiteral("EmployeeID"), 8}});
        QWidget screen;
        RecordSet payroll(salon::employeeDb(), QStringLiteral("Payroll Records"));
        Binder fields(&payroll);
        QLineEdit box(&screen);
        fields.bind(&box, field);
        const QVariant before = payroll.value(field);
        QCOMPARE(box.text(), boxText(before));
        box.setText(typed);
        const bool refused = !stored.isValid();
        if (refused) {
            QVERIFY_THROWS_EXCEPTION(StoreError, payroll.moveNext());
            QCOMPARE(payroll.absolutePosition(), qint64(0));
            QCOMPARE(box.text(), typed);   // kept for correction
            fields.cancel();
        } else {
            payroll.moveNext();
            payroll.movePrevious();
        }
        const QVariant now = RecordSet(salon::employeeDb(), QStringLiteral("Payroll Records")).value(field);
        if (refused) {
            QCOMPARE(now, before);
        } else if (stored.isNull()) {
            QVERIFY(now.isNull());
        } else {
            QCOMPARE(now, stored);
            QCOMPARE(box.text(), boxText(stored));   // and shows as it was typed back
        }
    }

    // A text field that holds a date shows the desk's short date and stores m/d/yyyy; other
    // text, and old text of another form, is shown and stored as it stands. Other text fields
    // take what is typed.
    void textDateFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("storedAfter");
        QTest::newRow("last visit") << "ServiceDate" << "12/10/2026" << "10/12/2026" << "11/12/2026" << "12/11/2026";
        QTest::newRow("two-digit year") << "ServiceDate" << "" << "" << "3/5/45" << "5/3/1945";
        QTest::newRow("old ISO text") << "ServiceDate" << "2026-12-10" << "2026-12-10" << "2026-12-10 " << "12/10/2026";
        QTest::newRow("not a date") << "ServiceDate" << "soon" << "soon" << "after Easter" << "after Easter";
        QTest::newRow("not a date field") << "City" << "12/10/2026" << "12/10/2026" << "11/12/2026" << "11/12/2026";
    }
    void textDateFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(QString, storedAfter);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        QSqlQuery set(salon::employeeDb());
        set.prepare(QStringLiteral("UPDATE Customers SET %1 = ? WHERE CustomerID = 1").arg(field));
        set.addBindValue(stored);
        QVERIFY(set.exec());
        build();
        QLineEdit box(form.get());
        binder->bind(&box, field);
        QCOMPARE(box.text(), shown);
        typeInto(&box, typed);
        click(bar, "moveNext");
        RecordSet customers(salon::employeeDb(), QStringLiteral("Customers"));
        QCOMPARE(customers.value(field).toString(), storedAfter);
        click(bar, "movePrevious");
        QCOMPARE(box.text(), field == QLatin1String("City") ? storedAfter : textDateShown(storedAfter));
    }

    // The desk is told why money it typed cannot be kept, not merely that it does not fit.
    void moneyTheBookCannotKeepSaysWhy()
    {
        try {
            boxValue(QStringLiteral("0.00005"), FieldKind::Currency, QStringLiteral("TodayEarn"));
            QFAIL("five decimals were taken");
        } catch (const StoreError &error) {
            QCOMPARE(error.text(),
                     QStringLiteral("\"0.00005\" has more than four decimals: amounts of money are kept to four decimals."));
        }
    }

    // Text fields have no size: a pasted page is stored whole.
    void longTextIsStoredWhole()
    {
        build();
        const QString page(40000, u'x');
        first->setText(page);
        QCOMPARE(first->text().size(), page.size());
        rs->moveNext();
        QCOMPARE(storedFirstName(1), page);
    }

    // Screens go in any order: a binder that outlives its set must not touch it when it goes.
    void aBinderOutlivingItsSetIsHarmless()
    {
        build();
        delete rs;
        rs = nullptr;
        form.reset();   // deletes the binder after its set
    }

    void gridFollowsTheSet()
    {
        build();
        GridModel grid(rs, {{QStringLiteral("CustomerID"), QStringLiteral("No."), QStringLiteral("General Number")},
                            {QStringLiteral("FirstName"), QStringLiteral("First"), QString()}});
        QCOMPARE(grid.rowCount(), 3);
        QCOMPARE(grid.headerData(1, Qt::Horizontal).toString(), QStringLiteral("First"));
        QCOMPARE(grid.index(1, 1).data().toString(), QStringLiteral("Bob"));
        binder->addNew();
        typeInto(first, QStringLiteral("Dee"));
        binder->update();
        QCOMPARE(grid.rowCount(), 4);
        QCOMPARE(grid.index(3, 1).data().toString(), QStringLiteral("Dee"));
        rs->moveFirst();
        rs->remove();
        QCOMPARE(grid.rowCount(), 3);
        QCOMPARE(grid.index(0, 1).data().toString(), QStringLiteral("Bob"));
        rs->setSource(QStringLiteral("select * from [Customers] where [CustomerID]=3"));
        QCOMPARE(grid.rowCount(), 1);
        QCOMPARE(grid.index(0, 0).data().toString(), QStringLiteral("3"));
    }
};

QTEST_MAIN(TestBinder)
#include "tst_binder.moc"
