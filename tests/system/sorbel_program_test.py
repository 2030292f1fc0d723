"""Sorbel.exe itself under Wine and Xvfb, started from a folder of its own and
driven through its hidden controller window by tests/system/window_driver.exe.

  sorbel_program_test.py port123   (holds UDP port 123)
    - ntpdig and chronyd -Q ask Sorbel.exe started with a SORBEL.INI and
      without one: the file's stratum, precision and reference identifier,
      else the defaults; the exit command writes exactly the eight keys (with
      the toggled broadcast mode); a second instance ends with 0 and the one
      responder keeps answering.
    - Port 123 taken: the Windows Time question, then the notice, in their
      words, captioned with the title and owned by the controller; with
      "/service" no box at all. Response mode is off at exit either way.
  sorbel_program_test.py ports     (ports of its own)
    - The immediate broadcast reaches a listener on the loopback broadcast
      address of the INI; broadcast mode starts and stops timer 120 (seen in
      Wine's message trace).
    - Port taken: "/SERVICE" is not service mode (the notice comes).
    - The edit command saves the file, then the shell starts the program
      registered for .INI files with its path (a stand-in records what it
      got); the update command opens the maker's page the same way; the tray
      icon goes and comes back with 33668; the tray popup opens on a button
      release and takes its mnemonics.
"""

import os
import re
import shutil
import socket
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import PeerUnavailable, chrony, ntpdig, run_checks, sorbel, wine  # noqa: E402
from peers import sorbel_program as sp  # noqa: E402
from peers import window_driver as wd  # noqa: E402

TOLERANCE_S = 0.002
SAMPLES = 5
SERVICE_TITLE = sp.TITLE + " （サービス起動）"
WINDOWS_TIME_QUESTION = ("NTPサーバーの受信ポート番号[%d]が使用できません。\n\n"
                         "[Windows Time サービス]と重複利用している可能性がありますので、\n"
                         "[Windows Time サービス]を一時停止します")
TAKEN_NOTICE = ("NTPサーバーの受信ポート番号[%d]が使用できません。\n\n"
                "※他のアプリが使用しています\n(利用するにはアプリを停止させてください)")
DEFAULTS = {"NTPCONFIG": {"STRATUM": "4", "REFID": "127.0.0.1", "NTP_PORT": "123"},
            "SORBEL": {"MODE_NTP_RESPONSE": "ON", "MODE_NTP_BROADCAST": "OFF",
                       "BROADCAST_SPANSEC": "7200", "BROADCAST_NTPPORT": "123",
                       "BROADCAST_IPADDR": "255.255.255.255"}}


def updated(base, **changes):
    """DEFAULTS-like settings with KEY=value changes in whichever section has KEY."""
    out = {section: dict(keys) for section, keys in base.items()}
    for key, value in changes.items():
        for keys in out.values():
            if key in keys:
                keys[key] = str(value)
    return out


def expect(failures, label, got, wanted):
    if got != wanted:
        failures.append("%s: got %r, expected %r" % (label, got, wanted))


def hold_port(address, port):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        s.bind((address, port))
    except PermissionError:
        s.close()
        raise PeerUnavailable("binding port %d needs root" % port)
    return s


def box_failures(label, boxes, window, texts, buttons, caption=sp.TITLE):
    """The boxes as expected: their texts, buttons, caption and owner."""
    got = [(b.text, b.buttons, b.caption, b.owner) for b in boxes]
    wanted = [(t, b, caption, window.hwnd) for t, b in zip(texts, buttons)]
    return [] if got == wanted else ["%s: boxes %r, expected %r" % (label, got, wanted)]


# --- port 123 ---------------------------------------------------------------

def check_served(driver, settings, stratum, refid):
    """Sorbel.exe from a folder with `settings` (None: no INI) as seen by the peers."""
    failures = []
    label = "INI %r" % settings
    with sp.SorbelProgram(driver, settings) as program:
        if not program.answers(123):
            return ["%s: no answer on port 123" % label]
        theirs = min((ntpdig.query("127.0.0.1") for _ in range(SAMPLES)), key=lambda q: q["error"])
        chrony_offset = chrony.query_offset("127.0.0.1", 123)
        print("%s: ntpdig %+.6f s, stratum %d, precision %d, refid %s; chronyd -Q %+.6f s"
              % (label, theirs["offset"], theirs["reply_stratum"], theirs["precision"],
                 theirs["refid"], chrony_offset))
        expect(failures, label + " stratum/precision/refid",
               (theirs["reply_stratum"], theirs["precision"], theirs["refid"]),
               (stratum, 2 * stratum - 18, refid))
        for name, offset in (("ntpdig", theirs["offset"]), ("chronyd -Q", chrony_offset)):
            if abs(offset) > TOLERANCE_S:
                failures.append("%s: %s offset %+.6f s" % (label, name, offset))
        expect(failures, label + " tray icon", driver.tray(program.window.hwnd, sp.TRAY_ICON_ID, True), True)

        if settings is None:
            second = wine.run(os.path.join(program.folder, "Sorbel.exe"), timeout=60)
            expect(failures, "second instance exit code", second.returncode, 0)
            expect(failures, "controller windows", driver.count(sp.WINDOW_CLASS), 1)
            expect(failures, "first instance answers", program.answers(123), True)
            written = DEFAULTS
        else:
            driver.command(program.window.hwnd, sp.BROADCAST_MODE)
            written = updated(DEFAULTS, MODE_NTP_BROADCAST="ON",
                              **{k: v for keys in settings.values() for k, v in keys.items()})
        expect(failures, label + " exit code", program.close(), 0)
        expect(failures, label + " written file", sp.read_ini(program.ini_path), written)
    return failures


