# Drives the RK2 panel and the Settings dialog with the keys a blind user
# presses and checks each step against what Orca said (the SPEECH OUTPUT lines
# of its debug log) and what the simulated device received (its journal).
# Run by orca-session.sh inside the private D-Bus session.
import json
import os
import re
import subprocess
import sys
import time

bin_dir, scratch = sys.argv[1], sys.argv[2]
home = os.environ["HOME"]
orca_log, journal = f"{home}/orca.log", f"{home}/journal.jsonl"
# The codes as the journal writes them, from the one header that defines them.
with open(os.path.join(os.path.dirname(__file__), "../../../src/platform/devicefacts.h")) as facts:
    codes = dict(re.findall(r"#define KORVIST_IOCTL_(\w+) 0x([0-9A-F]{8})u", facts.read()))
COMMAND, SET_BUFFER_SIZE = (f"0x{codes[name]}" for name in ("COMMAND", "SET_BUFFER_SIZE"))
DB = r"-?\d+(\.\d+)? dB"


def start(command, log):
    return subprocess.Popen(command, stdout=open(f"{scratch}/{log}", "w"), stderr=subprocess.STDOUT)


said_so_far, read_up_to = [], 0


def speech():
    """Everything Orca has said; its debug log is read on from where it was left."""
    global read_up_to
    if os.path.exists(orca_log):
        with open(orca_log, "rb") as log:
            log.seek(read_up_to)
            lines = log.read()
        lines = lines[:lines.rfind(b"\n") + 1]
        read_up_to += len(lines)
        said_so_far.extend(re.findall(r"SPEECH OUTPUT: '(.*?)'", lines.decode(errors="replace")))
    return said_so_far


def requests():
    if not os.path.exists(journal):
        return []
    with open(journal) as lines:
        return [json.loads(line) for line in lines if line.strip()]


def until(condition, seconds):
    deadline = time.monotonic() + seconds
    while not condition() and time.monotonic() < deadline:
        time.sleep(0.1)
    return condition()


def settled(before, pattern):
    """What Orca said since `before`: once the pattern is heard, until it has
    been silent for a second; if it is never heard, until silent for three."""
    said, quiet_since = speech()[before:], time.monotonic()
    deadline = quiet_since + 20
    while time.monotonic() < deadline:
        time.sleep(0.1)
        now = speech()[before:]
        if now != said:
            said, quiet_since = now, time.monotonic()
        quiet = 1 if re.search(pattern, " | ".join(said)) else 3
        if time.monotonic() - quiet_since >= quiet:
            break
    return said


failures = []


def step(name, action, pattern, request=None):
    """One user action; pattern must be in what Orca says after it, and request
    (code, hex prefix) names what the device must receive because of it."""
    heard, sent = len(speech()), len(requests())
    action()
    said = settled(heard, pattern)
    ok, device = re.search(pattern, " | ".join(said)) is not None, ""
    if request:
        code, prefix = request
        got = lambda: [r for r in requests()[sent:] if r["code"] == code and r["in"].startswith(prefix)]
        if not until(got, 10):
            ok, device = False, f" (the device got no {code} {prefix}...)"
    print(f"{'ok  ' if ok else 'FAIL'} {name}: {' | '.join(said)!r}{device}", flush=True)
    if not ok:
        failures.append(name)


def keys(*names):
    return lambda: subprocess.run(["xdotool", "key", "--delay", "100", *names], check=True)


def typed(text):
    return lambda: subprocess.run(["xdotool", "type", "--delay", "100", text], check=True)


services = [start(["speech-dispatcher", "--run-single", "--communication-method", "unix_socket",
                   "--timeout", "0"], "speechd.log"), start(["openbox"], "openbox.log")]
socket = f"{os.environ['XDG_RUNTIME_DIR']}/speech-dispatcher/speechd.sock"
if not until(lambda: os.path.exists(socket), 30):
    sys.exit("speech-dispatcher did not start")
services.append(start(["/usr/bin/python3", f"{os.path.dirname(__file__)}/launch-orca.py",
                       f"--debug-file={orca_log}"], "orca.out"))
