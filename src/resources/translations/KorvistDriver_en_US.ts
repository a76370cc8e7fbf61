<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Answer</name>
    <message>
        <source>saved preset &quot;%1&quot;</source>
        <translation>Saved preset &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>loaded preset &quot;%1&quot;</source>
        <translation>Loaded preset &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>48V left off on %1: switch it on by hand</source>
        <translation>48V left off on %1: switch it on by hand.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a preset name: use letters, digits, space, - and _, 1 to %2 characters, no space at either end</source>
        <translation>&quot;%1&quot; is not a preset name: use letters, digits, space, - and _, 1 to %2 characters, no space at either end.</translation>
    </message>
    <message>
        <source>the %1 panel has no saved-state file, so it has no presets</source>
        <translation>The %1 panel has no saved-state file, so it has no presets.</translation>
    </message>
    <message>
        <source>cannot make the folder %1</source>
        <translation>Cannot make the folder %1.</translation>
    </message>
    <message>
        <source>cannot write %1</source>
        <translation>Cannot write %1.</translation>
    </message>
    <message>
        <source>no preset &quot;%1&quot; for the %2; presets: none</source>
        <translation>No preset &quot;%1&quot; for the %2; there are no presets.</translation>
    </message>
    <message>
        <source>no preset &quot;%1&quot; for the %2; presets: %3</source>
        <translation>No preset &quot;%1&quot; for the %2; presets: %3.</translation>
    </message>
    <message>
        <source>preset &quot;%1&quot; refused, nothing changed: %2</source>
        <translation>Preset &quot;%1&quot; refused, nothing changed: %2.</translation>
    </message>
    <message>
        <source>the interface refused part of preset &quot;%1&quot;; the panel shows it loaded</source>
        <translation>The interface refused part of preset &quot;%1&quot;; the panel shows it loaded.</translation>
    </message>
    <message>
        <source>it is not a readable ini file</source>
        <translation>it is not a readable ini file</translation>
    </message>
    <message>
        <source>it is for the %1, not for the connected %2</source>
        <translation>it is for the %1, not for the connected %2</translation>
    </message>
    <message>
        <source>an unknown model</source>
        <translation>an unknown model</translation>
    </message>
    <message>
        <source>%1=%2: the %3 has no such key</source>
        <translation>%1=%2: the %3 has no such key</translation>
    </message>
    <message>
        <source>%1=%2: %3</source>
        <translation>%1=%2: %3</translation>
    </message>
    <message>
        <source>%1 takes one value, not &quot;%2&quot;</source>
        <translation>%1 takes one value, not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 takes on, off, true or false, not &quot;%2&quot;</source>
        <translation>%1 takes on, off, true or false, not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 takes %2, not &quot;%3&quot;</source>
        <translation>%1 takes %2, not &quot;%3&quot;</translation>
    </message>
    <message>
        <source>%1 is out of range for %2: give %3</source>
        <translation>%1 is out of range for %2: give %3</translation>
    </message>
    <message>
        <source>a whole number from %1 to %2</source>
        <translation>a whole number from %1 to %2</translation>
    </message>
    <message>
        <source>MIC</source>
        <translation>MIC</translation>
    </message>
    <message>
        <source>MIC1</source>
        <translation>MIC1</translation>
    </message>
    <message>
        <source>MIC2</source>
        <translation>MIC2</translation>
    </message>
    <message>
        <source>%1 takes no limit: only output and phone levels do (%2)</source>
        <translation>%1 takes no limit: only output and phone levels do (%2)</translation>
    </message>
    <message>
        <source>%1 takes a limit from %2 to %3, or none; not &quot;%4&quot;</source>
        <translation>%1 takes a limit from %2 to %3, or none; not &quot;%4&quot;.</translation>
    </message>
    <message>
        <source>the limit for %1 could not be saved, so it was not set</source>
        <translation>The limit for %1 could not be saved, so it was not set.</translation>
    </message>
    <message>
        <source>%1 is above the limit of %2 set for %3: give at most %2, or lift the limit (--limit %3=none)</source>
        <translation>%1 is above the limit of %2 set for %3: give at most %2, or lift the limit (--limit %3=none)</translation>
    </message>
    <message>
        <source>%1 takes on, off, toggle, true or false, not &quot;%2&quot;</source>
        <translation>%1 takes on, off, toggle, true or false, not &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>48V on %1 is switched on by hand or by a script only: it stays off</source>
        <translation>48V on %1 is switched on by hand or by a script only: it stays off.</translation>
    </message>
    <message>
        <source>%1 set to its limit of %2, not %3</source>
        <translation>%1 set to its limit of %2, not %3.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a preset name: Windows reserves CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, in any letter case, for devices</source>
        <translation>&quot;%1&quot; is not a preset name: Windows reserves CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, in any letter case, for devices.</translation>
    </message>
    <message>
        <source>cannot delete %1</source>
        <translation>Cannot delete %1.</translation>
    </message>
    <message>
        <source>deleted preset &quot;%1&quot;</source>
        <translation>Deleted preset &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>the %1 has no control &quot;%2&quot;; valid keys: %3</source>
        <translation>The %1 has no control &quot;%2&quot;; valid keys: %3.</translation>
    </message>
    <message>
        <source>set needs KEY=VALUE, not &quot;%1&quot;</source>
        <translation>Set needs KEY=VALUE, not &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>the interface refused the change; the panel shows %1</source>
        <translation>The interface refused the change; the panel shows %1.</translation>
    </message>
    <message>
        <source>limit needs KEY=DB or KEY=none, not &quot;%1&quot;</source>
        <translation>Limit needs KEY=DB or KEY=none, not &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>no interface connected: Korvist Mixer shows &quot;%1&quot;</source>
        <translation>No interface connected: Korvist Mixer shows &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>nothing</source>
        <translation>nothing</translation>
    </message>
    <message>
        <source>%1 arguments</source>
        <translation>%1 arguments</translation>
    </message>
    <message>
        <source>nil</source>
        <translation>nil</translation>
    </message>
    <message>
        <source>%1 is not an address of Korvist Mixer; /korvist/list names every control</source>
        <translation>%1 is not an address of Korvist Mixer; /korvist/list names every control.</translation>
    </message>
    <message>
        <source>%1 takes one number from 0 to 1, not %2</source>
        <translation>%1 takes one number from 0 to 1, not %2.</translation>
    </message>
    <message>
        <source>%1 takes one value, or none to toggle a switch, not %2</source>
        <translation>%1 takes one value, or none to toggle a switch, not %2.</translation>
    </message>
    <message>
        <source>%1 is not an address of Korvist Mixer: they begin with /korvist/</source>
        <translation>%1 is not an address of Korvist Mixer: they begin with /korvist/.</translation>
    </message>
    <message>
        <source>%1 takes the UDP port to send to, a whole number from 1 to 65535, not %2</source>
        <translation>%1 takes the UDP port to send to, a whole number from 1 to 65535, not %2.</translation>
    </message>
    <message>
        <source>%1 takes level readings a second, a whole number from 2 to %2 (0 for the usual 2), not %3</source>
        <translation>%1 takes level readings a second, a whole number from 2 to %2 (0 for the usual 2), not %3.</translation>
    </message>
    <message>
        <source>%1 takes a preset&apos;s name, not %2</source>
        <translation>%1 takes a preset&apos;s name, not %2.</translation>
    </message>
    <message>
        <source>no interface connected</source>
        <translation>No interface connected.</translation>
    </message>
    <message>
        <source>%1 takes 1 or 0 (or on, off, toggle), not %2</source>
        <translation>%1 takes 1 or 0 (or on, off, toggle), not %2.</translation>
    </message>
    <message>
        <source>%1 is a switch, not a fader: send it 1 or 0, or nothing to toggle it</source>
        <translation>%1 is a switch, not a fader: send it 1 or 0, or nothing to toggle it.</translation>
    </message>
    <message>
        <source>%1 is beyond the travel of %2: give 0 to 1</source>
        <translation>%1 is beyond the travel of %2: give 0 to 1.</translation>
    </message>
    <message>
        <source>%1 is a knob: give it a whole number from %2 to %3, or a position from 0 to 1 at its fader</source>
        <translation>%1 is a knob: give it a whole number from %2 to %3, or a position from 0 to 1 at its fader.</translation>
    </message>
    <message>
        <source>no control named &quot;%1&quot; on the %2: did you mean %3?</source>
        <translation>No control named &quot;%1&quot; on the %2: did you mean %3?</translation>
    </message>
    <message>
        <source>no control named &quot;%1&quot; on the %2; /korvist/list names every control</source>
        <translation>No control named &quot;%1&quot; on the %2; /korvist/list names every control.</translation>
    </message>
    <message>
        <source>%1 surfaces are subscribed already</source>
        <translation>%1 surfaces are subscribed already.</translation>
    </message>
    <message>
        <source>%1 surfaces of this host are subscribed already</source>
        <translation>%1 surfaces of this host are subscribed already.</translation>
    </message>
    <message>
        <source>levels go to subscriptions: subscribe first, then ask for %1 readings a second</source>
        <translation>Levels go to subscriptions: subscribe first, then ask for %1 readings a second.</translation>
    </message>
    <message>
        <source>Control surfaces (OSC) cannot listen: UDP port %1 could not be opened (%2). Trying again every %3 seconds.</source>
        <translation>Control surfaces (OSC) cannot listen: UDP port %1 could not be opened (%2). Trying again every %3 seconds.</translation>
    </message>
    <message>
        <source>the limit of %1 for %2 is kept, but the interface refused to bring the level down to it: it may still play louder than the panel shows</source>
        <translation>The limit of %1 for %2 is kept, but the interface refused to bring the level down to it: it may still play louder than the panel shows.</translation>
    </message>
    <message>
        <source>the saved limit is damaged, so the level is held at %1 dB: set the limit again</source>
        <translation>The saved limit is damaged, so the level is held at %1 dB: set the limit again.</translation>
    </message>
    <message>
        <source>port %1 is Korvist Mixer&apos;s own: subscribe the port your surface listens on</source>
        <translation>Port %1 is Korvist Mixer&apos;s own: subscribe the port your surface listens on.</translation>
    </message>
    <message>
        <source>limited to %1 dB</source>
        <translation>limited to %1 dB</translation>
    </message>
    <message>
        <source>at the top of its range</source>
        <translation>at the top of its range</translation>
    </message>
    <message>
        <source>at the bottom of its range</source>
        <translation>at the bottom of its range</translation>
    </message>
    <message>
        <source>%1 is a switch, which a step cannot move: turn it with --set %1=toggle</source>
        <translation>%1 is a switch, which a step cannot move: turn it with --set %1=toggle.</translation>
    </message>
    <message>
        <source>step needs KEY=N, N a whole number of dB up or down, not &quot;%1&quot;</source>
        <translation>Step needs KEY=N, N a whole number of dB up or down, not &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no shortcut action: give &quot;step KEY=N&quot; (N from -%2 to %2, not 0), &quot;toggle KEY&quot;, &quot;preset NAME&quot; or &quot;show&quot;</source>
        <translation>&quot;%1&quot; is no shortcut action: give &quot;step KEY=N&quot; (N from -%2 to %2, not 0), &quot;toggle KEY&quot;, &quot;preset NAME&quot; or &quot;show&quot;.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no key combination for a shortcut: give one key with Ctrl, Alt or Meta held, such as Ctrl+Alt+Up (a key alone would be taken from every other program)</source>
        <translation>&quot;%1&quot; is no key combination for a shortcut: give one key with Ctrl, Alt or Meta held, such as Ctrl+Alt+Up (a key alone would be taken from every other program).</translation>
    </message>
    <message>
        <source>hotkey takes nothing (to list the shortcuts), KEYS ACTION or KEYS none, such as --hotkey &quot;Ctrl+Alt+Up&quot; &quot;step SpeakerValue=2&quot;</source>
        <translation>Hotkey takes nothing (to list the shortcuts), KEYS ACTION or KEYS none, such as --hotkey &quot;Ctrl+Alt+Up&quot; &quot;step SpeakerValue=2&quot;.</translation>
    </message>
    <message>
        <source>the connected %1 has no control %2: the shortcut does nothing while it is connected</source>
        <translation>The connected %1 has no control %2: the shortcut does nothing while it is connected.</translation>
    </message>
    <message>
        <source>media-keys takes a level&apos;s name and a step, such as --media-keys SpeakerValue 2, or off</source>
        <translation>Media-keys takes a level&apos;s name and a step, such as --media-keys SpeakerValue 2, or off.</translation>
    </message>
    <message>
        <source>a media key steps 1 to %1 dB, not &quot;%2&quot;</source>
        <translation>A media key steps 1 to %1 dB, not &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>%1 is let go, but shortcuts.ini could not be written: it comes back at the next start</source>
        <translation>%1 is let go, but shortcuts.ini could not be written: it comes back at the next start.</translation>
    </message>
    <message>
        <source>%1 is held by another program: not registered</source>
        <translation>%1 is held by another program: not registered.</translation>
    </message>
    <message>
        <source>%1 cannot be held here: this desktop lends no keys to a program (Wayland), or has no such key: not registered</source>
        <translation>%1 cannot be held here: this desktop lends no keys to a program (Wayland), or has no such key: not registered.</translation>
    </message>
    <message>
        <source>shortcuts.ini could not be written: %1 not registered</source>
        <translation>Shortcuts.ini could not be written: %1 not registered.</translation>
    </message>
    <message>
        <source>the media keys step an output or phone level of the %1: %2, not &quot;%3&quot;</source>
        <translation>The media keys step an output or phone level of the %1: %2, not &quot;%3&quot;.</translation>
    </message>
    <message>
        <source>%1 is held by another program: the media keys stay the system&apos;s</source>
        <translation>%1 is held by another program: the media keys stay the system&apos;s.</translation>
    </message>
    <message>
        <source>%1 cannot be held here: this desktop lends no keys to a program (Wayland): the media keys stay the system&apos;s</source>
        <translation>%1 cannot be held here: this desktop lends no keys to a program (Wayland): the media keys stay the system&apos;s.</translation>
    </message>
