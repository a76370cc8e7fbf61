#include <QtTest>

#include <QImageReader>
#include <QPixmap>

// The icons start-up, the main window and the tray load from the resources.
class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void iconsLoad_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("largest");
        QTest::newRow("application icon") << ":/icon/icon.ico" << 256;
        QTest::newRow("window and tray icon") << ":/icon/icon.png" << 256;
    }
    void iconsLoad()
    {
        QFETCH(QString, path);
        QFETCH(int, largest);
        QImageReader reader(path);
        int widest = 0;
        do {
            const QImage image = reader.read();
            QVERIFY2(!image.isNull(), qPrintable(path + ": " + reader.errorString()));
            widest = qMax(widest, image.width());
        } while (reader.jumpToNextImage());
        QCOMPARE(widest, largest);
        QVERIFY(!QPixmap(path).isNull());
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
