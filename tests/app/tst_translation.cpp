#include <translation.h>

#include <QtTest>

// Which translation file start-up picks for a system locale, and what it does
// when the files are missing.
class TestTranslation : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    void provide(const QStringList &languages)
    {
        for (const QString &language : languages) {
            const QString name = QString("KorvistDriver_%1.qm").arg(language);
            QVERIFY(QFile::copy(QStringLiteral(KORVIST_QM_DIR "/") + name, dir.path() + '/' + name));
        }
    }

    static QByteArray quoted(const QString &text) { return ('"' + text + '"').toUtf8(); }

private slots:
    void init()
    {
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
    }

    void languageTable_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("language");
        QTest::newRow("en_001") << "en_001" << "en_US";
        QTest::newRow("en_US") << "en_US" << "en_US";
        QTest::newRow("en_GB") << "en_GB" << "en_US";
        QTest::newRow("zh_CN") << "zh_CN" << "zh_CN";
        QTest::newRow("zh_TW") << "zh_TW" << "zh_CN";
        QTest::newRow("de_DE") << "de_DE" << "en_US";
        QTest::newRow("zh_HK not listed") << "zh_HK" << "en_US";
        QTest::newRow("lower case zh_cn") << "zh_cn" << "en_US";
        QTest::newRow("upper case ZH_TW") << "ZH_TW" << "en_US";
        QTest::newRow("dash separator") << "zh-CN" << "en_US";
        QTest::newRow("empty") << "" << "en_US";
    }
    void languageTable()
    {
        QFETCH(QString, locale);
        QFETCH(QString, language);
        QCOMPARE(translation::languageFor(locale), language);
    }

    void loadsTheChosenFile_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("noDevice");
        QTest::newRow("zh_TW reads Chinese") << "zh_TW" << "KorvistDriver_zh_CN.qm" << QString("声卡未连接！");
        QTest::newRow("de_DE reads English") << "de_DE" << "KorvistDriver_en_US.qm" << QString("Sound card not connected!");
    }
    void loadsTheChosenFile()
    {
        QFETCH(QString, locale);
        QFETCH(QString, file);
        QFETCH(QString, noDevice);
        provide({"en_US", "zh_CN"});
        const QString path = dir.path() + '/' + file;
        QTest::ignoreMessage(QtDebugMsg, "系统返回的语言代码： " + quoted(locale));
        QTest::ignoreMessage(QtDebugMsg, "拼接后的路径： " + quoted(path));
        QTest::ignoreMessage(QtDebugMsg, "成功加载翻译文件： " + quoted(path));
        QTranslator translator;
        QVERIFY(translation::install(translator, locale, dir.path()));
        QCOMPARE(QCoreApplication::translate("MainWindow", "声卡未连接！"), noDevice);
        QCoreApplication::removeTranslator(&translator);
    }

    void chineseMissingFallsBackToEnglish()
    {
        provide({"en_US"});
        const QString chinese = dir.path() + "/KorvistDriver_zh_CN.qm";
        const QString english = dir.path() + "/KorvistDriver_en_US.qm";
        QTest::ignoreMessage(QtDebugMsg, "系统返回的语言代码： \"zh_CN\"");
        QTest::ignoreMessage(QtDebugMsg, "拼接后的路径： " + quoted(chinese));
        QTest::ignoreMessage(QtDebugMsg, "加载默认翻译文件： " + quoted(english));
        QTranslator translator;
        QVERIFY(translation::install(translator, "zh_CN", dir.path()));
        QCOMPARE(QCoreApplication::translate("MainWindow", "声卡未连接！"), QString("Sound card not connected!"));
        QCoreApplication::removeTranslator(&translator);
    }

    void noFileAtAllKeepsSourceTexts()
    {
        provide({"zh_CN"});
        QTest::ignoreMessage(QtDebugMsg, "系统返回的语言代码： \"en_GB\"");
        QTest::ignoreMessage(QtDebugMsg, "拼接后的路径： " + quoted(dir.path() + "/KorvistDriver_en_US.qm"));
        QTest::ignoreMessage(QtWarningMsg, "未找到任何翻译文件，使用原始文本");
        QTranslator translator;
        QVERIFY(!translation::install(translator, "en_GB", dir.path()));
        QVERIFY(translator.isEmpty());
        QCOMPARE(QCoreApplication::translate("MainWindow", "声卡未连接！"), QString("声卡未连接！"));
    }
};

QTEST_GUILESS_MAIN(TestTranslation)
#include "tst_translation.moc"