</context>
<context>
    <name>Knob</name>
    <message>
        <source>Limited to %1 %2.</source>
        <translation>Limited to %1 %2.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>声卡未连接！</source>
        <translation>Sound card not connected!</translation>
    </message>
    <message>
        <source>声卡正在另一个会话中使用。</source>
        <translation>The interface is in use in another session.</translation>
    </message>
</context>
<context>
    <name>PresetNameDialog</name>
    <message>
        <source>Save current as...</source>
        <translation>Save current as...</translation>
    </message>
    <message>
        <source>Preset name:</source>
        <translation>Preset name:</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Buffer Size</source>
        <translation>Buffer Size</translation>
    </message>
    <message>
        <source>USB Latency Size</source>
        <translation>USB Latency Size</translation>
    </message>
    <message>
        <source>Safe Mode</source>
        <translation>Safe Mode</translation>
    </message>
    <message>
        <source>USB Error</source>
        <translation>USB Error</translation>
    </message>
    <message>
        <source>USB Error Count: %1</source>
        <translation>USB Error Count: %1</translation>
    </message>
</context>
<context>
    <name>TrayIcon</name>
    <message>
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Setup</translation>
    </message>
    <message>
        <source>Main Window</source>
        <translation>Main Window</translation>
    </message>
    <message>
        <source>Upgrade Firmware</source>
        <translation>Upgrade Firmware</translation>
    </message>
    <message>
        <source>Refresh Audio Device</source>
        <translation>Refresh Audio Device</translation>
    </message>
    <message>
        <source>Win Sound Pannel</source>
        <translation>Win Sound Pannel</translation>
    </message>
    <message>
        <source>Presets</source>
        <translation>Presets</translation>
    </message>
    <message>
        <source>Save current as...</source>
        <translation>Save current as...</translation>
    </message>
    <message>
        <source>Control Surfaces (OSC)</source>
        <translation>Control Surfaces (OSC)</translation>
    </message>
    <message>
        <source>Volume Limits...</source>
        <translation>Volume Limits...</translation>
    </message>
    <message>
        <source>Control Surfaces (OSC) on %1</source>
        <translation>Control Surfaces (OSC) on %1</translation>
    </message>
    <message>
        <source>Remote Access...</source>
        <translation>Remote Access...</translation>
    </message>
    <message>
        <source>Keyboard Shortcuts...</source>
        <translation>Keyboard Shortcuts...</translation>
    </message>
