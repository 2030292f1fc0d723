"""Sorbel.exe under Wine and Xvfb, driven through its controller window. port123: ntpdig and chronyd -Q, the
written file, a second instance, the port taken, "/service". ports: broadcasts, "/SERVICE", the session's end,
the shell starts, the tray."""

import os
import re
import shutil
import socket
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import chrony, ntpdig, process, run_checks, sorbel, wine  # noqa: E402
from peers import sorbel_program as sp  # noqa: E402
from peers import window_driver as wd  # noqa: E402

QUESTION = ("NTPサーバーの受信ポート番号[%d]が使用できません。\n\n[Windows Time サービス]と重複利用している可能性"
            "がありますので、\n[Windows Time サービス]を一時停止します")
NOTICE = "NTPサーバーの受信ポート番号[%d]が使用できません。\n\n※他のアプリが使用しています\n(利用するにはアプリを停止させてください)"
SERVICE_TITLE = sp.TITLE + " （サービス起動）"
SERVICE_MODE_NOTICE = ("本ソフトがサービス起動時にはこの機能はご利用いただけません\n"
                       "一旦ソフトを終了した後、スタートメニューからの通常起動の後、再試行してください。")
DEFAULTS = {"NTPCONFIG": {"STRATUM": "4", "REFID": "127.0.0.1", "NTP_PORT": "123"},
            "SORBEL": {"MODE_NTP_RESPONSE": "ON", "MODE_NTP_BROADCAST": "OFF", "BROADCAST_SPANSEC": "7200",
                       "BROADCAST_NTPPORT": "123", "BROADCAST_IPADDR": "255.255.255.255"}}
WM_ENDSESSION = 0x16
failures = []


def updated(**changes):
    """DEFAULTS with KEY=value changes in whichever section has KEY."""
    return {section: {k: str(changes.get(k, v)) for k, v in keys.items()} for section, keys in DEFAULTS.items()}


def expect(label, got, wanted):
    if got != wanted:
        failures.append("%s: got %r, expected %r" % (label, got, wanted))


def mode_at_exit(program, key="MODE_NTP_RESPONSE"):
    return (sp.read_ini(program.ini_path) or {}).get("SORBEL", {}).get(key)


def answer_boxes(driver, program, label, text, buttons, answer=wd.IDOK, wait_ms=10000, caption=sp.TITLE):
    """The one box up: its text, buttons, caption and owner; it gets `answer`."""
    boxes = driver.boxes(program.window.hwnd, 1, wait_ms)
    expect(label, [(b.text, b.buttons, b.caption, b.owner) for b in boxes],
           [(text, buttons, caption, program.window.hwnd)] if text else [])
    for box in boxes:
        driver.answer(box, answer)


def check_served(driver, settings, stratum, refid):
    label = "INI %r" % settings
    with sp.SorbelProgram(driver, settings) as program:
        if not program.answers(123):
            return failures.append("%s: no answer on port 123" % label)
        theirs = min((ntpdig.query("127.0.0.1") for _ in range(5)), key=lambda q: q["error"])
        chrony_offset = chrony.query_offset("127.0.0.1", 123)
        print("%s: ntpdig %s; chronyd -Q %+.6f s" % (label, theirs, chrony_offset))
        expect(label + " stratum/precision/refid", (theirs["reply_stratum"], theirs["precision"], theirs["refid"]),
               (stratum, 2 * stratum - 18, refid))
        expect(label + " offsets within 2 ms", [abs(o) <= 0.002 for o in (theirs["offset"], chrony_offset)], [True] * 2)
        expect(label + " tray icon", driver.tray(program.window.hwnd, sp.TRAY_ICON_ID, True), True)
        if settings is None:
            second = wine.run(program.exe, timeout=60)
            expect("second instance exit code", second.returncode, 0)
            expect("first instance answers", program.answers(123), True)
            written = DEFAULTS
        else:
            driver.command(program.window.hwnd, sp.BROADCAST_MODE)
            written = updated(MODE_NTP_BROADCAST="ON", **{k: v for keys in settings.values() for k, v in keys.items()})
        expect(label + " exit code", program.close(), 0)
        expect(label + " written file", sp.read_ini(program.ini_path), written)


