"""Vantro.exe under Wine and Xvfb against chronyd -x +5 s and a silent server: a seeded data folder, the first
start without files, and "/service"."""

import glob
import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import chrony, process, run_checks, wine  # noqa: E402
from peers import vantro_program as vp  # noqa: E402
from peers.window_driver import IDNO, IDOK, IDYES, WM_CLOSE, WindowDriver, record  # noqa: E402

SILENT, CHRONY, NOBODY = "127.0.0.81", "127.0.0.82", "127.0.0.83"
ARTIFACTS = os.path.join(wine.build_dir(), "test-artifacts")
LB_GETCOUNT, LB_GETCURSEL, LB_SETCURSEL, TB_ISBUTTONCHECKED = 0x18B, 0x188, 0x186, 0x40A
WS_VISIBLE, WM_SYSCOMMAND, SC_MINIMIZE, WM_ENDSESSION = 0x10000000, 0x112, 0xF020, 0x16
WM_MENUSELECT, SB_GETTEXTLENGTHA = 0x11F, 0x403
STAMP = r" \d{4}/\d\d/\d\d \d\d:\d\d:\d\d\.\d{3} ： "
FAILED = STAMP + r"失敗　\( %s の応答 \) 返答待機タイムアウト\[\d+ ms\]$" % re.escape(SILENT)
ANSWERED = (STAMP + r"%s　\( %s の応答 \) 誤差 (\d\.\d{3})秒の遅れ\(応答速度:0\.\d{3}秒\) "
            r"\[階層:8/参照:127\.127\.1\.1/精度:-?\d+/遅延:\d+\.\d{3}/拡散:\d+\.\d{3}\]$")
STEP = re.compile(r"err:sync:NtSetSystemTime not allowed: difference (\d+) ms")
SETTINGS = dict(zip(vp.KEYS, [15, 1000, 200, 0, 1, 1, 0, 1, 0, 0, "ntp", "", 0, 123]))
DIAGNOSIS = ["ネットワーク環境に合わせた自動通信設定を行います\n現在ネットワークは有効になっていますか？\n"
             "(※自動設定にはネットワーク有効状態が必須です)", "NTP通信が有効です", "自動通信設定が完了いたしました"]
STRING_106 = "削除対象となるサーバ名/ＩＰアドレスが選択されておりません"
STRING_119 = ("本ソフトがサービス起動時にはこの機能はご利用いただけません\n"
              "一旦ソフトを終了した後、スタートメニューからの通常起動の後、再試行してください。")
KEPT = [("予備", NOBODY), ("無応答", SILENT)]  # the first start's list after the edits
LINK = "ミルタ - インターネット時刻補正.lnk"
STARTUP_QUESTIONS = {32800: "スタートアップに登録します\n（※ログイン時に自動実行されます）\n\nよろしいですか？",
                     32802: "スタートアップから登録解除します\n（※ログイン時に自動実行されなくなります）\n\nよろしいですか？"}
STRING_120 = "全ユーザーのスタートアップに対して登録・解除しますか？\n※「いいえ」の場合は現在のユーザーのみが対象となります。"


class Checks:
    def __init__(self, driver, program):  # failures collect; the run goes on
        self.driver, self.v, self.failures = driver, program, []

    def expect(self, label, got, wanted):
        if got != wanted:
            self.failures.append("%s: got %r, expected %r" % (label, got, wanted))

    def answer(self, label, text, button, buttons=None):
        """The one box up has the text (and the buttons); it gets the button."""
        boxes = self.driver.boxes(self.v.window.hwnd, 1)
        self.expect(label, [(b.text, b.caption.startswith(vp.TITLE), b.owner, buttons and b.buttons) for b in boxes],
                    [(text, True, self.v.window.hwnd, buttons)])
        for box in boxes:
            self.driver.answer(box, button)

    def until(self, probe, wait_s=20.0):
        return self.driver.until(probe, wait_s * 1000)

    def log_lines(self, count):
        path = os.path.join(vp.data_folder(), "ntpaccess.log")
        self.until(lambda: (vp.read_text(path) or "").count("\r\n") >= count, 30)
        return (vp.read_text(path) or "").split("\r\n")[:-1]

    def list_state(self, control_id):
        h = self.v.control(control_id)
        return self.driver.send(h, LB_GETCOUNT), self.driver.send(h, LB_GETCURSEL)