try:
    if not until(lambda: "Screen reader on." in speech(), 60):
        sys.exit("Orca did not start")
    services.append(start([f"{bin_dir}/korvist-sim", "device", "--model", "rk2", "--journal", journal], "sim.log"))
    step("start: the first control has the focus",
         lambda: services.append(start([f"{bin_dir}/KorvistDriver"], "program.log")),
         r"MIC1 Gain " + DB + " spin button")
    # Qt 6.4's bridge sends the new title without its text, so Orca does not say
    # it by itself; Orca's "read window title" (Orca+KP_Enter in Orca 43) does.
    step("Insert+KP_Enter: the title", keys("Insert+KP_Enter"), r"Korvist RK2 - FW: 1\.0\.3")
    step("Up on MIC1 Gain", keys("Up"), DB, (COMMAND, "0107000201"))
    step("Tab to MIC1 20dB", keys("Tab"), r"MIC1 20dB.*not checked")
    step("Tab to MIC1 48V", keys("Tab"), r"MIC1 48V.*not checked")
    step("Space on MIC1 48V", keys("space"), r"(?<!not )checked", (COMMAND, "015b000101"))
    # Reading order, column by column, round to the first control again.
    for name in ["MIC1 DIRECT", "MIC2 Gain", "MIC2 20dB", "MIC2 48V", "MIC2 DIRECT", "SPEAKER Volume",
                 "SPEAKER MUTE", "SPEAKER DIM", "Phone To SP Volume", "HEADPHONE Volume", "HEADPHONE MUTE",
                 "HEADPHONE ASIO 1-2", "Phone To HP Volume", "MIC1 Gain"]:
        knob = name.endswith(("Gain", "Volume"))
        step(f"Tab to {name}", keys("Tab"), name + (".*" + DB if knob else ""))
    # Readouts are no Tab stops: Orca's flat review reads the line under the knobs.
    step("flat review, next line", keys("KP_Prior"), r"MIC1 level,? " + DB)
    # The tray menu's entries, in the window. Orca names no popup menu of Qt 6.4
    # (the bridge leaves it out of the application's windows): it says the
    # entry the focus enters, the program's version.
    step("Shift+F10: the window's menu", keys("shift+F10"), r"V\d[\w.]* grayed")
    step("Down, Down to Setup", keys("Down", "Down"), r"Quit.*Setup")
    step("Enter on Setup: Settings", keys("Return"), r"Settings dialog.*Buffer Size")
    step("Escape back to the panel", keys("Escape"), r"MIC1 Gain")
    step("Shift+F10, Up past the surfaces to Presets", keys("shift+F10", "Up", "Up"), r"Presets")
    step("Right into Presets", keys("Right"), r"Save current as")
    step("Enter: the name dialog", keys("Return"), r"Save current as.*dialog.*Preset name")
    step("a name with a slash is refused", lambda: (typed("a/b")(), keys("Return")()), r"not a preset name")
    step("a good name saves", lambda: (typed("podcast")(), keys("Return")()), r"Saved preset .podcast")
    step("Enter closes the confirmation", keys("Return"), r"MIC1 Gain")
    step("Shift+F10, Up to Remote Access", keys("shift+F10", "Up", "Up", "Up", "Up", "Up"), r"Remote Access")
    step("Enter: Remote Access", keys("Return"), r"Remote Access.*Network.*This computer only")
    step("Tab to the surfaces' switch", keys("Tab"), r"Serve control surfaces.*not checked")
    step("Escape back to the panel", keys("Escape"), r"MIC1 Gain")
    step("the ASIO driver opens Settings",
         lambda: subprocess.run([f"{bin_dir}/korvist-sim", "asio-notify", "--buffer-size", "256",
                                 "--open-window"], stdout=subprocess.DEVNULL, check=True),
         r"Settings.*Buffer Size.*256")
    step("Down on Buffer Size", keys("Down"), r"512", (SET_BUFFER_SIZE, "00020000"))
    step("Tab to USB Latency", keys("Tab"), r"USB Latency")
    step("Tab to Safe Mode", keys("Tab"), r"Safe Mode")
    step("Tab to OK", keys("Tab"), r"OK")
    # A global shortcut's change is spoken from the on-screen display, which
    # takes no focus, and so is the next while it is still up. Not
    # Ctrl+Alt+Up: openbox holds that one.
    subprocess.run([f"{bin_dir}/KorvistDriver", "--hotkey", "Ctrl+Alt+PgUp", "step SpeakerValue=2"],
                   stdout=subprocess.DEVNULL, check=True)
    step("a shortcut pressed twice", keys("ctrl+alt+Prior", "ctrl+alt+Prior"),
         r"SPEAKER Volume -78 dB.*SPEAKER Volume -76 dB")
finally:
    # A reader busy speaking may not heed the first signal; the verdict is already in.
    for process in reversed(services):
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
print(f"Orca session: {len(failures)} step(s) failed" if failures else "Orca session: every step passed")
sys.exit(1 if failures else 0)