def check_port_123_taken(driver):
    failures = []
    holder = hold_port("127.0.0.1", 123)
    try:
        with sp.SorbelProgram(driver, None) as program:
            question = driver.boxes(program.window.hwnd, 1)
            failures += box_failures("question", question, program.window,
                                     [WINDOWS_TIME_QUESTION % 123], [[wd.IDYES, wd.IDNO]])
            if question:
                driver.answer(question[0], wd.IDNO)
            notice = driver.boxes(program.window.hwnd, 1)
            failures += box_failures("notice after No", notice, program.window,
                                     [TAKEN_NOTICE % 123], [[wd.IDOK]])
            if notice:
                driver.answer(notice[0], wd.IDOK)
            expect(failures, "exit code", program.close(), 0)
            expect(failures, "response mode at exit",
                   (sp.read_ini(program.ini_path) or {}).get("SORBEL", {}).get("MODE_NTP_RESPONSE"), "OFF")
        # The service host's run: net stop w32time without asking, no box.
        with sp.SorbelProgram(driver, None, ["/service"]) as program:
            expect(failures, "/service title", program.window.title, SERVICE_TITLE)
            expect(failures, "/service boxes", driver.boxes(program.window.hwnd, 1, 4000), [])
            expect(failures, "/service exit code", program.close(), 0)
            expect(failures, "/service response mode at exit",
                   (sp.read_ini(program.ini_path) or {}).get("SORBEL", {}).get("MODE_NTP_RESPONSE"), "OFF")
    finally:
        holder.close()
    return failures


# --- ports of its own -------------------------------------------------------

def timer_lines(text, hwnd):
    """(timer 120 set with 1000 ms, its WM_TIMER messages) in Wine's msg trace."""
    window = "0x%x" % int(hwnd, 16)
    added = re.search(r"NtUserSetTimer Added %s 78 \S+ timeout 1000" % window, text) is not None
    return added, len(re.findall(r"msg 113 \(WM_TIMER\) hwnd %s wp 78 " % window, text))


def check_broadcasts(driver):
    failures = []
    listener = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    listener.bind(("127.255.255.255", 0))
    listener.settimeout(5)
    settings = {"NTPCONFIG": {"NTP_PORT": sorbel.free_udp_port()},
                "SORBEL": {"MODE_NTP_RESPONSE": "OFF", "BROADCAST_IPADDR": "127.255.255.255",
                           "BROADCAST_NTPPORT": listener.getsockname()[1]}}
    with listener, sp.SorbelProgram(driver, settings, env={"WINEDEBUG": "-all,trace+msg"}) as program:
        hwnd = program.window.hwnd
        driver.command(hwnd, sp.BROADCAST_NOW)
        try:
            packet = listener.recv(512)
            expect(failures, "broadcast length, mode byte, stratum", (len(packet), packet[0], packet[1]),
                   (48, 0x25, 4))
        except socket.timeout:
            failures.append("no broadcast reached 127.255.255.255")

        driver.command(hwnd, sp.BROADCAST_MODE)
        deadline = time.monotonic() + 10
        while timer_lines(program.output_text(), hwnd)[1] < 2 and time.monotonic() < deadline:
            time.sleep(0.2)
        added, ticks = timer_lines(program.output_text(), hwnd)
        if not added or ticks < 2:
            failures.append("broadcast mode on: timer 120 set %s, %d ticks in 10 s" % (added, ticks))
        driver.command(hwnd, sp.BROADCAST_MODE)
        time.sleep(0.5)
        before = timer_lines(program.output_text(), hwnd)[1]
        time.sleep(2.5)
        expect(failures, "ticks after broadcast mode off", timer_lines(program.output_text(), hwnd)[1] - before, 0)
        expect(failures, "exit code", program.close(), 0)
    return failures


