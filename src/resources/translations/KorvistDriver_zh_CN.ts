<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Answer</name>
    <message>
        <source>saved preset &quot;%1&quot;</source>
        <translation>已保存预设“%1”。</translation>
    </message>
    <message>
        <source>loaded preset &quot;%1&quot;</source>
        <translation>已载入预设“%1”。</translation>
    </message>
    <message>
        <source>48V left off on %1: switch it on by hand</source>
        <translation>%1 的 48V 幻象电源保持关闭：请手动打开。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a preset name: use letters, digits, space, - and _, 1 to %2 characters, no space at either end</source>
        <translation>“%1”不是有效的预设名称：请使用字母、数字、空格、- 和 _，长度为 1 到 %2 个字符，首尾不能有空格。</translation>
    </message>
    <message>
        <source>the %1 panel has no saved-state file, so it has no presets</source>
        <translation>%1 面板没有状态文件，因此没有预设。</translation>
    </message>
    <message>
        <source>cannot make the folder %1</source>
        <translation>无法创建文件夹 %1。</translation>
    </message>
    <message>
        <source>cannot write %1</source>
        <translation>无法写入 %1。</translation>
    </message>
    <message>
        <source>no preset &quot;%1&quot; for the %2; presets: none</source>
        <translation>%2 没有名为“%1”的预设；目前没有任何预设。</translation>
    </message>
    <message>
        <source>no preset &quot;%1&quot; for the %2; presets: %3</source>
        <translation>%2 没有名为“%1”的预设；现有预设：%3。</translation>
    </message>
    <message>
        <source>preset &quot;%1&quot; refused, nothing changed: %2</source>
        <translation>预设“%1”被拒绝，未做任何更改：%2。</translation>
    </message>
    <message>
        <source>the interface refused part of preset &quot;%1&quot;; the panel shows it loaded</source>
        <translation>声卡拒绝了预设“%1”的部分设置；面板显示为已载入。</translation>
    </message>
    <message>
        <source>it is not a readable ini file</source>
        <translation>它不是可读取的 ini 文件</translation>
    </message>
    <message>
        <source>it is for the %1, not for the connected %2</source>
        <translation>它属于 %1，而不是当前连接的 %2</translation>
    </message>
    <message>
        <source>an unknown model</source>
        <translation>未知型号</translation>
    </message>
    <message>
        <source>%1=%2: the %3 has no such key</source>
        <translation>%1=%2：%3 没有这个键</translation>
    </message>
    <message>
        <source>%1=%2: %3</source>
        <translation>%1=%2：%3</translation>
    </message>
    <message>
        <source>%1 takes one value, not &quot;%2&quot;</source>
        <translation>%1 只接受一个值，而不是“%2”</translation>
    </message>
    <message>
        <source>%1 takes on, off, true or false, not &quot;%2&quot;</source>
        <translation>%1 只接受 on、off、true 或 false，而不是“%2”</translation>
    </message>
    <message>
        <source>%1 takes %2, not &quot;%3&quot;</source>
        <translation>%1 需要 %2，而不是“%3”</translation>
    </message>
    <message>
        <source>%1 is out of range for %2: give %3</source>
        <translation>%1 超出了 %2 的范围：请给出 %3</translation>
    </message>
    <message>
        <source>a whole number from %1 to %2</source>
        <translation>%1 到 %2 之间的整数</translation>
    </message>
    <message>
        <source>MIC</source>
        <translation>麦克风</translation>
    </message>
    <message>
        <source>MIC1</source>
        <translation>麦克风1</translation>
    </message>
    <message>
        <source>MIC2</source>
        <translation>麦克风2</translation>
    </message>
    <message>
        <source>%1 takes no limit: only output and phone levels do (%2)</source>
        <translation>%1 不能设置上限：只有输出和手机音量可以（%2）</translation>
    </message>
    <message>
        <source>%1 takes a limit from %2 to %3, or none; not &quot;%4&quot;</source>
        <translation>%1 的上限须在 %2 到 %3 之间，或为 none；而不是“%4”</translation>
    </message>
    <message>
        <source>the limit for %1 could not be saved, so it was not set</source>
        <translation>%1 的上限无法保存，因此未设置。</translation>
    </message>
    <message>
        <source>%1 is above the limit of %2 set for %3: give at most %2, or lift the limit (--limit %3=none)</source>
        <translation>%1 高于为 %3 设置的上限 %2：请给出不超过 %2 的值，或解除上限（--limit %3=none）</translation>
    </message>
    <message>
        <source>%1 takes on, off, toggle, true or false, not &quot;%2&quot;</source>
        <translation>%1 只接受 on、off、toggle、true 或 false，而不是“%2”</translation>
    </message>
    <message>
        <source>48V on %1 is switched on by hand or by a script only: it stays off</source>
        <translation>%1 的 48V 只能手动或由脚本打开：保持关闭。</translation>
    </message>
    <message>
        <source>%1 set to its limit of %2, not %3</source>
        <translation>%1 设为其上限 %2，而不是 %3。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a preset name: Windows reserves CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, in any letter case, for devices</source>
        <translation>“%1”不是有效的预设名称：Windows 将 CON、PRN、AUX、NUL、COM1 至 COM9 和 LPT1 至 LPT9（不分大小写）保留给设备使用。</translation>
    </message>
    <message>
        <source>cannot delete %1</source>
        <translation>无法删除 %1。</translation>
    </message>
    <message>
        <source>deleted preset &quot;%1&quot;</source>
        <translation>已删除预设“%1”。</translation>
    </message>
    <message>
        <source>the %1 has no control &quot;%2&quot;; valid keys: %3</source>
        <translation>%1 没有控件“%2”；有效的键：%3</translation>
    </message>
    <message>
        <source>set needs KEY=VALUE, not &quot;%1&quot;</source>
        <translation>set 需要 KEY=VALUE，而不是“%1”</translation>
    </message>
    <message>
        <source>the interface refused the change; the panel shows %1</source>
        <translation>声卡拒绝了更改；面板显示 %1。</translation>
    </message>
    <message>
        <source>limit needs KEY=DB or KEY=none, not &quot;%1&quot;</source>
        <translation>limit 需要 KEY=DB 或 KEY=none，而不是“%1”</translation>
    </message>
    <message>
        <source>no interface connected: Korvist Mixer shows &quot;%1&quot;</source>
        <translation>未连接声卡：Korvist Mixer 显示“%1”。</translation>
    </message>
    <message>
        <source>nothing</source>
        <translation>空</translation>
    </message>
    <message>
        <source>%1 arguments</source>
        <translation>%1 个参数</translation>
    </message>
    <message>
        <source>nil</source>
        <translation>nil</translation>
    </message>
    <message>
        <source>%1 is not an address of Korvist Mixer; /korvist/list names every control</source>
        <translation>%1 不是 Korvist Mixer 的地址；/korvist/list 列出所有控件</translation>
    </message>
    <message>
        <source>%1 takes one number from 0 to 1, not %2</source>
        <translation>%1 只接受 0 到 1 之间的一个数，而不是 %2</translation>
    </message>
    <message>
        <source>%1 takes one value, or none to toggle a switch, not %2</source>
        <translation>%1 只接受一个值（开关不带值则切换），而不是 %2</translation>
    </message>
    <message>
        <source>%1 is not an address of Korvist Mixer: they begin with /korvist/</source>
        <translation>%1 不是 Korvist Mixer 的地址：地址以 /korvist/ 开头</translation>
    </message>
    <message>
        <source>%1 takes the UDP port to send to, a whole number from 1 to 65535, not %2</source>
        <translation>%1 只接受要发送到的 UDP 端口（1 到 65535 的整数），而不是 %2</translation>
    </message>
    <message>
        <source>%1 takes level readings a second, a whole number from 2 to %2 (0 for the usual 2), not %3</source>
        <translation>%1 只接受每秒电平读数（2 到 %2 的整数，0 表示通常的 2），而不是 %3</translation>
    </message>
    <message>
        <source>%1 takes a preset&apos;s name, not %2</source>
        <translation>%1 只接受预设名称，而不是 %2</translation>
    </message>
    <message>
        <source>no interface connected</source>
        <translation>未连接声卡</translation>
    </message>
    <message>
        <source>%1 takes 1 or 0 (or on, off, toggle), not %2</source>
        <translation>%1 只接受 1 或 0（或 on、off、toggle），而不是 %2</translation>
    </message>
    <message>
        <source>%1 is a switch, not a fader: send it 1 or 0, or nothing to toggle it</source>
        <translation>%1 是开关，不是推子：请发送 1 或 0，或不带值以切换</translation>
    </message>
    <message>
        <source>%1 is beyond the travel of %2: give 0 to 1</source>
        <translation>%1 超出了 %2 的行程：请给出 0 到 1</translation>
    </message>
    <message>
        <source>%1 is a knob: give it a whole number from %2 to %3, or a position from 0 to 1 at its fader</source>
        <translation>%1 是旋钮：请给出 %2 到 %3 的整数，或在其推子上给出 0 到 1 的位置</translation>
    </message>
    <message>
        <source>no control named &quot;%1&quot; on the %2: did you mean %3?</source>
        <translation>%2 上没有名为“%1”的控件：您是指 %3 吗？</translation>
    </message>
    <message>
        <source>no control named &quot;%1&quot; on the %2; /korvist/list names every control</source>
        <translation>%2 上没有名为“%1”的控件；/korvist/list 列出所有控件</translation>
    </message>
    <message>
        <source>%1 surfaces are subscribed already</source>
        <translation>已有 %1 个控制器订阅</translation>
    </message>
    <message>
        <source>%1 surfaces of this host are subscribed already</source>
        <translation>此主机已有 %1 个控制器订阅</translation>
    </message>
    <message>
        <source>levels go to subscriptions: subscribe first, then ask for %1 readings a second</source>
        <translation>电平只发送给订阅者：请先订阅，再请求每秒 %1 次读数</translation>
    </message>
    <message>
        <source>Control surfaces (OSC) cannot listen: UDP port %1 could not be opened (%2). Trying again every %3 seconds.</source>
        <translation>外部控制器 (OSC) 无法监听：无法打开 UDP 端口 %1（%2）。每 %3 秒重试一次。</translation>
    </message>
    <message>
        <source>the limit of %1 for %2 is kept, but the interface refused to bring the level down to it: it may still play louder than the panel shows</source>
        <translation>%2 的上限 %1 已保留，但声卡拒绝将音量降到该上限：实际音量可能仍高于面板所示。</translation>
    </message>
    <message>
        <source>the saved limit is damaged, so the level is held at %1 dB: set the limit again</source>
        <translation>保存的上限已损坏，因此音量被限制在 %1 dB：请重新设置上限。</translation>
    </message>
    <message>
        <source>port %1 is Korvist Mixer&apos;s own: subscribe the port your surface listens on</source>
        <translation>端口 %1 是 Korvist Mixer 自己的端口：请订阅你的控制面监听的端口</translation>
    </message>
    <message>
        <source>limited to %1 dB</source>
        <translation>限制在 %1 dB</translation>
    </message>
    <message>
        <source>at the top of its range</source>
        <translation>已到范围顶端</translation>
    </message>
    <message>
        <source>at the bottom of its range</source>
        <translation>已到范围底端</translation>
    </message>
    <message>
        <source>%1 is a switch, which a step cannot move: turn it with --set %1=toggle</source>
        <translation>%1 是开关，步进无法移动它：请用 --set %1=toggle 切换</translation>
    </message>
    <message>
        <source>step needs KEY=N, N a whole number of dB up or down, not &quot;%1&quot;</source>
        <translation>step 需要 KEY=N，N 为向上或向下的整数 dB，而不是“%1”</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no shortcut action: give &quot;step KEY=N&quot; (N from -%2 to %2, not 0), &quot;toggle KEY&quot;, &quot;preset NAME&quot; or &quot;show&quot;</source>
        <translation>“%1”不是快捷键动作：请给出“step KEY=N”（N 为 -%2 到 %2，不为 0）、“toggle KEY”、“preset NAME”或“show”</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no key combination for a shortcut: give one key with Ctrl, Alt or Meta held, such as Ctrl+Alt+Up (a key alone would be taken from every other program)</source>
        <translation>“%1”不是快捷键组合：请给出一个按住 Ctrl、Alt 或 Meta 的键，例如 Ctrl+Alt+Up（单独一个键会从所有其他程序夺走它）</translation>
    </message>
    <message>
        <source>hotkey takes nothing (to list the shortcuts), KEYS ACTION or KEYS none, such as --hotkey &quot;Ctrl+Alt+Up&quot; &quot;step SpeakerValue=2&quot;</source>
        <translation>hotkey 不带参数（列出快捷键），或 KEYS ACTION，或 KEYS none，例如 --hotkey &quot;Ctrl+Alt+Up&quot; &quot;step SpeakerValue=2&quot;</translation>
    </message>
    <message>
        <source>the connected %1 has no control %2: the shortcut does nothing while it is connected</source>
        <translation>当前连接的 %1 没有控件 %2：连接期间该快捷键不起作用</translation>
    </message>
    <message>
        <source>media-keys takes a level&apos;s name and a step, such as --media-keys SpeakerValue 2, or off</source>
        <translation>media-keys 需要一个音量名称和步长，例如 --media-keys SpeakerValue 2，或 off</translation>
    </message>
    <message>
        <source>a media key steps 1 to %1 dB, not &quot;%2&quot;</source>
        <translation>媒体键每次步进 1 到 %1 dB，而不是“%2”</translation>
    </message>
    <message>
        <source>%1 is let go, but shortcuts.ini could not be written: it comes back at the next start</source>
        <translation>%1 已释放，但无法写入 shortcuts.ini：下次启动时它会恢复</translation>
    </message>
    <message>
        <source>%1 is held by another program: not registered</source>
        <translation>%1 已被另一个程序占用：未注册</translation>
    </message>
    <message>
        <source>%1 cannot be held here: this desktop lends no keys to a program (Wayland), or has no such key: not registered</source>
        <translation>此处无法占用 %1：此桌面不向程序出借按键（Wayland），或没有这个键：未注册</translation>
    </message>
    <message>
        <source>shortcuts.ini could not be written: %1 not registered</source>
        <translation>无法写入 shortcuts.ini：%1 未注册</translation>
    </message>
    <message>
        <source>the media keys step an output or phone level of the %1: %2, not &quot;%3&quot;</source>
        <translation>媒体键步进 %1 的输出或手机音量：%2，而不是“%3”</translation>
    </message>
    <message>
        <source>%1 is held by another program: the media keys stay the system&apos;s</source>
        <translation>%1 已被另一个程序占用：媒体键仍归系统使用</translation>
    </message>
    <message>
        <source>%1 cannot be held here: this desktop lends no keys to a program (Wayland): the media keys stay the system&apos;s</source>
        <translation>此处无法占用 %1：此桌面不向程序出借按键（Wayland）：媒体键仍归系统使用</translation>
    </message>
