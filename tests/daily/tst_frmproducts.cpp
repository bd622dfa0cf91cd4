#include "databar.h"
#include "database.h"
#include "frmproducts.h"
#include "recordset.h"
#include "screenhelpers.h"
#include "scripteddialogs.h"
#include "testhome.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableView>
#include <QtTest>

namespace {

const QString nameRequired = QStringLiteral("Please type the service's name.");
const QStringList fiveServices{QStringLiteral("Manicure"), QStringLiteral("Pedicure"), QStringLiteral("Waxing"),
                               QStringLiteral("Facial"), QStringLiteral("Haircut")};

QStringList storedNames()
{
    QStringList names;
    for (const QVariant &name : queryValues(QStringLiteral("SELECT ServiceName FROM Products ORDER BY rowid")))
        names << name.toString();
    return names;
}

// How the desk leaves a new line.
enum class Leave { CloseButton, Escape, UpdateButton, OtherRow, DataBar, AddAgain };

} // namespace
Q_DECLARE_METATYPE(Leave)

// The price list over five services, numbered 1 to 5 in the book's order.
class TestFrmProducts : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
    QPointer<frmProducts> form;

    QTableView *grid() const { return child<QTableView>(form, "grdDataGrid"); }
    QAbstractItemModel *model() const { return grid()->model(); }
    QString caption() const { return child<DataBar>(form, "datPrimaryRS")->caption(); }
    QString currentName() const { return form->datPrimaryRS()->value(QStringLiteral("ServiceName")).toString(); }
    // The grid's open cell editor, if any (closed ones linger hidden until deleted later).
    QLineEdit *openEditor() const
    {
        for (QLineEdit *box : grid()->viewport()->findChildren<QLineEdit *>())
            if (box->isVisible())
                return box;
        return nullptr;
    }
    // Types into a cell through the grid's editor, as the desk would, and by default presses
    // Enter, which hands the text to the grid.
    void type(int row, int column, const QString &text, bool enter = true)
    {
        const QModelIndex index = model()->index(row, column);
        grid()->setCurrentIndex(index);
        if (!openEditor())
            grid()->edit(index);
        QLineEdit *editor = openEditor();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClicks(editor, text);
        if (!enter)
            return;
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();   // the grid takes the text after the key
    }
    void chooseRow(int row) { grid()->setCurrentIndex(model()->index(row, 1)); }