def check_seeded(driver):
    beside = {"KORVEX.exe": open(wine.program("tests/system/window_driver.exe"), "rb").read()}
    data = {"ntp_config.txt": vp.settings_bytes(list(SETTINGS.items()) + [("sDiagnosisNtpServer", CHRONY)]),
            "ntp_server.txt": vp.list_bytes([("無応答", SILENT), ("時刻+5秒", CHRONY), ("同じ時刻", CHRONY),
                                             ("無応答2", SILENT)])}
    with vp.VantroProgram(driver, data, beside, desktop="vantro") as v:
        c = Checks(driver, v)
        lines = c.log_lines(2) + ["", ""]
        c.expect("failure line", bool(re.match(FAILED, lines[0])), True)
        answered = re.match(ANSWERED % ("補正", re.escape(CHRONY)), lines[1])
        c.expect("correction line", bool(answered and 4.9 < float(answered.group(1)) < 5.1), True)
        step = STEP.search(v.output_text())
        c.expect("step asked for", bool(step and 4900 < int(step.group(1)) < 5100), True)
        time.sleep(1)  # the status bar's countdown
        v.screenshot(os.path.join(ARTIFACTS, "vantro_main_running.png"))
        v.command(32783), v.command(32775)
        lines = c.log_lines(3)
        c.expect("test run", bool(re.match(ANSWERED % ("確認", re.escape(CHRONY)), lines[-1])), True)
        c.expect("log list", c.list_state(133), (3, 2))
        v.screenshot(os.path.join(ARTIFACTS, "vantro_main_stopped.png"))
        driver.send(v.control(133), LB_SETCURSEL, 0)
        v.screenshot(os.path.join(ARTIFACTS, "vantro_main_failed_selected.png"))

        v.command(32796)
        for text, button in zip(DIAGNOSIS, (IDYES, IDOK, IDOK)):
            c.answer("diagnosis", text, button)
        for command, parameters in ((32789, 'mb /inst "RAVO NTP CLIENT" DAMPLIN.exe interactive "ミルタ ～イン'
                                             'ターネット時刻補正～"'), (32790, 'silent /rm "RAVO NTP CLIENT"')):
            v.command(command)
            c.expect("service tool", (record(v.path("KORVEX.exe")) or {}).get("command", "")[-len(parameters) - 6:],
                     '.exe" ' + parameters)
            os.remove(v.path("KORVEX.exe.txt"))
            if command == 32789:
                c.answer("service notice", "※サービス起動はWindows再起動後に有効になります", IDOK)
        links = lambda: glob.glob(os.path.join(vp.prefix(), "drive_c", "**", LINK), recursive=True)
        for command, all_users, count in ((32800, IDYES, 1), (32800, IDNO, 2), (32802, IDYES, 1), (32802, IDNO, 0)):
            before = links()
            v.command(command)
            c.answer("start-up question", STARTUP_QUESTIONS[command], IDYES)
            c.answer("all users", STRING_120, all_users, [IDYES, IDNO])
            c.expect("links", c.until(lambda: len(links()) == count, 10), True)
            for link in set(links()) - set(before):
                c.expect("link", vp.read_link(link) + ("ProgramData" in link,),
                         (wine.windows_path(v.path("ミルタ～インターネット時刻補正～.exe")), wine.windows_path(v.folder) + "\\",
                          "Vantro.exe /startupAll" if all_users == IDYES else "Vantro.exe /startup", all_users == IDYES))
        c.expect("exit", v.close(), 0)
        saved = dict(vp.read_settings(os.path.join(vp.data_folder(), "ntp_config.txt")) or [])
        c.expect("saved keys", list(saved)[:14], vp.KEYS)
        c.expect("saved selection", (saved.get("nSelectServerNo"), saved.get("bFirstExec")), ("3", "0"))
    return c.failures