</context>
<context>
    <name>Knob</name>
    <message>
        <source>Limited to %1 %2.</source>
        <translation>上限为 %1 %2。</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>声卡未连接！</source>
        <translation>声卡未连接！</translation>
    </message>
    <message>
        <source>声卡正在另一个会话中使用。</source>
        <translation>声卡正在另一个会话中使用。</translation>
    </message>
</context>
<context>
    <name>PresetNameDialog</name>
    <message>
        <source>Save current as...</source>
        <translation>当前状态另存为...</translation>
    </message>
    <message>
        <source>Preset name:</source>
        <translation>预设名称：</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Buffer Size</source>
        <translation>缓冲区大小</translation>
    </message>
    <message>
        <source>USB Latency Size</source>
        <translation>USB 延迟大小</translation>
    </message>
    <message>
        <source>Safe Mode</source>
        <translation>安全模式</translation>
    </message>
    <message>
        <source>USB Error</source>
        <translation>USB 错误</translation>
    </message>
    <message>
        <source>USB Error Count: %1</source>
        <translation>USB 错误次数：%1</translation>
    </message>
</context>
<context>
    <name>TrayIcon</name>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Main Window</source>
        <translation>主窗口</translation>
    </message>
    <message>
        <source>Upgrade Firmware</source>
        <translation>升级固件</translation>
    </message>
    <message>
        <source>Refresh Audio Device</source>
        <translation>刷新音频设备</translation>
    </message>
    <message>
        <source>Win Sound Pannel</source>
        <translation>系统声音面板</translation>
    </message>
    <message>
        <source>Presets</source>
        <translation>预设</translation>
    </message>
    <message>
        <source>Save current as...</source>
        <translation>当前状态另存为...</translation>
    </message>
    <message>
        <source>Control Surfaces (OSC)</source>
        <translation>外部控制器 (OSC)</translation>
    </message>
    <message>
        <source>Volume Limits...</source>
        <translation>音量上限...</translation>
    </message>
    <message>
        <source>Control Surfaces (OSC) on %1</source>
        <translation>外部控制器 (OSC) 端口 %1</translation>
    </message>
    <message>
        <source>Remote Access...</source>
        <translation>远程访问...</translation>
    </message>
    <message>
        <source>Keyboard Shortcuts...</source>
        <translation>键盘快捷键...</translation>
    </message>