private slots:
    void init()
    {
        useTestLocale();
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        dialogs = std::make_unique<ScriptedDialogs>();
        QVERIFY(execSql(QStringLiteral("DELETE FROM Products")));
        for (int i = 0; i < fiveServices.size(); ++i)
            addRow(QStringLiteral("Products"), {{QStringLiteral("ServiceID"), i + 1}, {QStringLiteral("ServiceName"), fiveServices[i]},
                                                {QStringLiteral("UnitPrice"), 10 + i}, {QStringLiteral("Quantity"), 0},
                                                {QStringLiteral("Discount"), 0}, {QStringLiteral("SalePrice"), 0}});
        form = new frmProducts;
        form->show();
    }
    void cleanup()
    {
        delete form;
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
        home.reset();
    }

    // Delete asks by name, removes the row chosen in the grid and lands on the next one (the new
    // last one after the last); a second Delete removes that row, not one further on.
    void deleteLandsOnTheNextRow_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("landsOn");
        QTest::addColumn<QString>("caption");
        QTest::newRow("first") << 0 << "Pedicure" << "Record: 1";
        QTest::newRow("middle") << 2 << "Facial" << "Record: 3";
        QTest::newRow("next-to-last") << 3 << "Haircut" << "Record: 4";
        QTest::newRow("last") << 4 << "Facial" << "Record: 4";
    }
    void deleteLandsOnTheNextRow()
    {
        QFETCH(int, chosen);
        QFETCH(QString, landsOn);
        QFETCH(QString, caption);
        chooseRow(chosen);
        dialogs->answerMessage(Dialogs::Answer::Yes);
        click(form, "cmdDelete");
        QStringList left = fiveServices;
        left.removeAt(chosen);
        QCOMPARE(storedNames(), left);
        QCOMPARE(currentName(), landsOn);
        QCOMPARE(this->caption(), caption);
        QCOMPARE(grid()->currentIndex().row(), int(form->datPrimaryRS()->absolutePosition()));
        QCOMPARE(dialogs->last().text, QStringLiteral("Are you sure you want to delete %1 ?").arg(fiveServices[chosen]));

        dialogs->answerMessage(Dialogs::Answer::Yes);
        click(form, "cmdDelete");
        QCOMPARE(dialogs->last().text, QStringLiteral("Are you sure you want to delete %1 ?").arg(landsOn));
        left.removeOne(landsOn);
        QCOMPARE(storedNames(), left);
    }

    void deleteAnsweredNoKeepsTheRow()
    {
        chooseRow(1);
        dialogs->answerMessage(Dialogs::Answer::No);
        click(form, "cmdDelete");
        QCOMPARE(storedNames(), fiveServices);
        QCOMPARE(currentName(), QStringLiteral("Pedicure"));
    }

    // On a server another desk may add a service while this one types a new line: the number
    // offered at Add is taken again when the line is stored, unless the desk typed its own.
    void newLineTakesTheNextNumberWhenStored_data()
    {
        QTest::addColumn<QString>("typedNumber");   // null: not typed
        QTest::addColumn<qlonglong>("stored");
        QTest::newRow("offered number") << QString() << 7LL;
        QTest::newRow("typed number") << QStringLiteral("9") << 9LL;
    }
    void newLineTakesTheNextNumberWhenStored()
    {
        QFETCH(QString, typedNumber);
        QFETCH(qlonglong, stored);
        if (!onServer())
            QSKIP("only a server has other desks adding services meanwhile");
        click(form, "cmdAdd");
        QCOMPARE(model()->index(5, 0).data().toString(), QStringLiteral("6"));
        addRow(QStringLiteral("Products"), {{QStringLiteral("ServiceID"), 6}, {QStringLiteral("ServiceName"), QStringLiteral("Nail Art")},
                                            {QStringLiteral("UnitPrice"), 20}});
        if (!typedNumber.isNull())
            type(5, 0, typedNumber);
        type(5, 1, QStringLiteral("Gel Polish"));
        click(form, "cmdUpdate");
        const QVariantList numbers = queryValues(QStringLiteral("SELECT ServiceID FROM Products WHERE ServiceName = 'Gel Polish'"));
        QCOMPARE(numbers.size(), 1);
        QCOMPARE(numbers[0].toLongLong(), stored);
    }

    // Add opens a new line; what was typed in it decides, when it is left, whether it is
    // stored (a name), dropped (nothing typed) or refused and kept (a price without a name).
    void newLineIsSettledWhenLeft_data()
    {
        QTest::addColumn<QString>("name");    // null: not typed
        QTest::addColumn<QString>("price");   // null: not typed
        QTest::addColumn<Leave>("leave");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<bool>("refused");
        const QString none;
        const QString gel = QStringLiteral("Gel Polish");
        QTest::newRow("nothing, Close") << none << none << Leave::CloseButton << false << false;
        QTest::newRow("nothing, Esc") << none << none << Leave::Escape << false << false;
        QTest::newRow("nothing, other row") << none << none << Leave::OtherRow << false << false;
        QTest::newRow("nothing, Add again") << none << none << Leave::AddAgain << false << false;
        QTest::newRow("empty name, Update") << QString("") << none << Leave::UpdateButton << false << false;
        QTest::newRow("name, Close") << gel << none << Leave::CloseButton << true << false;
        QTest::newRow("name, Esc") << gel << none << Leave::Escape << true << false;
        QTest::newRow("name and price, Update") << gel << "12.50" << Leave::UpdateButton << true << false;
        QTest::newRow("name and price, other row") << gel << "12.50" << Leave::OtherRow << true << false;
        QTest::newRow("name and price, data bar") << gel << "12.50" << Leave::DataBar << true << false;
        QTest::newRow("name and price, Add again") << gel << "12.50" << Leave::AddAgain << true << false;
        QTest::newRow("price, Close") << none << "12.50" << Leave::CloseButton << false << true;
        QTest::newRow("price, Esc") << none << "12.50" << Leave::Escape << false << true;
        QTest::newRow("price, Update") << none << "12.50" << Leave::UpdateButton << false << true;
        QTest::newRow("price, other row") << none << "12.50" << Leave::OtherRow << false << true;
        QTest::newRow("price, data bar") << none << "12.50" << Leave::DataBar << false << true;
        QTest::newRow("blank name and price, Update") << QString("   ") << "12.50" << Leave::UpdateButton << false << true;
    }
    void newLineIsSettledWhenLeft()
    {
        QFETCH(QString, name);
        QFETCH(QString, price);
        QFETCH(Leave, leave);
        QFETCH(bool, stored);
        QFETCH(bool, refused);

        click(form, "cmdAdd");
        QCOMPARE(model()->rowCount(), 6);
        QCOMPARE(grid()->currentIndex(), model()->index(5, 1));
        QCOMPARE(model()->index(5, 0).data().toString(), QStringLiteral("6"));   // numbered after the last
        QCOMPARE(storedNames(), fiveServices);                                   // nothing stored yet
        if (!name.isNull())
            type(5, 1, name);
        if (!price.isNull())
            type(5, 2, price);
        QCOMPARE(model()->index(5, 2).data().toString(), price.isNull() ? QStringLiteral("$0.00") : QStringLiteral("$12.50"));

        if (refused)
            dialogs->answerMessage();
        switch (leave) {
        case Leave::CloseButton: click(form, "cmdClose"); break;
        case Leave::Escape: QTest::keyClick(form, Qt::Key_Escape); break;
        case Leave::UpdateButton: click(form, "cmdUpdate"); break;
        case Leave::OtherRow: chooseRow(1); break;
        case Leave::DataBar: click(form, "moveFirst"); break;
        case Leave::AddAgain: click(form, "cmdAdd"); break;
        }
        QCoreApplication::processEvents();

        if (refused) {
            QCOMPARE(dialogs->messageTexts(), QStringList{nameRequired});
            QCOMPARE(storedNames(), fiveServices);
            // The line stays as typed, current and open to a name.
            QVERIFY(form->isVisible());
            QCOMPARE(model()->rowCount(), 6);
            QCOMPARE(grid()->currentIndex().row(), 5);
            QCOMPARE(model()->index(5, 2).data().toString(), QStringLiteral("$12.50"));
            type(5, 1, QStringLiteral("Gel Polish"));
            click(form, "cmdUpdate");
            QCOMPARE(storedNames(), fiveServices + QStringList{QStringLiteral("Gel Polish")});
            QCOMPARE(caption(), QStringLiteral("Record: 6"));
            return;
        }
        QVERIFY(dialogs->shown().isEmpty());
        if (!stored) {
            QCOMPARE(storedNames(), fiveServices);
            QCOMPARE(model()->rowCount(), leave == Leave::AddAgain ? 6 : 5);
            return;
        }
        QCOMPARE(storedNames(), fiveServices + QStringList{name});
        QCOMPARE(queryValues(QStringLiteral("SELECT ServiceID, UnitPrice, Quantity, Discount, SalePrice, Minutes FROM Products "
                                       "WHERE ServiceName = 'Gel Polish'")),
                 (QVariantList{6, price.isNull() ? 0 : 12.5, 0, 0, 0, 30}));
        if (leave == Leave::UpdateButton)
            QCOMPARE(caption(), QStringLiteral("Record: 6"));   // the new row stays current
    }

    // The desk's own keys: Add opens the name cell's editor, Tab goes on to the price.
    void addTypedWithTheKeyboardIsStoredOnClose()
    {
        QVERIFY(QTest::qWaitForWindowActive(form));
        click(form, "cmdAdd");
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(editor && grid()->isAncestorOf(editor));
        QTest::keyClicks(editor, QStringLiteral("Gel Polish"));
        QTest::keyClick(editor, Qt::Key_Tab);
        editor = QApplication::focusWidget();
        QVERIFY(editor && grid()->isAncestorOf(editor));
        QTest::keyClicks(editor, QStringLiteral("12.5"));
        click(form, "cmdClose");
        QVERIFY(!form->isVisible());
        QCOMPARE(queryValues(QStringLiteral("SELECT ServiceID, ServiceName, UnitPrice FROM Products WHERE rowid = "
                                       "(SELECT max(rowid) FROM Products)")),
                 (QVariantList{6, QStringLiteral("Gel Polish"), 12.5}));
    }

    // The data bar's arrows and the close box leave the cell editor open: its text still counts,
    // and the bar's move is not pulled back to the row the text was typed in.
    void textLeftInTheEditorIsStored_data()
    {
        QTest::addColumn<bool>("newLine");
        QTest::addColumn<QString>("arrow");     // empty: the close box
        QTest::addColumn<QString>("caption");   // after the arrow
        QTest::newRow("new line, data bar") << true << "moveFirst" << "Record: 1";
        QTest::newRow("new line, close box") << true << "" << "";
        QTest::newRow("stored row, data bar") << false << "moveNext" << "Record: 3";
        QTest::newRow("stored row, close box") << false << "" << "";
    }
    void textLeftInTheEditorIsStored()
    {
        QFETCH(bool, newLine);
        QFETCH(QString, arrow);
        QFETCH(QString, caption);
        if (newLine) {
            click(form, "cmdAdd");
            type(5, 1, QStringLiteral("Gel Polish"), false);
        } else {
            type(1, 2, QStringLiteral("21.50"), false);
        }
        if (arrow.isEmpty())
            form->close();
        else
            click(form, arrow);
        QCoreApplication::processEvents();
        QVERIFY(dialogs->shown().isEmpty());
        QCOMPARE(form->isVisible(), !arrow.isEmpty());
        if (!arrow.isEmpty()) {
            QCOMPARE(this->caption(), caption);
            QCOMPARE(grid()->currentIndex().row(), int(form->datPrimaryRS()->absolutePosition()));
        }
        if (newLine)
            QCOMPARE(storedNames(), fiveServices + QStringList{QStringLiteral("Gel Polish")});
        else
            QCOMPARE(queryValues(QStringLiteral("SELECT UnitPrice FROM Products ORDER BY rowid")), (QVariantList{10, 21.5, 12, 13, 14}));
    }

    // Each service's minutes, its length when booked, follow its price: 30 for a service
    // stored without them; a whole number from 0 to 720, anything else refused and the
    // minutes kept.
    void minutesFollowThePrice_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("refused");
        QTest::newRow("whole number") << "45" << 45 << false;
        QTest::newRow("none") << "0" << 0 << false;
        QTest::newRow("longest") << "720" << 720 << false;
        QTest::newRow("too long") << "721" << 30 << true;
        QTest::newRow("negative") << "-5" << 30 << true;
        QTest::newRow("fraction") << "12.5" << 30 << true;
        QTest::newRow("words") << "half an hour" << 30 << true;
    }
    void minutesFollowThePrice()
    {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        QFETCH(bool, refused);
        QCOMPARE(model()->columnCount(), 4);
        QCOMPARE(model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Unit Price"));
        QCOMPARE(model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Minutes"));
        QCOMPARE(model()->index(1, 3).data().toString(), QStringLiteral("30"));
        if (refused)
            dialogs->answerMessage();
        type(1, 3, typed);
        QCOMPARE(dialogs->messageTexts(),
                 refused ? QStringList{QStringLiteral("The minutes must be a whole number from 0 to 720.")} : QStringList());
        QCOMPARE(queryValues(QStringLiteral("SELECT Minutes FROM Products ORDER BY rowid")), (QVariantList{30, stored, 30, 30, 30}));
        QCOMPARE(model()->index(1, 3).data().toString(), QString::number(stored));
    }

    void deleteOnTheNewLineOnlyDropsIt()
    {
        click(form, "cmdAdd");
        type(5, 2, QStringLiteral("12.50"));
        click(form, "cmdDelete");
        QCOMPARE(model()->rowCount(), 5);
        QCOMPARE(storedNames(), fiveServices);
        click(form, "cmdClose");
        QVERIFY(!form->isVisible());
    }

    void erasingAStoredNameIsRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << QString("");
        QTest::newRow("blanks") << QStringLiteral("  ");
    }
    void erasingAStoredNameIsRefused()
    {
        QFETCH(QString, typed);
        dialogs->answerMessage();
        type(1, 1, typed);
        QCOMPARE(dialogs->messageTexts(), QStringList{nameRequired});
        QCOMPARE(storedNames(), fiveServices);
        QCOMPARE(model()->index(1, 1).data().toString(), QStringLiteral("Pedicure"));
    }
};

QTEST_MAIN(TestFrmProducts)
#include "tst_frmproducts.moc"