def check_port_123_taken(driver):
    with process.held_udp("127.0.0.1", 123):
        with sp.SorbelProgram(driver, None) as program:
            answer_boxes(driver, program, "question", QUESTION % 123, [wd.IDYES, wd.IDNO], wd.IDNO)
            answer_boxes(driver, program, "notice after No", NOTICE % 123, [wd.IDOK])
            expect("exit code, response mode at exit", (program.close(), mode_at_exit(program)), (0, "OFF"))
        # The service host's run asks nothing; the service tools refused, and a close waits for that box.
        with sp.SorbelProgram(driver, None, ["/service"]) as program:
            expect("/service title", program.window.title, SERVICE_TITLE)
            answer_boxes(driver, program, "/service boxes", None, None, wait_ms=4000)
            driver.command(program.window.hwnd, sp.SERVICE_INSTALL)
            driver.post(program.window.hwnd, wd.WM_CLOSE)
            time.sleep(1)
            expect("window during the box", driver.find(sp.WINDOW_CLASS, 0) is not None, True)
            answer_boxes(driver, program, "/service tool", SERVICE_MODE_NOTICE, [wd.IDOK], caption=SERVICE_TITLE)
            expect("/service exit code, response mode", (program.wait(), mode_at_exit(program)), (0, "OFF"))


def timer_lines(text, hwnd):
    """(timer 120 set with 1000 ms, its WM_TIMER messages) in Wine's msg trace."""
    window = "0x%x" % int(hwnd, 16)
    return (re.search(r"NtUserSetTimer Added %s 78 \S+ timeout 1000" % window, text) is not None,
            len(re.findall(r"msg 113 \(WM_TIMER\) hwnd %s wp 78 " % window, text)))


def check_broadcasts_and_upper_case_service(driver):
    """Broadcasts; its own port taken and "/SERVICE", which is not service mode: the notice."""
    listener = process.held_udp("127.255.255.255", 0)
    listener.settimeout(5)
    holder = process.held_udp("0.0.0.0", 0)
    port = holder.getsockname()[1]
    settings = {"NTPCONFIG": {"NTP_PORT": port},
                "SORBEL": {"BROADCAST_IPADDR": "127.255.255.255", "BROADCAST_NTPPORT": listener.getsockname()[1]}}
    with listener, holder, sp.SorbelProgram(driver, settings, ["/SERVICE"], {"WINEDEBUG": "-all,trace+msg"}) as program:
        hwnd = program.window.hwnd
        answer_boxes(driver, program, "/SERVICE", NOTICE % port, [wd.IDOK])
        expect("/SERVICE title", program.window.title, sp.TITLE)
        driver.command(hwnd, sp.BROADCAST_NOW)
        try:
            packet = listener.recv(512)
            expect("broadcast length, mode byte, stratum", (len(packet), packet[0], packet[1]), (48, 0x25, 4))
        except socket.timeout:
            failures.append("no broadcast reached 127.255.255.255")
        driver.command(hwnd, sp.BROADCAST_MODE)
        driver.until(lambda: timer_lines(program.output_text(), hwnd)[1] >= 2, 10000)
        added, ticks = timer_lines(program.output_text(), hwnd)
        expect("broadcast mode on: timer 120 set, 2 ticks in 10 s", (added, ticks >= 2), (True, True))
        driver.command(hwnd, sp.BROADCAST_MODE)
        time.sleep(0.5)
        before = timer_lines(program.output_text(), hwnd)[1]
        time.sleep(2.5)
        expect("ticks after broadcast mode off", timer_lines(program.output_text(), hwnd)[1] - before, 0)
        expect("exit code", program.close(), 0)


