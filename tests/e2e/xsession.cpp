#include "xsession.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>

namespace {
constexpr int kStartTimeoutMs = 20000;
}

XSession::XSession() = default;

XSession::~XSession()
{
    for (QProcess *process : {&tray, &server}) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
            process->waitForFinished(5000);
        }
    }
}

bool XSession::start(bool withTray)
{
    // -displayfd picks a free display and tells its number on the given descriptor.
    // -noreset: by default the server resets when its last client leaves and
    // drops every connection still in its handshake, so a program starting
    // just as one xdotool query ends would be refused.
    server.start(QStringLiteral("Xvfb"),
                 {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
    if (!server.waitForStarted(kStartTimeoutMs))
        return false;
    QByteArray number;
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!number.contains('\n') && !deadline.hasExpired() && server.state() == QProcess::Running) {
        server.waitForReadyRead(100);
        number += server.readAllStandardOutput();
    }
    if (!number.contains('\n'))
        return false;
    displayName = ':' + QString::fromLatin1(number.trimmed());
    if (!withTray)
        return true;

    tray.setProcessEnvironment([this] {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), displayName);
        return environment;
    }());
    tray.start(QStringLiteral("trayer"), {"--edge", "top", "--align", "right", "--widthtype", "request", "--height",
                                          "32", "--SetDockType", "true", "--transparent", "false"});
    if (!tray.waitForStarted(kStartTimeoutMs))
        return false;
    while (!deadline.hasExpired() && tray.state() == QProcess::Running) {
        if (!windows(QStringLiteral("^panel$"), true).isEmpty())
            return true;
        QThread::msleep(50);
    }
    qWarning("XSession: no notification area on %s: %s", qPrintable(displayName),
             tray.readAllStandardError().constData());
    return false;
}

QStringList XSession::environment() const
{
    return {"DISPLAY=" + displayName, QStringLiteral("QT_QPA_PLATFORM=xcb")};
}

QString XSession::run(const QStringList &arguments) const
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), displayName);
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished(10000);
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

QStringList XSession::windows(const QString &namePattern, bool onlyVisible) const
{
    QStringList arguments {QStringLiteral("search")};
    if (onlyVisible)
        arguments << QStringLiteral("--onlyvisible");
    arguments << QStringLiteral("--name") << namePattern;
    return run(arguments).split('\n', Qt::SkipEmptyParts);
}

QRect XSession::geometry(const QString &window) const
{
    const QString text = run({"getwindowgeometry", "--shell", window});
    const auto field = [&text](const char *name) {
        const QRegularExpression pattern(QStringLiteral("^%1=(-?\\d+)$").arg(QLatin1String(name)),
                                         QRegularExpression::MultilineOption);
        return pattern.match(text).captured(1).toInt();
    };
    return {field("X"), field("Y"), field("WIDTH"), field("HEIGHT")};
}

QRect XSession::trayIcon(const QString &className) const
{
    for (const QString &window : run({"search", "--class", className}).split('\n', Qt::SkipEmptyParts)) {
        const QRect area = geometry(window);
        // The docked icon is the program's one window inside trayer's strip at the top.
        if (area.width() > 4 && area.height() > 4 && area.top() < 32 && area.left() > 0)
            return area;
    }
    return {};
}

QRect XSession::popup(const QString &className, const QString &untitledName) const
{
    const QString name = untitledName.isEmpty() ? className : untitledName;
    for (const QString &window :
         run({"search", "--onlyvisible", "--class", className}).split('\n', Qt::SkipEmptyParts)) {
        // The menu is the program's one large visible window without a title.
        if (run({"getwindowname", window}).trimmed() != name)
            continue;
        const QRect area = geometry(window);
        if (area.height() > 60)
            return area;
    }
    return {};
}

void XSession::click(const QPoint &at, int button) const
{
    run({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", QString::number(button)});
}

void XSession::moveMouse(const QPoint &to) const
{
    run({"mousemove", QString::number(to.x()), QString::number(to.y())});
}

void XSession::keys(const QStringList &names) const
{
    run(QStringList {"key", "--delay", "100"} + names);
}
