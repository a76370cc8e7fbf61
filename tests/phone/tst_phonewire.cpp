// What a stranger on the network sends the phone remote, read as the server
// reads it: requests taken or refused within their bounds, frames refused on
// their header before their bytes arrive, and wrong pairing codes held off
// per host and across the network.
#include <guesslimiter.h>
#include <httpmessages.h>
#include <phonelimits.h>
#include <requestcheck.h>
#include <websocketwire.h>

#include <QtTest>

using phone::HttpRequestReader;
using phone::websocket::Read;

class TestPhoneWire : public QObject
{
    Q_OBJECT

private slots:
    void requests_data();
    void requests();
    void frames_data();
    void frames();
    void acceptKeyIsTheStandardOne();
    void hosts_data();
    void hosts();
    void wrongCodes_data();
    void wrongCodes();
};

void TestPhoneWire::requests_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<HttpRequestReader::State>("state");
    QTest::addColumn<int>("refusal");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("body");
    using State = HttpRequestReader::State;
    const QByteArray pair = "POST /pair?x=1 HTTP/1.1\r\nHost: a:1\r\nContent-Length: 3\r\n\r\n";
    QTest::newRow("whole") << pair + "abcdef" << State::Done << 0 << QByteArray("/pair") << QByteArray("abc");
    QTest::newRow("body still coming") << pair + "ab" << State::Reading << 0 << QByteArray() << QByteArray();
    QTest::newRow("body over the bound, refused on its header")
        << QByteArray("POST /pair HTTP/1.1\r\nContent-Length: 257\r\n\r\n") << State::Refused << 413 << QByteArray() << QByteArray();
    QTest::newRow("headers over the bound") << "GET / HTTP/1.1\r\nX: " + QByteArray(phone::limits::kMaxHeaderBytes, 'x')
                                            << State::Refused << 431 << QByteArray() << QByteArray();
    QTest::newRow("a header twice") << QByteArray("GET / HTTP/1.1\r\nHost: a:1\r\nHost: b:1\r\n\r\n") << State::Refused
                                    << 400 << QByteArray() << QByteArray();
    QTest::newRow("a bare line feed hiding a header")
        << QByteArray("GET / HTTP/1.1\r\nX: a\nHost: b:1\r\n\r\n") << State::Refused << 400 << QByteArray() << QByteArray();
    QTest::newRow("chunked") << QByteArray("POST /pair HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n") << State::Refused
                             << 501 << QByteArray() << QByteArray();
    QTest::newRow("a signed length") << QByteArray("POST /pair HTTP/1.1\r\nContent-Length: +3\r\n\r\nabc") << State::Refused
                                     << 400 << QByteArray() << QByteArray();
    QTest::newRow("no path") << QByteArray("GET http://a/ HTTP/1.1\r\n\r\n") << State::Refused << 400 << QByteArray()
                             << QByteArray();
}

void TestPhoneWire::requests()
{
    QFETCH(QByteArray, received);
    QFETCH(HttpRequestReader::State, state);
    HttpRequestReader reader;
    QCOMPARE(reader.read(received), state);
    if (state == HttpRequestReader::State::Refused)
        QTEST(reader.refusal(), "refusal");
    if (state == HttpRequestReader::State::Done) {
        QTEST(reader.request().path, "path");
        QTEST(reader.request().body, "body");
    }
}

void TestPhoneWire::frames_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<Read>("read");
    QTest::addColumn<int>("closeCode");
    QTest::addColumn<QByteArray>("payload");
    const QByteArray mask("\x01\x02\x03\x04", 4);
    QTest::newRow("masked text") << QByteArray("\x81\x82", 2) + mask + QByteArray("\x69\x6b", 2) << Read::Frame << 0
                                 << QByteArray("hi");
    QTest::newRow("header not yet whole") << QByteArray("\x81\xfe\x01", 3) << Read::NeedMore << 0 << QByteArray();
    QTest::newRow("unmasked") << QByteArray("\x81\x02hi", 4) << Read::Refused << 1002 << QByteArray();
    QTest::newRow("reserved bit") << QByteArray("\xc1\x82", 2) + mask + "hi" << Read::Refused << 1002 << QByteArray();
    QTest::newRow("long control frame") << QByteArray("\x89\xfe\x00\x7e", 4) << Read::Refused << 1002 << QByteArray();
    QTest::newRow("over the bound, declared in 16 bits") << QByteArray("\x81\xfe\x04\x01", 4) << Read::Refused << 1009
                                                         << QByteArray();
    QTest::newRow("over the bound, declared in 64 bits")
        << QByteArray("\x81\xff\x7f\xff\xff\xff\xff\xff\xff\xff", 10) << Read::Refused << 1009 << QByteArray();
}

