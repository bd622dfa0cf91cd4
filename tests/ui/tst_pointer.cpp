#include "pointer.h"

#include <QApplication>
#include <QtTest>

// The busy guard: busy while it lives, normal after it, however the block is left.
class TestPointer : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { pointer::normal(); }

    void busyForTheGuardsLifetime()
    {
        QVERIFY(!pointer::isBusy());
        {
            const pointer::Busy busy;
            QVERIFY(pointer::isBusy());
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(!pointer::isBusy());
    }

    void normalAfterAThrow()
    {
        try {
            const pointer::Busy busy;
            throw std::runtime_error("work failed");
        } catch (const std::runtime_error &) {
            QVERIFY(!pointer::isBusy());   // already normal when the failure is reported
        }
    }

    // end() gives the normal pointer back at once; the guard's end later changes nothing,
    // not even a busy pointer someone else set meanwhile.
    void endIsEarlyAndOnce()
    {
        {
            pointer::Busy busy;
            busy.end();
            QVERIFY(!pointer::isBusy());
            pointer::busy();
        }
        QVERIFY(pointer::isBusy());
    }
};

QTEST_MAIN(TestPointer)
#include "tst_pointer.moc"
