#include "translation.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMap>
#include <QTranslator>

namespace translation {

QString languageFor(const QString &localeName)
{
    static const QMap<QString, QString> languageMap {
        {QStringLiteral("en_001"), QStringLiteral("en_US")}, {QStringLiteral("en_US"), QStringLiteral("en_US")},
        {QStringLiteral("en_GB"), QStringLiteral("en_US")},  {QStringLiteral("zh_CN"), QStringLiteral("zh_CN")},
        {QStringLiteral("zh_TW"), QStringLiteral("zh_CN")},
    };
    return languageMap.value(localeName, QStringLiteral("en_US"));
}

bool install(QTranslator &translator, const QString &localeName, const QString &directory)
{
    qDebug() << "系统返回的语言代码：" << localeName;
    const QStringList candidates {languageFor(localeName)};
    for (const QString &language : candidates) {
        const QString path = QString(directory + "/KorvistDriver_%1.qm").arg(language);
        qDebug() << "拼接后的路径：" << path;
        if (translator.load(path)) {
            QCoreApplication::installTranslator(&translator);
            qDebug() << "成功加载翻译文件：" << path;
            return true;
        }
    }
    const QString fallback = directory + "/KorvistDriver_en_US.qm";
    if (translator.load(fallback)) {
        QCoreApplication::installTranslator(&translator);
        qDebug() << "加载默认翻译文件：" << fallback;
        return true;
    }
    qWarning() << "未找到任何翻译文件，使用原始文本";
    return false;
}

} // namespace translation