</context>
<context>
    <name>VolumeLimitsDialog</name>
    <message>
        <source>Volume Limits</source>
        <translation>Volume Limits</translation>
    </message>
    <message>
        <source>No way in, not even a preset or a script, takes a level above its limit.</source>
        <translation>No way in, not even a preset or a script, takes a level above its limit.</translation>
    </message>
    <message>
        <source>声卡未连接！</source>
        <translation>Sound card not connected!</translation>
    </message>
    <message>
        <source>%1 limit</source>
        <translation>%1 limit</translation>
    </message>
</context>
<context>
    <name>panelkit</name>
    <message>
        <source>Gain of the microphone input</source>
        <translation>Gain of the microphone input</translation>
    </message>
    <message>
        <source>On: the input takes an instrument instead of a microphone</source>
        <translation>On: the input takes an instrument instead of a microphone</translation>
    </message>
    <message>
        <source>On: the input is lowered by 20 dB</source>
        <translation>On: the input is lowered by 20 dB</translation>
    </message>
    <message>
        <source>On: 48 V phantom power for a condenser microphone</source>
        <translation>On: 48 V phantom power for a condenser microphone</translation>
    </message>
    <message>
        <source>On: the input is heard directly, without going through the computer</source>
        <translation>On: the input is heard directly, without going through the computer</translation>
    </message>
    <message>
        <source>Output volume</source>
        <translation>Output volume</translation>
    </message>
    <message>
        <source>On: the output is silent</source>
        <translation>On: the output is silent</translation>
    </message>
    <message>
        <source>On: the output is lowered by 20 dB</source>
        <translation>On: the output is lowered by 20 dB</translation>
    </message>
    <message>
        <source>Level of the phone input in this output</source>
        <translation>Level of the phone input in this output</translation>
    </message>
    <message>
        <source>Off: the headphones play ASIO 1-2; on: ASIO 5-6</source>
        <translation>Off: the headphones play ASIO 1-2; on: ASIO 5-6</translation>
    </message>
    <message>
        <source>%1 level</source>
        <translation>%1 level</translation>
    </message>
    <message>
        <source>Current level, in dB</source>
        <translation>Current level, in dB</translation>
    </message>