void TestPhoneWire::frames()
{
    QFETCH(QByteArray, received);
    QFETCH(Read, read);
    phone::websocket::Frame frame;
    int closeCode = 0;
    QCOMPARE(phone::websocket::readFrame(received, 1024, frame, closeCode), read);
    QTEST(closeCode, "closeCode");
    if (read == Read::Frame)
        QTEST(frame.payload, "payload");
}

void TestPhoneWire::acceptKeyIsTheStandardOne()
{
    QCOMPARE(phone::websocket::acceptKey("dGhlIHNhbXBsZSBub25jZQ=="), QByteArray("s3pPLMBiTxaQ9kYGzzhZRbK+xOo="));
}

void TestPhoneWire::hosts_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("address and port") << QByteArray("127.0.0.1:8080") << 8080 << true;
    QTest::newRow("port 80 left out, as browsers write it") << QByteArray("127.0.0.1") << 80 << true;
    QTest::newRow("port left out, not 80") << QByteArray("127.0.0.1") << 8080 << false;
    QTest::newRow("another name") << QByteArray("rebound.example:8080") << 8080 << false;
    QTest::newRow("no name") << QByteArray(":80") << 80 << false;
    QTest::newRow("IPv6 in brackets") << QByteArray("[::1]:8080") << 8080 << true;
    QTest::newRow("IPv6 in brackets, port 80 left out") << QByteArray("[::1]") << 80 << true;
    QTest::newRow("IPv6 without brackets") << QByteArray("::1:8080") << 8080 << false;
    QTest::newRow("IPv4 in brackets") << QByteArray("[127.0.0.1]:8080") << 8080 << false;
}

void TestPhoneWire::hosts()
{
    QFETCH(QByteArray, host);
    QFETCH(int, port);
    const phone::Listening listening {quint16(port), {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)},
                                      std::nullopt};
    QTEST(phone::hostAllowed(host, listening), "allowed");
}

void TestPhoneWire::wrongCodes_data()
{
    QTest::addColumn<QStringList>("wrongFrom");
    QTest::addColumn<QString>("asking");
    QTest::addColumn<bool>("waits");
    const auto times = [](int count, const QString &address) { return QStringList(count, address); };
    QTest::newRow("4 from one: it may try") << times(4, "10.0.0.1") << "10.0.0.1" << false;
    QTest::newRow("5 from one: it waits") << times(5, "10.0.0.1") << "10.0.0.1" << true;
    QTest::newRow("5 from one: another may try") << times(5, "10.0.0.1") << "10.0.0.2" << false;
    QTest::newRow("mapped IPv4 is the IPv4 host") << times(5, "::ffff:10.0.0.1") << "10.0.0.1" << true;
    const QStringList oneNetwork {"fd00::1", "fd00::2", "fd00::3", "fd00::4", "fd00::5"};
    QTest::newRow("one /64 is one host") << oneNetwork << "fd00::9" << true;
    QTest::newRow("another /64 may try") << oneNetwork << "fd00:0:0:1::1" << false;
    QStringList many;
    for (int i = 1; i <= phone::limits::kWrongCodesPerMinute; ++i)
        many << QStringLiteral("10.0.1.%1").arg(i);
    QTest::newRow("one each from many: all wait") << many << "10.0.2.1" << true;
    QTest::newRow("one fewer: none waits") << many.mid(1) << "10.0.2.1" << false;
}

void TestPhoneWire::wrongCodes()
{
    QFETCH(QStringList, wrongFrom);
    QFETCH(QString, asking);
    phone::GuessLimiter guesses;
    for (const QString &address : wrongFrom)
        guesses.wrong(QHostAddress(address));
    QTEST(guesses.waitFor(QHostAddress(asking)).has_value(), "waits");
}

QTEST_GUILESS_MAIN(TestPhoneWire)
#include "tst_phonewire.moc"