def check_first_start(driver):
    beside = {"ntp_server.org": vp.list_bytes([("時刻", CHRONY), ("無応答", SILENT), ("予備", NOBODY)]),
              "http_server.org": vp.list_bytes([("ウェブ", "http://%s/" % NOBODY), ("ウェブ2", "http://%s/" % SILENT)])}
    with vp.VantroProgram(driver, beside=beside) as v:
        c = Checks(driver, v)
        c.answer("first box", DIAGNOSIS[0], IDNO, [IDYES, IDNO])
        config = os.path.join(vp.data_folder(), "ntp_config.txt")
        c.until(lambda: os.path.exists(config))
        c.expect("first save", vp.read_settings(config),
                 [(k, str(dict(SETTINGS, nTimeout=600, bAutoExec=0, bSaveLog=0).get(k))) for k in vp.KEYS])
        c.until(lambda: c.list_state(133)[0] == 1)
        c.expect("periodic runs", (c.list_state(133), driver.send(v.control(130), TB_ISBUTTONCHECKED, 32776) != 0,
                                   c.list_state(1005)[1]), ((1, 0), True, 1))
        c.expect("step asked for", bool(STEP.search(v.output_text())), True)
        for command, question, count in ((32793, "時刻補正に利用する通信方法をHTTPに切り替えます\n（NTPが利用可能な方は補正精度"
                                          "の高いNTPの利用継続を推奨いたします）\nよろしいですか？", 2),
                                         (32792, "時刻補正に利用する通信方法をNTPに切り替えます\n（補正精度の高いNTPの"
                                          "ご利用を推奨いたします）\nよろしいですか？", 3)):
            v.command(command)
            c.answer("protocol", question, IDOK, [IDOK, 2])
            c.expect("list loaded", c.until(lambda: c.list_state(1005) == (count, 0), 5), True)
        # Up on the first, down twice, down on the last, delete No, delete Yes, up.
        for command, answer, state in ((32779, None, (3, 0)), (32780, None, (3, 1)), (32780, None, (3, 2)),
                                       (32780, None, (3, 2)), (32778, IDNO, (3, 2)), (32778, IDYES, (2, 1)),
                                       (32779, None, (2, 0))):
            v.command(command)
            if answer:
                c.answer("delete", "選択されているサーバを削除します\nよろしいですか？", answer)
            c.expect("list after %d" % command, c.until(lambda: c.list_state(1005) == state, 5), True)
        v.command(32788)
        c.expect("tray added", driver.tray(v.window.hwnd, 100, True), True)
        driver.post(v.window.hwnd, WM_SYSCOMMAND, SC_MINIMIZE)
        c.expect("hidden", c.until(lambda: not driver.style(v.window.hwnd) & WS_VISIBLE, 5), True)
        c.expect("second instance", wine.run(v.path("Vantro.exe"), timeout=60).returncode, 0)
        c.expect("shown again", c.until(lambda: driver.style(v.window.hwnd) & WS_VISIBLE != 0, 5), True)
        driver.send(v.window.hwnd, WM_ENDSESSION, 1)  # the session ends the process without WM_DESTROY
        c.expect("saved at the session's end", (driver.style(v.window.hwnd) & WS_VISIBLE, vp.read_text(
            os.path.join(vp.data_folder(), "ntp_server.txt"))), (0, vp.list_bytes(KEPT).decode("cp932")))
        v.command(32788)
        c.expect("tray removed", driver.tray(v.window.hwnd, 100, False), False)
        c.expect("exit code", v.close(), 0)
        saved = vp.read_settings(config) or []
        c.expect("saved", [saved[i] for i in (3, 4, 6, 10)] if len(saved) > 10 else saved,
                 [("nSelectServerNo", "0"), ("bAutoExec", "1"), ("bTackTray", "0"), ("sProtocol", "ntp")])
        c.expect("saved list", vp.read_text(os.path.join(vp.data_folder(), "ntp_server.txt")),
                 vp.list_bytes(KEPT).decode("cp932"))
    return c.failures


def check_service_mode(driver):
    config = vp.settings_bytes(list(dict(SETTINGS, nCheckSpan=20, bAutoExec=0).items()))
    with vp.VantroProgram(driver, {"ntp_config.txt": config}, args=["/service"], desktop="vantro") as v:
        c = Checks(driver, v)
        c.expect("service window", (v.window.title, driver.style(v.window.hwnd) & WS_VISIBLE,
                                    driver.tray(v.window.hwnd, 100, True)), (vp.TITLE + " （サービス起動）", 0, True))
        tip = hex(driver.send(v.control(130), 0x423))  # TB_GETTOOLTIPS; text, background colour, width
        c.expect("tooltips", [driver.send(tip, message) for message in (0x417, 0x416, 0x419)], [0xFFFFFF, 0, 300])
        for command, shown in ((32775, True), (105, False)):  # 105 shares its number with string 105
            driver.send(v.window.hwnd, WM_MENUSELECT, command)
            c.expect("help of %d" % command, driver.send(v.control(131), SB_GETTEXTLENGTHA) & 0xFFFF > 0, shown)
        for command, text in ((32789, STRING_119), (32790, STRING_119), (32778, STRING_106), (32785, STRING_106)):
            v.command(command)
            if command == 32785:  # a close waits for the box, which returns into the window
                driver.post(v.window.hwnd, WM_CLOSE)
                time.sleep(1)
                c.expect("window during the box", driver.find(vp.WINDOW_CLASS, 0) is not None, True)
            c.answer("refused %d" % command, text, IDOK, [IDOK])
        c.expect("closed after the box", c.until(lambda: not driver.find(vp.WINDOW_CLASS, 0), 10), True)
        c.expect("exit code", v.close(), 0)
        with open(os.path.join(vp.data_folder(), "ntp_config.txt"), "rb") as f:
            c.expect("not saved", f.read(), config)
    return c.failures


def check_all():
    with process.held_udp(SILENT, 123), chrony.ChronyServer(CHRONY, skew=5), WindowDriver() as driver:
        return check_seeded(driver) + check_first_start(driver) + check_service_mode(driver)


if __name__ == "__main__":
    sys.exit(run_checks(check_all))