</context>
<context>
    <name>phone::PhoneApprovalPrompt</name>
    <message>
        <source>Allow a Phone?</source>
        <translation>Allow a Phone?</translation>
    </message>
    <message>
        <source>A phone at %1 (%2) sent the pairing code. Allow it to control the mixer from its browser?</source>
        <translation>A phone at %1 (%2) sent the pairing code. Allow it to control the mixer from its browser?</translation>
    </message>
    <message>
        <source>&amp;Allow</source>
        <translation>&amp;Allow</translation>
    </message>
    <message>
        <source>&amp;Don&apos;t Allow</source>
        <translation>&amp;Don&apos;t Allow</translation>
    </message>
</context>
<context>
    <name>remoteaccess::ConnectedNow</name>
    <message>
        <source>Control surfaces</source>
        <translation>Control surfaces</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Asked for</source>
        <translation>Asked for</translation>
    </message>
    <message>
        <source>Last heard</source>
        <translation>Last heard</translation>
    </message>
    <message>
        <source>Paired phones</source>
        <translation>Paired phones</translation>
    </message>
    <message>
        <source>Browser</source>
        <translation>Browser</translation>
    </message>
    <message>
        <source>Paired on</source>
        <translation>Paired on</translation>
    </message>
    <message>
        <source>Last used</source>
        <translation>Last used</translation>
    </message>
    <message>
        <source>Connected now</source>
        <translation>Connected now</translation>
    </message>
    <message>
        <source>&amp;Disconnect</source>
        <translation>&amp;Disconnect</translation>
    </message>
    <message>
        <source>&amp;Forget Phone</source>
        <translation>&amp;Forget Phone</translation>
    </message>
    <message>
        <source>Control &amp;surfaces:</source>
        <translation>Control &amp;surfaces:</translation>
    </message>
    <message>
        <source>&amp;Paired phones:</source>
        <translation>&amp;Paired phones:</translation>
    </message>
    <message>
        <source>every change, levels %1 a second</source>
        <translation>every change, levels %1 a second</translation>
    </message>
    <message>
        <source>every change</source>
        <translation>every change</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>no</source>
        <translation>no</translation>
    </message>
    <message>
        <source>The phone is cut off, but the list of paired phones could not be saved: it will be paired again when Korvist Mixer next starts.</source>
        <translation>The phone is cut off, but the list of paired phones could not be saved: it will be paired again when Korvist Mixer next starts.</translation>
    </message>
