#include "desktopidentity.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QWidget>
#include <QtTest>

// The windows tell the desktop whose they are: the desktop entry's name and the program's icon.
class TestDesktopIdentity : public QObject
{
    Q_OBJECT

private slots:
    void windowsCarryTheProgramsIcon()
    {
        setDesktopIdentity();
        setProgramIcon();
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("velorine"));
        // The icon is drawn from the SVG compiled into the program: an empty image means the
        // resource or the SVG engine is missing.
        const QImage image = QApplication::windowIcon().pixmap(QSize(32, 32)).toImage();
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);      // the tile's rounded corner
        QCOMPARE(image.pixelColor(4, 16).alpha(), 255);   // the tile
        QVERIFY(image.pixelColor(4, 16).red() > image.pixelColor(4, 16).blue());
        QWidget window;
        QCOMPARE(window.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    }
};

QTEST_MAIN(TestDesktopIdentity)
#include "tst_desktopidentity.moc"
