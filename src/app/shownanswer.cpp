#include "shownanswer.h"

#include <QCoreApplication>
#include <QList>
#include <QRegularExpression>

namespace {

constexpr char kContext[] = "ShownAnswer";

// Word for word as remote::presets, the safety gate and remote::execute write
// them, the more particular before the more general. A placeholder between
// quotes is the user's own text (a name, a value) and stays as it is; any
// other may itself be a sentence or word of this list. Placeholders are
// numbered in the order they appear.
constexpr const char *kSentences[] = {
    QT_TRANSLATE_NOOP("ShownAnswer", "saved preset \"%1\""),
    QT_TRANSLATE_NOOP("ShownAnswer", "loaded preset \"%1\""),
    QT_TRANSLATE_NOOP("ShownAnswer", "48V left off on %1: switch it on by hand"),
    QT_TRANSLATE_NOOP("ShownAnswer", "\"%1\" is not a preset name: use letters, digits, space, - and _, 1 to %2 "
                                     "characters, no space at either end"),
    QT_TRANSLATE_NOOP("ShownAnswer", "the %1 panel has no saved-state file, so it has no presets"),
    QT_TRANSLATE_NOOP("ShownAnswer", "cannot make the folder %1"),
    QT_TRANSLATE_NOOP("ShownAnswer", "cannot write %1"),
    QT_TRANSLATE_NOOP("ShownAnswer", "no preset \"%1\" for the %2; presets: none"),
    QT_TRANSLATE_NOOP("ShownAnswer", "no preset \"%1\" for the %2; presets: %3"),
    QT_TRANSLATE_NOOP("ShownAnswer", "preset \"%1\" refused, nothing changed: %2"),
    QT_TRANSLATE_NOOP("ShownAnswer", "the interface refused part of preset \"%1\"; the panel shows it loaded"),
    QT_TRANSLATE_NOOP("ShownAnswer", "no interface connected: Korvist Mixer shows \"声卡未连接！\""),
    // Why a preset is refused.
    QT_TRANSLATE_NOOP("ShownAnswer", "it is not a readable ini file"),
    QT_TRANSLATE_NOOP("ShownAnswer", "it is for the %1, not for the connected %2"),
    QT_TRANSLATE_NOOP("ShownAnswer", "an unknown model"),
    QT_TRANSLATE_NOOP("ShownAnswer", "%1=%2: the %3 has no such key"),
    QT_TRANSLATE_NOOP("ShownAnswer", "%1=%2: %3"),
    QT_TRANSLATE_NOOP("ShownAnswer", "%1 takes one value, not \"%2\""),
    QT_TRANSLATE_NOOP("ShownAnswer", "%1 takes on, off, true or false, not \"%2\""),
    QT_TRANSLATE_NOOP("ShownAnswer", "%1 takes %2, not \"%3\""),
    QT_TRANSLATE_NOOP("ShownAnswer", "%1 is out of range for %2: give %3"),
    QT_TRANSLATE_NOOP("ShownAnswer", "a whole number from %1 to %2"),
    // The inputs, as the panels name them.
    QT_TRANSLATE_NOOP("ShownAnswer", "MIC"),
    QT_TRANSLATE_NOOP("ShownAnswer", "MIC1"),
    QT_TRANSLATE_NOOP("ShownAnswer", "MIC2"),
};

struct Sentence
{
    const char *source;
    QRegularExpression pattern;
    QList<bool> quoted; // of each placeholder, %1 first
};

const QRegularExpression &placeholder()
{
    static const QRegularExpression pattern(QStringLiteral("%(\\d)"));
    return pattern;
}

QList<Sentence> readSentences()
{
    QList<Sentence> sentences;
    for (const char *source : kSentences) {
        const QString text = QString::fromUtf8(source);
        Sentence sentence {source, {}, {}};
        QString pattern;
        qsizetype from = 0;
        for (const QRegularExpressionMatch &match : placeholder().globalMatch(text)) {
            const qsizetype at = match.capturedStart();
            pattern += QRegularExpression::escape(text.mid(from, at - from)) + QStringLiteral("(.*?)");
            sentence.quoted << (at > 0 && text.at(at - 1) == QLatin1Char('"'));
            from = match.capturedEnd();
        }
        pattern += QRegularExpression::escape(text.mid(from));
        sentence.pattern.setPattern(QRegularExpression::anchoredPattern(pattern));
        sentences << sentence;
    }
    return sentences;
}

QString shownSentence(const QString &text)
{
    static const QList<Sentence> sentences = readSentences();
    for (const Sentence &sentence : sentences) {
        const QRegularExpressionMatch parts = sentence.pattern.match(text);
        if (!parts.hasMatch())
            continue;
        // Filled in one pass: a part may hold a '%' of its own.
        const QString translation = QCoreApplication::translate(kContext, sentence.source);
        QString shown;
        qsizetype from = 0;
        for (const QRegularExpressionMatch &match : placeholder().globalMatch(translation)) {
            const int number = match.captured(1).toInt();
            const QString part = parts.captured(number);
            shown += translation.mid(from, match.capturedStart() - from)
                     + (sentence.quoted.value(number - 1, true) ? part : shownSentence(part));
            from = match.capturedEnd();
        }
        return shown + translation.mid(from);
    }
    return text;
}

} // namespace

QString shownAnswer(const QString &answer)
{
    QStringList lines = answer.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = shownSentence(line);
    return lines.join(QLatin1Char('\n'));
}