</context>
<context>
    <name>remoteaccess::NetworkChoice</name>
    <message>
        <source>This computer only</source>
        <translation>This computer only</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>%1 (typed by hand)</source>
        <translation>%1 (typed by hand)</translation>
    </message>
    <message>
        <source>Other...</source>
        <translation>Other...</translation>
    </message>
    <message>
        <source>Other Network</source>
        <translation>Other Network</translation>
    </message>
    <message>
        <source>A network, as an address and its bits: 192.168.1.0/24 (at most a /16, or a /64 for IPv6):</source>
        <translation>A network, as an address and its bits: 192.168.1.0/24 (at most a /16, or a /64 for IPv6):</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a network: give an address and its bits, 192.168.1.0/24 (at most a /16, or a /64 for IPv6).</source>
        <translation>&quot;%1&quot; is not a network: give an address and its bits, 192.168.1.0/24 (at most a /16, or a /64 for IPv6).</translation>
    </message>
</context>
<context>
    <name>remoteaccess::RemoteAccessDialog</name>
    <message>
        <source>Remote Access</source>
        <translation>Remote Access</translation>
    </message>
    <message>
        <source>Connected now</source>
        <translation>Connected now</translation>
    </message>
    <message>
        <source>Who may connect</source>
        <translation>Who may connect</translation>
    </message>
    <message>
        <source>&amp;Network:</source>
        <translation>&amp;Network:</translation>
    </message>
    <message>
        <source>This computer may always connect. Devices on the chosen network may use the control surfaces and the phone remote.</source>
        <translation>This computer may always connect. Devices on the chosen network may use the control surfaces and the phone remote.</translation>
    </message>
    <message>
        <source>Control surfaces (OSC)</source>
        <translation>Control surfaces (OSC)</translation>
    </message>
    <message>
        <source>Serve &amp;control surfaces</source>
        <translation>Serve &amp;control surfaces</translation>
    </message>
    <message>
        <source>C&amp;opy Address</source>
        <translation>C&amp;opy Address</translation>
    </message>
    <message>
        <source>UDP &amp;port:</source>
        <translation>UDP &amp;port:</translation>
    </message>
    <message>
        <source>Phone remote</source>
        <translation>Phone remote</translation>
    </message>
    <message>
        <source>Serve the panel to p&amp;hones</source>
        <translation>Serve the panel to p&amp;hones</translation>
    </message>
    <message>
        <source>A phone needs the network it is on: with this computer only, no phone can reach the panel. Choose the network here or above.</source>
        <translation>A phone needs the network it is on: with this computer only, no phone can reach the panel. Choose the network here or above.</translation>
    </message>
    <message>
        <source>Phone&apos;s ne&amp;twork:</source>
        <translation>Phone&apos;s ne&amp;twork:</translation>
    </message>
    <message>
        <source>TCP po&amp;rt:</source>
        <translation>TCP po&amp;rt:</translation>
    </message>
    <message>
        <source>Off: no surface can connect.</source>
        <translation>Off: no surface can connect.</translation>
    </message>
    <message>
        <source>Type into the surface app: %1, port %2</source>
        <translation>Type into the surface app: %1, port %2</translation>
    </message>
    <message>
        <source>Apps on this computer reach it at 127.0.0.1, port %1. For a tablet or phone, choose its network above.</source>
        <translation>Apps on this computer reach it at 127.0.0.1, port %1. For a tablet or phone, choose its network above.</translation>
    </message>
    <message>
        <source>Open %1 on the phone, or scan the code.</source>
        <translation>Open %1 on the phone, or scan the code.</translation>
    </message>
    <message>
        <source>QR code of %1 with the pairing code</source>
        <translation>QR code of %1 with the pairing code</translation>
    </message>
    <message>
        <source>Pairing code: %1 (a new one comes every two minutes)</source>
        <translation>Pairing code: %1 (a new one comes every two minutes)</translation>
    </message>