</context>
<context>
    <name>VolumeLimitsDialog</name>
    <message>
        <source>Volume Limits</source>
        <translation>音量上限</translation>
    </message>
    <message>
        <source>No way in, not even a preset or a script, takes a level above its limit.</source>
        <translation>任何方式（包括预设和脚本）都不会把音量调到上限以上。</translation>
    </message>
    <message>
        <source>声卡未连接！</source>
        <translation>声卡未连接！</translation>
    </message>
    <message>
        <source>%1 limit</source>
        <translation>%1 上限</translation>
    </message>
</context>
<context>
    <name>panelkit</name>
    <message>
        <source>Gain of the microphone input</source>
        <translation>麦克风输入的增益</translation>
    </message>
    <message>
        <source>On: the input takes an instrument instead of a microphone</source>
        <translation>开：输入接乐器而不是麦克风</translation>
    </message>
    <message>
        <source>On: the input is lowered by 20 dB</source>
        <translation>开：输入衰减 20 dB</translation>
    </message>
    <message>
        <source>On: 48 V phantom power for a condenser microphone</source>
        <translation>开：为电容麦克风提供 48 V 幻象电源</translation>
    </message>
    <message>
        <source>On: the input is heard directly, without going through the computer</source>
        <translation>开：直接监听输入，不经过电脑</translation>
    </message>
    <message>
        <source>Output volume</source>
        <translation>输出音量</translation>
    </message>
    <message>
        <source>On: the output is silent</source>
        <translation>开：输出静音</translation>
    </message>
    <message>
        <source>On: the output is lowered by 20 dB</source>
        <translation>开：输出降低 20 dB</translation>
    </message>
    <message>
        <source>Level of the phone input in this output</source>
        <translation>手机输入在此输出中的音量</translation>
    </message>
    <message>
        <source>Off: the headphones play ASIO 1-2; on: ASIO 5-6</source>
        <translation>关：耳机播放 ASIO 1-2；开：播放 ASIO 5-6</translation>
    </message>
    <message>
        <source>%1 level</source>
        <translation>%1 电平</translation>
    </message>
    <message>
        <source>Current level, in dB</source>
        <translation>当前电平，单位 dB</translation>
    </message>
