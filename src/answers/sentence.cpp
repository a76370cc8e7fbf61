#include "sentence.h"

#include <QCoreApplication>

namespace answers {

namespace {

constexpr char kContext[] = "Answer";

} // namespace

Sentence::Sentence(const QString &text)
    : verbatim(text)
{
}

Sentence::Sentence(const char *sourceText)
    : context(kContext)
    , source(sourceText)
{
}

Sentence Sentence::shownAs(const char *otherContext, const QString &sourceText)
{
    Sentence sentence;
    sentence.context = otherContext;
    sentence.source = sourceText.toUtf8();
    return sentence;
}

Sentence Sentence::lines(const std::vector<Sentence> &lines)
{
    Sentence sentence;
    sentence.parts = lines;
    sentence.joinsLines = true;
    return sentence;
}

Sentence &Sentence::arg(const Sentence &part)
{
    parts.push_back(part);
    return *this;
}

Sentence &Sentence::arg(int number)
{
    return arg(QString::number(number));
}

Sentence &Sentence::arg(qint64 number)
{
    return arg(QString::number(number));
}

QString Sentence::english() const
{
    return render(false);
}

QString Sentence::translated() const
{
    return render(true);
}

QString Sentence::render(bool translate) const
{
    if (joinsLines) {
        QStringList rendered;
        for (const Sentence &line : parts)
            rendered << line.render(translate);
        return rendered.join(QLatin1Char('\n'));
    }
    if (source.isEmpty())
        return verbatim;
    const QString text = translate ? QCoreApplication::translate(context.constData(), source.constData())
                                   : QString::fromUtf8(source);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype number = i + 1 < text.size() && text[i] == QLatin1Char('%') ? text[i + 1].digitValue() : -1;
        if (number >= 1 && number <= qsizetype(parts.size())) {
            out += parts[std::size_t(number - 1)].render(translate);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace answers