</context>
<context>
    <name>rk1</name>
    <message>
        <source>INPUT</source>
        <translation>INPUT</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>MIC</source>
        <translation>MIC</translation>
    </message>
    <message>
        <source>DIRECT</source>
        <translation>DIRECT</translation>
    </message>
    <message>
        <source>HEADPHONE</source>
        <translation>HEADPHONE</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Phone To HP Volume</source>
        <translation>Phone To HP Volume</translation>
    </message>
    <message>
        <source>INST</source>
        <translation>INST</translation>
    </message>
</context>
<context>
    <name>rk2</name>
    <message>
        <source>MIC1</source>
        <translation>MIC1</translation>
    </message>
    <message>
        <source>MIC2</source>
        <translation>MIC2</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>DIRECT</source>
        <translation>DIRECT</translation>
    </message>
    <message>
        <source>SPEAKER</source>
        <translation>SPEAKER</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Phone To SP Volume</source>
        <translation>Phone To SP Volume</translation>
    </message>
    <message>
        <source>HEADPHONE</source>
        <translation>HEADPHONE</translation>
    </message>
    <message>
        <source>Phone To HP Volume</source>
        <translation>Phone To HP Volume</translation>
    </message>
</context>
<context>
    <name>rs</name>
    <message>
        <source>MIC</source>
        <translation>MIC</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>DIRECT</source>
        <translation>DIRECT</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
