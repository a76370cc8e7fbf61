#include "settings.h"

#include "pipeclients.h"
#include "threadsettingspip.h"

#include <accessibility.h>
#include <korvistiocontrol.h>
#include <settingsfile.h>

#include <QComboBox>
#include <QDebug>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>
#include <new>

namespace {

constexpr int kUsbPollIntervalMs = 1000;
constexpr int kMonitorRestartDelayMs = 30000;

constexpr std::uint32_t kBufferSizes[] = {48, 64, 96, 128, 192, 256, 512, 1024};
constexpr std::uint32_t kLatencies[] = {8, 16, 24, 32};

const QString kCaptionStyle = QStringLiteral("font-size: 14px; color: #008888;");
const char *const kStopFailed = "停止音频失败，可能是驱动未正确加载或设备未连接。";
const char *const kRestartFailed = "重新启动音频失败，可能是驱动未正确加载或设备未连接。";

QStringList itemTexts(const std::uint32_t *first, const std::uint32_t *last)
{
    QStringList texts;
    std::transform(first, last, std::back_inserter(texts), [](std::uint32_t value) { return QString::number(value); });
    return texts;
}

bool isBufferSize(std::uint32_t size)
{
    return std::find(std::begin(kBufferSizes), std::end(kBufferSizes), size) != std::end(kBufferSizes);
}

// The USB latency (frames) the device needs for a buffer size (samples).
std::uint32_t requiredLatency(std::uint32_t bufferSize)
{
    if (bufferSize <= 64)
        return 8;
    if (bufferSize <= 128)
        return 16;
    if (bufferSize <= 256)
        return 24;
    return 32;
}

QLabel *centredLabel(const QString &text, const QString &style)
{
    auto *label = new QLabel(text);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(style);
    return label;
}

// The caption names its box for screen readers, and stays the one text to translate.
QLabel *caption(const QString &text, QWidget *box)
{
    QLabel *label = centredLabel(text, kCaptionStyle);
    label->setBuddy(box);
    return label;
}

QComboBox *comboBox(const QString &name, const QStringList &items)
{
    auto *box = new accessibility::ComboBox;
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

} // namespace

Settings::Settings()
    : QDialog(nullptr)
    , ioControl(new KorvistIoControl)
{
    qDebug() << "Settings dialog created.";
    setWindowTitle(QStringLiteral("Settings"));
    setStyleSheet(QStringLiteral("QDialog { background-color: #2c313c; color: white; }"));
    settingsFile = savedstate::openSettingsFile(QStringLiteral("setting.ini"), this);

    layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignCenter);
    layout->setContentsMargins(40, 10, 40, 40);
    layout->setSpacing(15);
    const QPixmap icon(QStringLiteral(":/icon/icon.png"));
    if (!icon.isNull())
        setWindowIcon(QIcon(icon));
    buildContents();

    // Filled before these connections, so filling them ran no handler.
    connect(bufferSizeBox, &QComboBox::currentIndexChanged, this, &Settings::onBufferSizeChanged);
    connect(latencyBox, &QComboBox::currentIndexChanged, this, &Settings::onUsbLatencyChanged);
    connect(safeModeBox, &QComboBox::currentIndexChanged, this, &Settings::onSafeModeChanged);

    auto *listener = new ThreadSettingsPip(this);
    listener->owner = this;
    connect(listener, &ThreadSettingsPip::progressUpdated, this, &Settings::showFromAsio);
    listener->start();

    pollTimer = new QTimer(this);
    pollTimer->setObjectName(QStringLiteral("pollTimer"));
    connect(pollTimer, &QTimer::timeout, this, &Settings::pollUsbStatus);
    pollTimer->start(kUsbPollIntervalMs);
}

Settings::~Settings()
{
    pollTimer->stop();
    delete settingsFile;
    settingsFile = nullptr;
    delete ioControl;
    ioControl = nullptr;
    qDebug() << "Settings dialog closed and resources cleaned up.";
}

