#include "protocol.h"

namespace remote {

namespace {

struct VerbName
{
    Verb verb;
    const char *name;
};

constexpr VerbName kVerbs[] = {
    {Verb::List, "list"},
    {Verb::Get, "get"},
    {Verb::Set, "set"},
    {Verb::Step, "step"},
    {Verb::PresetSave, "preset-save"},
    {Verb::PresetLoad, "preset-load"},
    {Verb::PresetList, "preset-list"},
    {Verb::PresetDelete, "preset-delete"},
    {Verb::Show, "show"},
    {Verb::Osc, "osc"},
    {Verb::OscAllow, "osc-allow"},
    {Verb::Limit, "limit"},
    {Verb::Web, "web"},
    {Verb::Hotkey, "hotkey"},
    {Verb::MediaKeys, "media-keys"},
};

QString nameOf(Verb verb)
{
    for (const VerbName &entry : kVerbs)
        if (entry.verb == verb)
            return QString::fromLatin1(entry.name);
    return {};
}

QString escaped(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    out.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return out;
}

QString unescaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size()) {
            ++i;
            out += text[i] == QLatin1Char('n') ? QChar(QLatin1Char('\n')) : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

QStringList verbNames()
{
    QStringList names;
    for (const VerbName &entry : kVerbs)
        names << QString::fromLatin1(entry.name);
    return names;
}

bool takesArgument(Verb verb)
{
    return verb != Verb::List && verb != Verb::PresetList && verb != Verb::Show;
}

bool needsArgument(Verb verb)
{
    return takesArgument(verb) && verb != Verb::Osc && verb != Verb::Limit && verb != Verb::Web
        && verb != Verb::Hotkey && verb != Verb::MediaKeys;
}

bool isServiceVerb(Verb verb)
{
    return verb == Verb::Osc || verb == Verb::OscAllow || verb == Verb::Web || verb == Verb::Hotkey
        || verb == Verb::MediaKeys;
}

std::optional<Request> parseCommand(const QString &line, QString &error)
{
    const qsizetype space = line.indexOf(QLatin1Char(' '));
    const QString name = line.left(space);
    const QString argument = space < 0 ? QString() : line.mid(space + 1);
    for (const VerbName &entry : kVerbs) {
        if (name != QLatin1String(entry.name))
            continue;
        if (space < 0 ? needsArgument(entry.verb) : !takesArgument(entry.verb)) {
            error = takesArgument(entry.verb) ? QStringLiteral("%1 needs an argument").arg(name)
                                              : QStringLiteral("%1 takes no argument").arg(name);
            return std::nullopt;
        }
        return Request {entry.verb, argument};
    }
    error = QStringLiteral("unknown request \"%1\"; valid: %2").arg(name.left(40), verbNames().join(QStringLiteral(", ")));
    return std::nullopt;
}

std::optional<Request> parseRequest(const QString &line, QString &error)
{
    if (line.isEmpty() || !line.front().isDigit()) {
        error = QStringLiteral("a request line must start with its deadline (milliseconds since 1970 UTC) and a space");
        return std::nullopt;
    }
    bool ok = false;
    const qint64 deadline = line.section(QLatin1Char(' '), 0, 0).toLongLong(&ok);
    if (!ok || deadline <= 0 || !line.contains(QLatin1Char(' '))) {
        error = QStringLiteral("a deadline must be followed by a request");
        return std::nullopt;
    }
    std::optional<Request> request = parseCommand(line.section(QLatin1Char(' '), 1), error);
    if (request)
        request->deadline = deadline;
    return request;
}

QByteArray encodeRequest(const Request &request)
{
    QString line = QString::number(request.deadline) + QLatin1Char(' ') + nameOf(request.verb);
    if (needsArgument(request.verb) || (takesArgument(request.verb) && !request.argument.isEmpty()))
        line += QLatin1Char(' ') + request.argument;
    return line.toUtf8() + '\n';
}

QByteArray encodeAnswer(const Answer &answer)
{
    QByteArray line = QByteArray::number(answer.code) + ' ' + escaped(answer.text.english()).toUtf8();
    // An answer longer than the protocol allows is cut at a character boundary.
    if (line.size() >= kMaxLineBytes) {
        line.truncate(kMaxLineBytes - 1);
        while ((line.back() & 0xC0) == 0x80)
            line.chop(1);
        if (line.back() & 0x80)
            line.chop(1);
    }
    return line + '\n';
}

std::optional<Answer> parseAnswer(const QByteArray &line)
{
    const QString text = QString::fromUtf8(line).trimmed();
    if (text.size() < 1 || !text[0].isDigit() || (text.size() > 1 && text[1] != QLatin1Char(' ')))
        return std::nullopt;
    return Answer {text[0].digitValue(), unescaped(text.mid(2))};
}

} // namespace remote