def check_shell_and_tray(driver):
    stand_ins = tempfile.mkdtemp(prefix="stand-ins-")
    editor, browser = wd.stand_in(stand_ins, "ini_editor.exe"), wd.stand_in(stand_ins, "browser.exe")
    handlers = [(".ini", "RavoTests.IniFile"),
                (r"RavoTests.IniFile\shell\open\command", '"%s" "%%1"' % wine.windows_path(editor)),
                (r"http\shell\open\command", '"%s" "%%1"' % wine.windows_path(browser))]
    previous = [(key, driver.classes_default(key, value)) for key, value in handlers]
    port = sorbel.free_udp_port()
    try:
        with sp.SorbelProgram(driver, {"NTPCONFIG": {"NTP_PORT": port}, "SORBEL": {"MODE_NTP_RESPONSE": "OFF"}}) as p:
            hwnd = p.window.hwnd
            driver.command(hwnd, sp.BROADCAST_MODE)
            driver.post(hwnd, WM_ENDSESSION, 1)  # the process would end without its destructor
            expect("broadcast mode at the session's end",
                   driver.until(lambda: mode_at_exit(p, "MODE_NTP_BROADCAST") == "ON", 5000), True)
            driver.command(hwnd, sp.EDIT_SETTINGS)
            opened = wd.record(editor) or {}
            expect("edit: file and show state", (opened.get("last", "").upper(), opened.get("show")),
                   (wine.windows_path(p.ini_path).upper(), str(wd.SW_SHOWNA)))
            expect("edit: the file as opened", sp.read_ini_text(opened.get("content", "")),
                   updated(NTP_PORT=port, MODE_NTP_RESPONSE="OFF", MODE_NTP_BROADCAST="ON"))
            driver.command(hwnd, sp.UPDATE_INFO)
            page = wd.record(browser) or {}
            expect("update page", (page.get("last"), page.get("show")), ("http://www.ravo.example/QAAA", str(wd.SW_SHOW)))
            for shown in (0, 1):
                driver.post(hwnd, sp.TRAY_RESHOW, shown)
                expect("tray icon after 33668 with %d" % shown, driver.tray(hwnd, sp.TRAY_ICON_ID, shown == 1), shown == 1)
            driver.post(hwnd, sp.TRAY_CALLBACK, sp.TRAY_ICON_ID, wd.WM_LBUTTONDOWN)
            expect("popup on button down", driver.popup(hwnd, 500), None)
            driver.post(hwnd, sp.TRAY_CALLBACK, sp.TRAY_ICON_ID, wd.WM_RBUTTONUP)
            expect("popup on right button up", driver.popup(hwnd) is not None, True)
            driver.post(hwnd, wd.WM_CHAR, ord("b"))  # 定期NTP配信モードを実行(&B): off again
            driver.post(hwnd, sp.TRAY_CALLBACK, sp.TRAY_ICON_ID, wd.WM_LBUTTONUP)
            expect("popup on left button up", driver.popup(hwnd) is not None, True)
            driver.post(hwnd, wd.WM_CHAR, ord("x"))  # ソフトウェアを終了(&X)
            expect("exit from the popup", p.wait(), 0)
            expect("broadcast mode at exit", mode_at_exit(p, "MODE_NTP_BROADCAST"), "OFF")
    finally:
        for key, value in reversed(previous):
            driver.classes_default(key, value)
        shutil.rmtree(stand_ins, ignore_errors=True)


GROUPS = {
    "port123": [lambda d: check_served(d, {"NTPCONFIG": {"STRATUM": 3, "REFID": "10.20.30.40"}}, 3, "10.20.30.40"),
                lambda d: check_served(d, None, 4, "127.0.0.1"), check_port_123_taken],
    "ports": [check_broadcasts_and_upper_case_service, check_shell_and_tray],
}


if __name__ == "__main__":
    with wd.WindowDriver() as d:
        sys.exit(run_checks(*[lambda check=check: check(d) or [] for check in GROUPS[sys.argv[1]]], lambda: failures))
