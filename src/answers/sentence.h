#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// What the program says in answer to a request, kept as its identity (the
// English source, marked for translation where it is written) and its
// arguments, so that each reader renders it in its own language: scripts and
// surfaces read the English, the window shows the user's language. Nothing
// is ever translated back from the English, so a sentence is written once.
namespace answers {

class Sentence
{
public:
    Sentence() = default;
    // The user's own text, a value or a list of names: the same in every language.
    Sentence(const QString &verbatim); // NOLINT: implicit, as any text may be said as it is
    // source is marked with QT_TRANSLATE_NOOP("Answer", "...") where it is written.
    explicit Sentence(const char *source);
    // A text of another part of the program, translated as that part shows it:
    // the window's status label, an input's name. Its English is its source.
    static Sentence shownAs(const char *context, const QString &source);
    // Several sentences, one per line.
    static Sentence lines(const std::vector<Sentence> &lines);

    // Fills the lowest %n not yet filled, as QString::arg does, but in one pass
    // at rendering: a part's own '%' is never taken for a placeholder.
    Sentence &arg(const Sentence &part);
    Sentence &arg(int number);
    Sentence &arg(qint64 number);

    QString english() const;
    QString translated() const;
    bool isEmpty() const { return english().isEmpty(); }

private:
    QString render(bool translate) const;

    QByteArray context;
    QByteArray source; // empty for verbatim text and for lines
    QString verbatim;
    std::vector<Sentence> parts; // the arguments, or the lines
    bool joinsLines = false;
};

} // namespace answers