</context>
<context>
    <name>shortcuts::ChangeDisplay</name>
    <message>
        <source>On</source>
        <translation>On</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Preset</source>
        <translation>Preset</translation>
    </message>
</context>
<context>
    <name>shortcuts::KeyboardShortcutsDialog</name>
    <message>
        <source>Keyboard Shortcuts</source>
        <translation>Keyboard Shortcuts</translation>
    </message>
    <message>
        <source>These keys work while any program has the focus. Each press moves a level one step, never past its limit, and no key switches 48 V on. Backspace takes a key away.</source>
        <translation>These keys work while any program has the focus. Each press moves a level one step, never past its limit, and no key switches 48 V on. Backspace takes a key away.</translation>
    </message>
    <message>
        <source>No interface is connected: its levels and switches are listed here once it is.</source>
        <translation>No interface is connected: its levels and switches are listed here once it is.</translation>
    </message>
    <message>
        <source>Show changes from scripts, surfaces and phones on the screen too</source>
        <translation>Show changes from scripts, surfaces and phones on the screen too</translation>
    </message>
    <message>
        <source>Media keys</source>
        <translation>Media keys</translation>
    </message>
    <message>
        <source>Off: they move the system volume</source>
        <translation>Off: they move the system volume</translation>
    </message>
    <message>
        <source>The volume keys step</source>
        <translation>The volume keys step</translation>
    </message>
    <message>
        <source>Each press steps it by</source>
        <translation>Each press steps it by</translation>
    </message>
    <message>
        <source>While on, the keyboard&apos;s volume keys no longer move the system volume, and the mute key turns the output&apos;s MUTE on or off.</source>
        <translation>While on, the keyboard&apos;s volume keys no longer move the system volume, and the mute key turns the output&apos;s MUTE on or off.</translation>
    </message>
    <message>
        <source>Held by another program: not working</source>
        <translation>Held by another program: not working</translation>
    </message>
    <message>
        <source>Not held: this desktop lends no keys to a program</source>
        <translation>Not held: this desktop lends no keys to a program</translation>
    </message>
    <message>
        <source>%1 up %2 dB</source>
        <translation>%1 up %2 dB</translation>
    </message>
    <message>
        <source>%1 down %2 dB</source>
        <translation>%1 down %2 dB</translation>
    </message>
    <message>
        <source>%1 on or off</source>
        <translation>%1 on or off</translation>
    </message>
    <message>
        <source>Load preset %1</source>
        <translation>Load preset %1</translation>
    </message>
    <message>
        <source>Show the panel</source>
        <translation>Show the panel</translation>
    </message>
</context>
</TS>