void Settings::buildContents()
{
    const QString headingStyle = QStringLiteral("font-size: 18px; font-weight: bold; color: #00FFFF;");
    layout->addWidget(centredLabel(tr("Settings"), headingStyle));
    bufferSizeBox =
        comboBox(QStringLiteral("bufferSizeBox"), itemTexts(std::begin(kBufferSizes), std::end(kBufferSizes)));
    layout->addWidget(caption(tr("Buffer Size"), bufferSizeBox));
    layout->addWidget(bufferSizeBox);
    latencyBox = comboBox(QStringLiteral("latencyBox"), itemTexts(std::begin(kLatencies), std::end(kLatencies)));
    latencyBox->setCurrentIndex(0);
    layout->addWidget(caption(tr("USB Latency Size"), latencyBox));
    layout->addWidget(latencyBox);
    safeModeBox = comboBox(QStringLiteral("safeModeBox"), {QStringLiteral("Disabled"), QStringLiteral("Enabled")});
    layout->addWidget(caption(tr("Safe Mode"), safeModeBox));
    layout->addWidget(safeModeBox);
    layout->addSpacing(20);
    auto *okButton = new QPushButton(QStringLiteral("OK"));
    okButton->setStyleSheet(QStringLiteral("background-color: #008888; color: white; font-size: 14px;"));
    connect(okButton, &QPushButton::clicked, this, &Settings::onOkClicked);
    layout->addWidget(okButton, 0, Qt::AlignCenter);
    layout->addStretch();
    usbErrorLabel = centredLabel(tr("USB Error"), QStringLiteral("font-size: 10px; color: #888888;"));
    usbErrorLabel->setObjectName(QStringLiteral("usbErrorLabel"));
    usbErrorLabel->hide();
    layout->addWidget(usbErrorLabel);
}

bool Settings::connectDevice()
{
    auto *replacement = new (std::nothrow) KorvistIoControl;
    if (!replacement) {
        qDebug() << "Failed to create KorvistIoControl instance.";
        return false;
    }
    delete ioControl;
    ioControl = replacement;
    if (!ioControl->open()) {
        qDebug() << "Failed to create device in rk1.";
        deviceOnline = false;
        return false;
    }
    deviceOnline = true;
    return true;
}

void Settings::releaseDevice()
{
    delete ioControl;
    ioControl = new KorvistIoControl;
    deviceOnline = false;
}

void Settings::applySavedSettings()
{
    sendAudioControlCommand(QStringLiteral("STOP_MONITOR"));
    loadSettings();
    auto *monitorRestart = new QTimer(this);
    monitorRestart->setObjectName(QStringLiteral("monitorRestartTimer"));
    monitorRestart->setSingleShot(true);
    connect(monitorRestart, &QTimer::timeout, this, [monitorRestart] {
        monitorRestart->stop();
        sendAudioControlCommand(QStringLiteral("START_MONITOR"));
        qDebug() << "初始化设置完成";
        // One timer per hand-over; a long run with many replugs must not collect them.
        monitorRestart->deleteLater();
    });
    monitorRestart->start(kMonitorRestartDelayMs);
}

bool Settings::stopMonitor()
{
    return sendAudioControlCommand(QStringLiteral("STOP_MONITOR"));
}

// Each box's handler runs as soon as its selection changes, before the next line.
void Settings::loadSettings()
{
    selectStored(latencyBox, QStringLiteral("USB/LatencySize"), QStringLiteral("8"));
    selectStored(bufferSizeBox, QStringLiteral("Audio/BufferSize"), QStringLiteral("192"));
    selectStored(safeModeBox, QStringLiteral("USB/SlowMode"), QStringLiteral("Disabled"));
    qDebug() << "已从配置文件加载控件状态";
}

// Only one of the box's own items can reach the device; any other stored
// value leaves the box as it is.
void Settings::selectStored(QComboBox *box, const QString &key, const QString &defaultText)
{
    const QVariant stored = settingsFile ? settingsFile->value(key, defaultText) : QVariant(defaultText);
    const QString text = stored.toString();
    if (box->findText(text) < 0) {
        qWarning() << "Stored value ignored:" << key << stored;
        return;
    }
    box->setCurrentText(text);
}

void Settings::onBufferSizeChanged(int)
{
    const QString text = bufferSizeBox->currentText();
    const std::uint32_t size = text.toUInt();
    if (!isBufferSize(size)) {
        qDebug() << "未知的音频缓冲区大小选项：" << text;
        return;
    }
    qDebug() << "设置音频缓冲区大小为：" << size << "samples";
    std::uint32_t current = 0;
    const bool read = ioControl->getBufferSize(current);
    qDebug() << "当前音频缓冲区大小：" << current;
    if (!read) {
        qDebug() << "获取音频缓冲区大小失败，可能是驱动未正确加载或设备未连接。";
        return;
    }
    if (size == current)
        return;
    const std::uint32_t required = requiredLatency(size);
    qDebug() << "设置USB延迟大小为：" << required << "Frame";
    std::uint32_t latency = 0;
    if (!ioControl->getUsbLatency(latency)) {
        qDebug() << "获取USB延迟大小失败，可能是驱动未正确加载或设备未连接。";
        return;
    }
    qDebug() << "当前USB延迟大小：" << latency;
    // A change of selection runs the latency handler's whole sequence right here.
    if (latency > required)
        latencyBox->setCurrentText(QString::number(required));
    if (!ioControl->stopAudio()) {
        qDebug() << kStopFailed;
        return;
    }
    if (!ioControl->setBufferSize(size)) {
        qDebug() << "设置音频缓冲区大小失败，可能是驱动未正确加载或设备未连接。";
        restartAfterRefusal();
        return;
    }
    if (!ioControl->startAudio()) {
        qDebug() << kRestartFailed;
        return;
    }
    qDebug() << "音频缓冲区大小设置成功：" << size << "samples";
    if (savedstate::save(settingsFile, QStringLiteral("Audio/BufferSize"), bufferSizeBox->currentText()))
        qDebug() << "音频缓冲区大小设置已保存：" << bufferSizeBox->currentText();
}