</context>
<context>
    <name>phone::PhoneApprovalPrompt</name>
    <message>
        <source>Allow a Phone?</source>
        <translation>允许这部手机吗？</translation>
    </message>
    <message>
        <source>A phone at %1 (%2) sent the pairing code. Allow it to control the mixer from its browser?</source>
        <translation>%1 上的手机（%2）发送了配对码。允许它通过浏览器控制调音台吗？</translation>
    </message>
    <message>
        <source>&amp;Allow</source>
        <translation>允许(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Don&apos;t Allow</source>
        <translation>不允许(&amp;D)</translation>
    </message>
</context>
<context>
    <name>remoteaccess::ConnectedNow</name>
    <message>
        <source>Control surfaces</source>
        <translation>外部控制器</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>端口</translation>
    </message>
    <message>
        <source>Asked for</source>
        <translation>订阅内容</translation>
    </message>
    <message>
        <source>Last heard</source>
        <translation>最近联系</translation>
    </message>
    <message>
        <source>Paired phones</source>
        <translation>已配对的手机</translation>
    </message>
    <message>
        <source>Browser</source>
        <translation>浏览器</translation>
    </message>
    <message>
        <source>Paired on</source>
        <translation>配对时间</translation>
    </message>
    <message>
        <source>Last used</source>
        <translation>最近使用</translation>
    </message>
    <message>
        <source>Connected now</source>
        <translation>当前连接</translation>
    </message>
    <message>
        <source>&amp;Disconnect</source>
        <translation>断开(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;Forget Phone</source>
        <translation>忘记手机(&amp;F)</translation>
    </message>
    <message>
        <source>Control &amp;surfaces:</source>
        <translation>外部控制器(&amp;S)：</translation>
    </message>
    <message>
        <source>&amp;Paired phones:</source>
        <translation>已配对的手机(&amp;P)：</translation>
    </message>
    <message>
        <source>every change, levels %1 a second</source>
        <translation>每次更改，电平每秒 %1 次</translation>
    </message>
    <message>
        <source>every change</source>
        <translation>每次更改</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1（%2）</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>no</source>
        <translation>否</translation>
    </message>
    <message>
        <source>The phone is cut off, but the list of paired phones could not be saved: it will be paired again when Korvist Mixer next starts.</source>
        <translation>该手机已断开，但无法保存已配对手机列表：Korvist Mixer 下次启动时它将重新配对。</translation>
    </message>
</context>
<context>
    <name>remoteaccess::NetworkChoice</name>
    <message>
        <source>This computer only</source>
        <translation>仅此电脑</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>%1 (typed by hand)</source>
        <translation>%1（手动输入）</translation>
    </message>
    <message>
        <source>Other...</source>
        <translation>其他...</translation>
    </message>
    <message>
        <source>Other Network</source>
        <translation>其他网络</translation>
    </message>
    <message>
        <source>A network, as an address and its bits: 192.168.1.0/24 (at most a /16, or a /64 for IPv6):</source>
        <translation>网络，以地址和位数表示：192.168.1.0/24（最大为 /16，IPv6 为 /64）：</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a network: give an address and its bits, 192.168.1.0/24 (at most a /16, or a /64 for IPv6).</source>
        <translation>“%1”不是网络：请给出地址和位数，例如 192.168.1.0/24（最大为 /16，IPv6 为 /64）。</translation>
    </message>
</context>
<context>
    <name>remoteaccess::RemoteAccessDialog</name>
    <message>
        <source>Remote Access</source>
        <translation>远程访问</translation>
    </message>
    <message>
        <source>Connected now</source>
        <translation>当前连接</translation>
    </message>
    <message>
        <source>Who may connect</source>
        <translation>允许连接的设备</translation>
    </message>
    <message>
        <source>&amp;Network:</source>
        <translation>网络(&amp;N)：</translation>
    </message>
    <message>
        <source>This computer may always connect. Devices on the chosen network may use the control surfaces and the phone remote.</source>
        <translation>此电脑始终可以连接。所选网络上的设备可以使用外部控制器和手机遥控。</translation>
    </message>
    <message>
        <source>Control surfaces (OSC)</source>
        <translation>外部控制器 (OSC)</translation>
    </message>
    <message>
        <source>Serve &amp;control surfaces</source>
        <translation>为外部控制器提供服务(&amp;C)</translation>
    </message>
    <message>
        <source>C&amp;opy Address</source>
        <translation>复制地址(&amp;O)</translation>
    </message>
    <message>
        <source>UDP &amp;port:</source>
        <translation>UDP 端口(&amp;P)：</translation>
    </message>
    <message>
        <source>Phone remote</source>
        <translation>手机遥控</translation>
    </message>
    <message>
        <source>Serve the panel to p&amp;hones</source>
        <translation>向手机提供面板(&amp;H)</translation>
    </message>
    <message>
        <source>A phone needs the network it is on: with this computer only, no phone can reach the panel. Choose the network here or above.</source>
        <translation>手机需要其所在的网络：仅允许此电脑时，任何手机都无法访问面板。请在此处或上方选择网络。</translation>
    </message>
    <message>
        <source>Phone&apos;s ne&amp;twork:</source>
        <translation>手机所在网络(&amp;T)：</translation>
    </message>
    <message>
        <source>TCP po&amp;rt:</source>
        <translation>TCP 端口(&amp;R)：</translation>
    </message>
    <message>
        <source>Off: no surface can connect.</source>
        <translation>关闭：任何控制器都无法连接。</translation>
    </message>
    <message>
        <source>Type into the surface app: %1, port %2</source>
        <translation>在控制器应用中输入：%1，端口 %2</translation>
    </message>
    <message>
        <source>Apps on this computer reach it at 127.0.0.1, port %1. For a tablet or phone, choose its network above.</source>
        <translation>此电脑上的应用可通过 127.0.0.1、端口 %1 访问。平板或手机请在上方选择其网络。</translation>
    </message>
    <message>
        <source>Open %1 on the phone, or scan the code.</source>
        <translation>在手机上打开 %1，或扫描二维码。</translation>
    </message>
    <message>
        <source>QR code of %1 with the pairing code</source>
        <translation>含配对码的 %1 二维码</translation>
    </message>
    <message>
        <source>Pairing code: %1 (a new one comes every two minutes)</source>
        <translation>配对码：%1（每两分钟更换一次）</translation>
    </message>
</context>
<context>
    <name>rk1</name>
    <message>
        <source>INPUT</source>
        <translation>输入</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>增益</translation>
    </message>
    <message>
        <source>MIC</source>
        <translation>麦克风</translation>
    </message>
    <message>
        <source>DIRECT</source>
        <translation>直接监听</translation>
    </message>
    <message>
        <source>HEADPHONE</source>
        <translation>耳机</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>音量</translation>
    </message>
    <message>
        <source>Phone To HP Volume</source>
        <translation>手机到耳机音量</translation>
    </message>
    <message>
        <source>INST</source>
        <translation>乐器</translation>
    </message>
</context>
<context>
    <name>rk2</name>
    <message>
        <source>MIC1</source>
        <translation>麦克风1</translation>
    </message>
    <message>
        <source>MIC2</source>
        <translation>麦克风2</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>增益</translation>
    </message>
    <message>
        <source>DIRECT</source>
        <translation>直接监听</translation>
    </message>
    <message>
        <source>SPEAKER</source>
        <translation>音箱</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>音量</translation>
    </message>
    <message>
        <source>Phone To SP Volume</source>
        <translation>手机到音箱音量</translation>
    </message>
    <message>
        <source>HEADPHONE</source>
        <translation>耳机</translation>
    </message>
    <message>
        <source>Phone To HP Volume</source>
        <translation>手机到耳机音量</translation>
    </message>
</context>
<context>
    <name>rs</name>
    <message>
        <source>MIC</source>
        <translation>麦克风</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>增益</translation>
    </message>
    <message>
        <source>DIRECT</source>
        <translation>直接监听</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>音量</translation>
    </message>
</context>
<context>
    <name>shortcuts::ChangeDisplay</name>
    <message>
        <source>On</source>
        <translation>开</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>关</translation>
    </message>
    <message>
        <source>Preset</source>
        <translation>预设</translation>
    </message>
</context>
<context>
    <name>shortcuts::KeyboardShortcutsDialog</name>
    <message>
        <source>Keyboard Shortcuts</source>
        <translation>键盘快捷键</translation>
    </message>
    <message>
        <source>These keys work while any program has the focus. Each press moves a level one step, never past its limit, and no key switches 48 V on. Backspace takes a key away.</source>
        <translation>无论哪个程序处于焦点，这些按键都有效。每按一次音量移动一步，绝不超过上限，且任何按键都不会打开 48V。按 Backspace 删除按键。</translation>
    </message>
    <message>
        <source>No interface is connected: its levels and switches are listed here once it is.</source>
        <translation>未连接声卡：连接后其音量和开关会列在此处。</translation>
    </message>
    <message>
        <source>Show changes from scripts, surfaces and phones on the screen too</source>
        <translation>也在屏幕上显示来自脚本、控制器和手机的更改</translation>
    </message>
    <message>
        <source>Media keys</source>
        <translation>媒体键</translation>
    </message>
    <message>
        <source>Off: they move the system volume</source>
        <translation>关闭：它们调节系统音量</translation>
    </message>
    <message>
        <source>The volume keys step</source>
        <translation>音量键步进</translation>
    </message>
    <message>
        <source>Each press steps it by</source>
        <translation>每按一次步进</translation>
    </message>
    <message>
        <source>While on, the keyboard&apos;s volume keys no longer move the system volume, and the mute key turns the output&apos;s MUTE on or off.</source>
        <translation>开启时，键盘的音量键不再调节系统音量，静音键开关该输出的 MUTE。</translation>
    </message>
    <message>
        <source>Held by another program: not working</source>
        <translation>已被另一个程序占用：不起作用</translation>
    </message>
    <message>
        <source>Not held: this desktop lends no keys to a program</source>
        <translation>未占用：此桌面不向程序出借按键</translation>
    </message>
    <message>
        <source>%1 up %2 dB</source>
        <translation>%1 增加 %2 dB</translation>
    </message>
    <message>
        <source>%1 down %2 dB</source>
        <translation>%1 降低 %2 dB</translation>
    </message>
    <message>
        <source>%1 on or off</source>
        <translation>%1 开或关</translation>
    </message>
    <message>
        <source>Load preset %1</source>
        <translation>载入预设 %1</translation>
    </message>
    <message>
        <source>Show the panel</source>
        <translation>显示面板</translation>
    </message>
</context>
</TS>
