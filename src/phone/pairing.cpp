#include "pairing.h"

#include "phonelimits.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QtDebug>

namespace phone {

namespace {

const QByteArray kCookie = "korvist_phone";

QString field(const QByteArray &body, const QString &name)
{
    return QJsonDocument::fromJson(body).object().value(name).toString();
}

} // namespace

Pairing::Pairing(PairedPhones &pairedPhones, QObject *parent)
    : QObject(parent)
    , phones(pairedPhones)
{
    sweep.setInterval(1000);
    connect(&sweep, &QTimer::timeout, this, &Pairing::dropUnwatched);
}

HttpAnswer Pairing::ask(const QByteArray &body, const QHostAddress &address, const QString &browser)
{
    if (const std::optional<std::chrono::seconds> wait = guesses.waitFor(address))
        return jsonAnswer(429, "{\"error\":\"wait\",\"seconds\":" + QByteArray::number(qlonglong(wait->count())) + '}',
                          "Retry-After: " + QByteArray::number(qlonglong(wait->count())) + "\r\n");
    // A handful of questions at once is all a user can answer.
    if (openQuestions() >= limits::kOpenQuestions)
        return jsonAnswer(429, "{\"error\":\"busy\"}");
    if (!pairingCode.use(field(body, QStringLiteral("code")))) {
        guesses.wrong(address);
        return jsonAnswer(403, "{\"error\":\"wrong code\"}");
    }
    guesses.right(address);
    const QString id = QString::number(QRandomGenerator::system()->generate64(), 16);
    Question &question = questions[id];
    question.address = address;
    question.browser = browser;
    question.expiry.setRemainingTime(PairingCode::kLifetimeMs);
    question.unwatched.setRemainingTime(limits::kQuestionUnwatched);
    sweep.start();
    emit approvalWanted(id, address.toString(), browser);
    return jsonAnswer(202, QJsonDocument(QJsonObject {{QStringLiteral("wait"), id}}).toJson(QJsonDocument::Compact));
}

HttpAnswer Pairing::collect(const QByteArray &body, const QHostAddress &address)
{
    const QString id = field(body, QStringLiteral("wait"));
    const auto question = questions.find(id);
    // Only the phone that asked may collect its answer.
    if (question == questions.end() || question->address != address)
        return jsonAnswer(403, "{\"error\":\"denied\"}");
    question->unwatched.setRemainingTime(limits::kQuestionUnwatched);
    if (question->state == Question::State::Waiting && !question->expiry.hasExpired())
        return jsonAnswer(202, "{\"waiting\":true}");
    const Question answered = questions.take(id);
    if (answered.state != Question::State::Allowed) {
        emit approvalVoid(id);
        return jsonAnswer(403, "{\"error\":\"denied\"}");
    }
    return jsonAnswer(200, "{\"paired\":true}", cookieHeader(answered.token));
}

void Pairing::approve(const QString &request, bool allowed)
{
    const auto question = questions.find(request);
    if (question == questions.end() || question->state != Question::State::Waiting)
        return;
    if (!allowed || question->expiry.hasExpired()) {
        question->state = Question::State::Denied;
        return;
    }
    question->token = phones.pair(question->browser, question->address.toString());
    question->state = question->token.isEmpty() ? Question::State::Denied : Question::State::Allowed;
    qInfo().noquote() << QStringLiteral("The phone at %1 (%2) was allowed.").arg(question->address.toString(), question->browser);
}

QByteArray Pairing::cookieHeader(const QString &token, int lifetimeSeconds)
{
    return "Set-Cookie: " + kCookie + '=' + token.toLatin1() + "; Path=/; HttpOnly; SameSite=Strict; Max-Age="
            + QByteArray::number(lifetimeSeconds) + "\r\n";
}

QString Pairing::tokenOf(const QByteArray &cookies)
{
    for (const QByteArray &cookie : cookies.split(';')) {
        const QByteArray pair = cookie.trimmed();
        if (pair.startsWith(kCookie + '='))
            return QString::fromLatin1(pair.mid(kCookie.size() + 1));
    }
    return QString();
}

void Pairing::dropUnwatched()
{
    for (auto it = questions.begin(); it != questions.end();) {
        if (it->unwatched.hasExpired() || it->expiry.hasExpired()) {
            emit approvalVoid(it.key());
            it = questions.erase(it);
        } else {
            ++it;
        }
    }
    if (questions.isEmpty())
        sweep.stop();
}

int Pairing::openQuestions() const
{
    return int(std::count_if(questions.cbegin(), questions.cend(),
                             [](const Question &question) { return question.state == Question::State::Waiting; }));
}

} // namespace phone