def check_port_taken(driver):
    failures = []
    holder = hold_port("0.0.0.0", 0)
    port = holder.getsockname()[1]
    settings = {"NTPCONFIG": {"NTP_PORT": port}}
    try:
        with sp.SorbelProgram(driver, settings, ["/SERVICE"]) as program:
            boxes = driver.boxes(program.window.hwnd, 1)
            failures += box_failures("/SERVICE", boxes, program.window, [TAKEN_NOTICE % port], [[wd.IDOK]])
            for box in boxes:
                driver.answer(box, wd.IDOK)
            expect(failures, "/SERVICE title", program.window.title, sp.TITLE)
            expect(failures, "/SERVICE exit code", program.close(), 0)
    finally:
        holder.close()
    return failures


def check_shell_and_tray(driver):
    failures = []
    stand_ins = tempfile.mkdtemp(prefix="stand-ins-")
    editor = wd.stand_in(stand_ins, "ini_editor.exe")
    browser = wd.stand_in(stand_ins, "browser.exe")
    handlers = [(".ini", "RavoTests.IniFile"),
                (r"RavoTests.IniFile\shell\open\command", '"%s" "%%1"' % wd.wine_path(editor)),
                (r"http\shell\open\command", '"%s" "%%1"' % wd.wine_path(browser))]
    previous = [(key, driver.classes_default(key, value)) for key, value in handlers]
    port = sorbel.free_udp_port()
    try:
        with sp.SorbelProgram(driver, {"NTPCONFIG": {"NTP_PORT": port},
                                       "SORBEL": {"MODE_NTP_RESPONSE": "OFF"}}) as program:
            hwnd = program.window.hwnd
            driver.command(hwnd, sp.BROADCAST_MODE)
            driver.command(hwnd, sp.EDIT_SETTINGS)
            opened = wd.record(editor) or {}
            expect(failures, "edit: file and show state", (opened.get("last", "").upper(), opened.get("show")),
                   (wd.wine_path(program.ini_path).upper(), str(wd.SW_SHOWNA)))
            saved = updated(DEFAULTS, NTP_PORT=port, MODE_NTP_RESPONSE="OFF", MODE_NTP_BROADCAST="ON")
            expect(failures, "edit: the file as opened", sp.read_ini_text(opened.get("content", "")), saved)
            driver.command(hwnd, sp.UPDATE_INFO)
            page = wd.record(browser) or {}
            expect(failures, "update page", (page.get("last"), page.get("show")),
                   ("http://www.ravo.example/QAAA", str(wd.SW_SHOW)))

            driver.post(hwnd, sp.TRAY_RESHOW, 0)
            expect(failures, "tray icon after 33668 with 0", driver.tray(hwnd, sp.TRAY_ICON_ID, False), False)
            driver.post(hwnd, sp.TRAY_RESHOW, 1)
            expect(failures, "tray icon after 33668 with 1", driver.tray(hwnd, sp.TRAY_ICON_ID, True), True)

            driver.post(hwnd, sp.TRAY_CALLBACK, sp.TRAY_ICON_ID, wd.WM_LBUTTONDOWN)
            expect(failures, "popup on button down", driver.popup(hwnd, 500), None)
            driver.post(hwnd, sp.TRAY_CALLBACK, sp.TRAY_ICON_ID, wd.WM_RBUTTONUP)
            expect(failures, "popup on right button up", driver.popup(hwnd) is not None, True)
            driver.post(hwnd, wd.WM_CHAR, ord("b"))  # 定期NTP配信モードを実行(&B): off again
            driver.post(hwnd, sp.TRAY_CALLBACK, sp.TRAY_ICON_ID, wd.WM_LBUTTONUP)
            expect(failures, "popup on left button up", driver.popup(hwnd) is not None, True)
            driver.post(hwnd, wd.WM_CHAR, ord("x"))  # ソフトウェアを終了(&X)
            expect(failures, "exit from the popup", program.wait(), 0)
            expect(failures, "broadcast mode at exit",
                   (sp.read_ini(program.ini_path) or {}).get("SORBEL", {}).get("MODE_NTP_BROADCAST"), "OFF")
    finally:
        for key, value in reversed(previous):
            driver.classes_default(key, value)
        shutil.rmtree(stand_ins, ignore_errors=True)
    return failures


GROUPS = {
    "port123": lambda d: [lambda: check_served(d, {"NTPCONFIG": {"STRATUM": 3, "REFID": "10.20.30.40"}},
                                               3, "10.20.30.40"),
                          lambda: check_served(d, None, 4, "127.0.0.1"),
                          lambda: check_port_123_taken(d)],
    "ports": lambda d: [lambda: check_broadcasts(d), lambda: check_port_taken(d),
                        lambda: check_shell_and_tray(d)],
}


def main():
    with wd.WindowDriver() as driver:
        return run_checks(*GROUPS[sys.argv[1]](driver))


if __name__ == "__main__":
    sys.exit(main())