void Settings::onUsbLatencyChanged(int)
{
    const std::uint32_t chosen = latencyBox->currentText().toUInt();
    const bool known = std::find(std::begin(kLatencies), std::end(kLatencies), chosen) != std::end(kLatencies);
    const std::uint32_t latency = known ? chosen : kLatencies[0];
    qDebug() << "设置USB延迟大小为：" << latency << "Frame";
    // A failed read leaves 0, so the choice is then applied whatever the device has.
    std::uint32_t current = 0;
    ioControl->getUsbLatency(current);
    qDebug() << "当前USB延迟大小：" << current;
    if (latency == current)
        return;
    if (!ioControl->stopAudio()) {
        qDebug() << kStopFailed;
        return;
    }
    if (!ioControl->setUsbLatency(latency)) {
        qDebug() << "设置USB延迟大小失败，可能是驱动未正确加载或设备未连接。";
        restartAfterRefusal();
        return;
    }
    if (!ioControl->startAudio()) {
        qDebug() << kRestartFailed;
        return;
    }
    if (savedstate::save(settingsFile, QStringLiteral("USB/LatencySize"), latencyBox->currentText()))
        qDebug() << "USB延迟大小设置已保存：" << latencyBox->currentText();
}

// No comparison with the device: every change of selection stops and restarts audio.
void Settings::onSafeModeChanged(int)
{
    if (!ioControl->stopAudio()) {
        qDebug() << kStopFailed;
        return;
    }
    const QString text = safeModeBox->currentText();
    const bool enable = text == QLatin1String("Enabled");
    if (!enable && text != QLatin1String("Disabled")) {
        qDebug() << "未知的USB慢速模式选项：" << text;
        restartAfterRefusal();
        return;
    }
    if (!(enable ? ioControl->enableSlowMode() : ioControl->disableSlowMode())) {
        qDebug() << "设置USB慢速模式失败，可能是驱动未正确加载或设备未连接。";
        restartAfterRefusal();
        return;
    }
    if (!ioControl->startAudio()) {
        qDebug() << kRestartFailed;
        return;
    }
    if (savedstate::save(settingsFile, QStringLiteral("USB/SlowMode"), text))
        qDebug() << "USB慢速模式设置已保存：" << text;
}

// A refused setting must not leave the user without sound; nothing is saved.
void Settings::restartAfterRefusal()
{
    if (ioControl->startAudio())
        qDebug() << "Audio restarted after a refused setting.";
    else
        qDebug() << kRestartFailed;
}

bool Settings::setAsioBufferSize(std::uint32_t size)
{
    if (!deviceOnline) {
        qDebug() << "Device is not on line.";
        return false;
    }
    if (!isBufferSize(size)) {
        qDebug() << "Invalid ASIO buffer size.";
        return false;
    }
    bufferSizeBox->setCurrentText(QString::number(size));
    qDebug() << "Pannel ASIO Buffer Size changed to:" << size;
    return true;
}

void Settings::pollUsbStatus()
{
    if (!deviceOnline) {
        qDebug() << "Device is not on line.";
        return;
    }
    if (!ioControl->getUsbStatus(usbStatus)) {
        qDebug() << "Failed to read meter data from driver.";
        return;
    }
    if (usbStatus.errorCount != 0) {
        usbErrorLabel->setText(tr("USB Error Count: %1").arg(usbStatus.errorCount));
        usbErrorLabel->show();
    } else {
        usbErrorLabel->hide();
    }
}

void Settings::showFromAsio()
{
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    show();
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    qDebug() << "Received signal from pipe thread to show settings window.";
}

void Settings::onOkClicked()
{
    hide();
    notifyAsioReset();
}
